// The interfaces' tables: ifTable and ifXTable rows from the kernel's view of an interface
// through its transitions (down, deleted, made again), etherStatsTable's counters and their
// high-capacity columns, and which names are objects at all.
#include "probe/interface_table.h"

#include <gtest/gtest.h>

namespace {

using probe::Arcs;
using probe::InterfaceTable;
using probe::MatrixObject;
using probe::MonitoredInterface;

const Arcs kIfEntry = {1, 3, 6, 1, 2, 1, 2, 2, 1};
const Arcs kIfXEntry = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1};
const Arcs kEtherEntry = {1, 3, 6, 1, 2, 1, 16, 1, 1, 1};
const Arcs kEtherHcEntry = {1, 3, 6, 1, 2, 1, 16, 1, 7, 1};

Arcs Name(const Arcs& entry, uint32_t column, uint32_t instance) {
    Arcs name = entry;
    name.insert(name.end(), {column, instance});
    return name;
}

// The value of one object; fails the test if there is none.
probe::MatrixValue Value(const InterfaceTable& table, const Arcs& name) {
    MatrixObject object;
    EXPECT_TRUE(table.Get(name, object)) << testing::PrintToString(name);
    return object.value;
}

probe::InterfaceState Up(uint32_t ifIndex) {
    probe::InterfaceState state;
    state.present = state.adminUp = state.operUp = true;
    state.ifIndex = ifIndex;
    state.description = "veth0";
    state.address = "\x02\x00\x00\x00\x0a\x01";
    return state;
}

} // namespace

// ifAdminStatus and ifOperStatus from what the kernel says: each flag on its own column.
TEST(InterfaceTable, StatusColumnsFollowTheKernelFlags) {
    const struct {
        bool present, adminUp, operUp;
        uint32_t admin, oper;
    } cases[] = {
        {true, true, true, 1, 1},
        {true, true, false, 1, 2}, // cable out: administratively up, operationally down
        {true, false, false, 2, 2},
        {false, true, true, 2, 6}, // deleted: notPresent whatever was read last
    };
    for (const auto& c : cases) {
        InterfaceTable table;
        MonitoredInterface row;
        row.ifIndex = 3;
        row.state = Up(3);
        row.state.present = c.present;
        row.state.adminUp = c.adminUp;
        row.state.operUp = c.operUp;
        table.Add(row);
        EXPECT_EQ(Value(table, Name(kIfEntry, 7, 3)).number, c.admin);
        EXPECT_EQ(Value(table, Name(kIfEntry, 8, 3)).number, c.oper);
    }
}

// Down, deleted, made again under a new index: each step changes the row as the kernel
// says, with ifLastChange, ifCounterDiscontinuityTime and a log line.
TEST(InterfaceTable, RowFollowsTheInterfaceThroughItsLife) {
    InterfaceTable table;
    MonitoredInterface initial;
    initial.ifIndex = 5;
    initial.state = Up(5);
    initial.state.counters.inOctets = 1000;
    MonitoredInterface& row = table.Add(initial);

    probe::InterfaceState down = Up(5);
    down.operUp = false;
    down.counters.inOctets = 1200;
    EXPECT_EQ(probe::FollowKernel(row, down, 100), "link down");
    EXPECT_EQ(Value(table, Name(kIfEntry, 8, 5)).number, 2u);
    EXPECT_EQ(Value(table, Name(kIfEntry, 9, 5)).number, 100u);
    EXPECT_EQ(probe::FollowKernel(row, down, 150), "");

    EXPECT_EQ(probe::FollowKernel(row, probe::InterfaceState{}, 200),
              "link down (interface deleted)");
    EXPECT_EQ(Value(table, Name(kIfEntry, 7, 5)).number, 2u);
    EXPECT_EQ(Value(table, Name(kIfEntry, 8, 5)).number, 6u);
    EXPECT_EQ(Value(table, Name(kIfEntry, 10, 5)).number, 1200u); // the last count stays

    probe::InterfaceState again = Up(9);
    again.address = "\x02\x00\x00\x00\x0b\x07";
    EXPECT_EQ(probe::FollowKernel(row, again, 300), "link up; now ifIndex 9 (was 5)");
    MatrixObject object;
    EXPECT_FALSE(table.Get(Name(kIfEntry, 1, 5), object));
    EXPECT_EQ(Value(table, Name(kIfEntry, 1, 9)).number, 9u);
    EXPECT_EQ(Value(table, Name(kIfEntry, 6, 9)).octets, again.address);
    EXPECT_EQ(Value(table, Name(kIfEntry, 8, 9)).number, 1u);
    EXPECT_EQ(Value(table, Name(kIfEntry, 9, 9)).number, 300u);
    EXPECT_EQ(Value(table, Name(kIfEntry, 10, 9)).number, 0u);
    EXPECT_EQ(Value(table, Name(kIfXEntry, 19, 9)).number, 300u);
    EXPECT_EQ(Value(table, Name(kEtherEntry, 2, 1)).oid, probe::DataSourceOf(9));
}

TEST(InterfaceTable, FixedIndexStaysWhenTheKernelRenumbers) {
    MonitoredInterface row;
    row.ifIndex = 40;
    row.fixedIndex = true;
    row.state = Up(5);
    EXPECT_EQ(probe::FollowKernel(row, Up(9), 10), "");
    EXPECT_EQ(row.ifIndex, 40u);
}

// Speeds past what Gauge32 holds, and 64-bit counters with their 32-bit views.
TEST(InterfaceTable, FastLinksAndWideCounters) {
    InterfaceTable table;
    MonitoredInterface row;
    row.ifIndex = 2;
    row.name = "eth1";
    row.state = Up(2);
    row.state.speed = 10000000000ull;
    row.state.counters.inOctets = 5000000000ull;
    row.state.counters.inPackets = 30;
    row.state.counters.inMulticast = 4;
    row.statistics.octets = 5000000000ull;
    row.statistics.packets = 7;
    row.statistics.sizes[5] = 0x100000003ull;
    table.Add(row);
    const struct {
        Arcs name;
        uint8_t tag;
        uint64_t number;
    } cases[] = {
        {{1, 3, 6, 1, 2, 1, 2, 1, 0}, probe::kTagInteger, 1},
        {Name(kIfEntry, 5, 2), probe::kTagGauge32, 4294967295u},
        {Name(kIfEntry, 10, 2), probe::kTagCounter32, 5000000000ull - (1ull << 32)},
        {Name(kIfEntry, 11, 2), probe::kTagCounter32, 26},
        {Name(kIfEntry, 12, 2), probe::kTagCounter32, 4},
        {Name(kIfXEntry, 6, 2), probe::kTagCounter64, 5000000000ull},
        {Name(kIfXEntry, 7, 2), probe::kTagCounter64, 26},
        {Name(kIfXEntry, 15, 2), probe::kTagGauge32, 10000},
        {Name(kEtherEntry, 4, 1), probe::kTagCounter32, 5000000000ull - (1ull << 32)},
        {Name(kEtherEntry, 19, 1), probe::kTagCounter32, 3},
        {Name(kEtherHcEntry, 1, 1), probe::kTagCounter32, 0},
        {Name(kEtherHcEntry, 2, 1), probe::kTagCounter64, 7},
        {Name(kEtherHcEntry, 3, 1), probe::kTagCounter32, 1},
        {Name(kEtherHcEntry, 4, 1), probe::kTagCounter64, 5000000000ull},
        {Name(kEtherHcEntry, 14, 1), probe::kTagCounter64, 0},
        {Name(kEtherHcEntry, 15, 1), probe::kTagCounter32, 1},
        {Name(kEtherHcEntry, 16, 1), probe::kTagCounter64, 0x100000003ull},
    };
    for (const auto& c : cases) {
        const probe::MatrixValue value = Value(table, c.name);
        EXPECT_EQ(value.tag, c.tag) << testing::PrintToString(c.name);
        EXPECT_EQ(value.number, c.number) << testing::PrintToString(c.name);
    }
    EXPECT_EQ(Value(table, Name(kIfXEntry, 1, 2)).octets, "eth1");
}

// A walk from the interfaces group visits ifNumber, then every ifTable column, then
// etherStatsTable, its high-capacity table and ifXTable, each column once per row.
TEST(InterfaceTable, WalkVisitsEveryTableInOrder) {
    InterfaceTable table;
    for (uint32_t ifIndex : {7u, 3u}) {
        MonitoredInterface row;
        row.ifIndex = ifIndex;
        row.state = Up(ifIndex);
        table.Add(row);
    }
    Arcs name = {1, 3, 6, 1, 2, 1, 2};
    MatrixObject object;
    std::vector<Arcs> names;
    while (table.GetNext(name, object)) {
        ASSERT_LT(name, object.name);
        name = object.name;
        names.push_back(name);
    }
    ASSERT_EQ(names.size(), 1 + 2 * (22 + 19 + 21 + 16));
    EXPECT_EQ(names[1], Name(kIfEntry, 1, 3));
    EXPECT_EQ(names[2], Name(kIfEntry, 1, 7));
    EXPECT_EQ(names[1 + 2 * 22], Name(kEtherEntry, 1, 1));
    EXPECT_EQ(names[1 + 2 * (22 + 21)], Name(kEtherHcEntry, 1, 1));
    EXPECT_EQ(names[1 + 2 * (22 + 21 + 16)], Name(kIfXEntry, 1, 3));
    EXPECT_EQ(names.back(), Name(kIfXEntry, 19, 7));
}

TEST(InterfaceTable, KindsOfNames) {
    using probe::ObjectKind;
    const std::pair<Arcs, ObjectKind> cases[] = {
        {{1, 3, 6, 1, 2, 1, 2, 1}, ObjectKind::kReadOnly},
        {{1, 3, 6, 1, 2, 1, 2, 1, 0}, ObjectKind::kReadOnly},
        {{1, 3, 6, 1, 2, 1, 2, 3, 0}, ObjectKind::kNone},
        {Name(kIfEntry, 22, 1), ObjectKind::kReadOnly},
        {Name(kIfEntry, 23, 1), ObjectKind::kNone},
        {Name(kIfXEntry, 18, 1), ObjectKind::kReadOnly},
        {Name(kIfXEntry, 20, 1), ObjectKind::kNone},
        {Name(kEtherEntry, 1, 1), ObjectKind::kReadOnly},
        {Name(kEtherEntry, 2, 9), ObjectKind::kReadCreate},
        {Name(kEtherEntry, 19, 1), ObjectKind::kReadOnly},
        {Name(kEtherEntry, 20, 1), ObjectKind::kReadCreate},
        {Name(kEtherEntry, 21, 1), ObjectKind::kReadCreate},
        {Name(kEtherEntry, 22, 1), ObjectKind::kNone},
        {Name(kEtherHcEntry, 16, 1), ObjectKind::kReadOnly},
        {Name(kEtherHcEntry, 17, 1), ObjectKind::kNone},
    };
    for (const auto& [name, kind] : cases) {
        EXPECT_EQ(InterfaceTable::Kind(name), kind) << testing::PrintToString(name);
    }
}
