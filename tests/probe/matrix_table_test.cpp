// The probe's matrix tables against a plain reference: every object of the control table,
// both matrix tables and their high-capacity extensions in a sorted map, built from the same
// traffic. Get and get-next must agree
// with it everywhere, from any identifier, however odd.
#include "probe/matrix_table.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <tuple>

namespace {

using probe::Arcs;
using probe::Mac;
using probe::MatrixObject;
using probe::MatrixTable;

struct Counters {
    uint64_t packets = 0, octets = 0;
    uint32_t errors = 0;
};

std::string Octets(const Mac& address) {
    return std::string(address.begin(), address.end());
}

// The control rows of the fixture: index 1 counted on ifIndex.3, index 2 on ifIndex.4.
const std::map<uint32_t, probe::MatrixControl> kControls = {
    {1, {{1, 3, 6, 1, 2, 1, 2, 2, 1, 1, 3}, 1234, "monitor", 1}},
    {2, {{1, 3, 6, 1, 2, 1, 2, 2, 1, 1, 4}, 0, "", 1}}};

// Every object of matrixControlTable, matrixSDTable, matrixDSTable and their high-capacity
// tables for the given rows.
std::map<Arcs, probe::MatrixValue>
Reference(const std::map<std::tuple<uint32_t, Mac, Mac>, Counters>& rows) {
    std::map<Arcs, probe::MatrixValue> objects;
    std::map<uint32_t, uint32_t> sizes;
    for (const auto& row : rows) {
        ++sizes[std::get<0>(row.first)];
    }
    for (const auto& [index, control] : kControls) {
        const probe::MatrixValue values[] = {
            {probe::kTagInteger, index, {}, {}},
            {probe::kTagObjectId, 0, {}, control.dataSource},
            {probe::kTagInteger, sizes[index], {}, {}},
            {probe::kTagTimeTicks, control.lastDeleteTime, {}, {}},
            {probe::kTagOctets, 0, control.owner, {}},
            {probe::kTagInteger, control.status, {}, {}},
        };
        for (uint32_t column = 1; column <= 6; ++column) {
            Arcs name = MatrixTable::kControlEntry;
            name.insert(name.end(), {column, index});
            objects[name] = values[column - 1];
        }
    }
    for (const auto& [key, counters] : rows) {
        const auto& [index, source, destination] = key;
        for (bool ds : {false, true}) {
            const Mac& first = ds ? destination : source;
            const Mac& second = ds ? source : destination;
            Arcs instance = {index, 6};
            instance.insert(instance.end(), first.begin(), first.end());
            instance.push_back(6);
            instance.insert(instance.end(), second.begin(), second.end());
            const probe::MatrixValue values[] = {
                {probe::kTagOctets, 0, Octets(source), {}},
                {probe::kTagOctets, 0, Octets(destination), {}},
                {probe::kTagInteger, index, {}, {}},
                {probe::kTagCounter32, counters.packets % (1ull << 32), {}, {}},
                {probe::kTagCounter32, counters.octets % (1ull << 32), {}, {}},
                {probe::kTagCounter32, counters.errors, {}, {}},
            };
            const probe::MatrixValue wide[] = {
                {probe::kTagCounter32, counters.packets / (1ull << 32), {}, {}},
                {probe::kTagCounter64, counters.packets, {}, {}},
                {probe::kTagCounter32, counters.octets / (1ull << 32), {}, {}},
                {probe::kTagCounter64, counters.octets, {}, {}},
            };
            const auto add = [&](const Arcs& entry, const auto& columns) {
                for (uint32_t column = 1; column <= std::size(columns); ++column) {
                    Arcs name = entry;
                    name.push_back(column);
                    name.insert(name.end(), instance.begin(), instance.end());
                    objects[name] = columns[column - 1];
                }
            };
            add(ds ? MatrixTable::kDsEntry : MatrixTable::kSdEntry, values);
            add(ds ? MatrixTable::kDsHcEntry : MatrixTable::kSdHcEntry, wide);
        }
    }
    return objects;
}

bool SameValue(const probe::MatrixValue& a, const probe::MatrixValue& b) {
    return a.tag == b.tag && a.number == b.number && a.octets == b.octets && a.oid == b.oid;
}

class MatrixTableTest : public testing::Test {
  protected:
    void SetUp() override {
        std::mt19937 random(7);
        auto mac = [&random] {
            Mac address = {0x00, 0xA0, 0xC9, 0, 0, uint8_t(random() % 12)};
            address[4] = uint8_t(random() % 2 ? 0xFF : 0);
            return address;
        };
        for (int i = 0; i < 400; ++i) {
            uint32_t index = 1 + random() % 2;
            Mac source = mac(), destination = mac();
            uint32_t packets = random() % 50, octets = random(), errors = random() % 3;
            m_table.AddTraffic(index, source, destination, packets, octets, errors);
            Counters& row = m_rows[{index, source, destination}];
            row.packets += packets;
            row.octets += octets;
            row.errors += errors;
        }
        for (const auto& [index, control] : kControls) {
            m_table.SetControl(index, control);
        }
        m_reference = Reference(m_rows);
    }

    MatrixTable m_table;
    std::map<std::tuple<uint32_t, Mac, Mac>, Counters> m_rows;
    std::map<Arcs, probe::MatrixValue> m_reference;
};

} // namespace

TEST_F(MatrixTableTest, WalkFromTheGroupAnswersEveryObjectInOrder) {
    ASSERT_EQ(m_table.Size(), m_rows.size());
    Arcs name = {1, 3, 6, 1, 2, 1, 16};
    MatrixObject object;
    auto expected = m_reference.begin();
    while (m_table.GetNext(name, object)) {
        ASSERT_NE(expected, m_reference.end());
        ASSERT_EQ(object.name, expected->first);
        EXPECT_TRUE(SameValue(object.value, expected->second));
        name = object.name;
        ++expected;
    }
    EXPECT_EQ(expected, m_reference.end());
}

// Truncated instances, arcs beyond a byte, identifiers between and after the tables.
TEST_F(MatrixTableTest, GetAndGetNextFromAnyIdentifierAgreeWithTheReference) {
    std::mt19937 random(11);
    const uint32_t odd[] = {0, 1, 2, 5, 6, 7, 160, 201, 255, 256, 4294967295u};
    for (int trial = 0; trial < 3000; ++trial) {
        auto it = m_reference.begin();
        std::advance(it, long(random() % m_reference.size()));
        Arcs name = it->first;
        name.resize(random() % (name.size() + 2));
        if (!name.empty() && random() % 2) {
            name.back() = odd[random() % std::size(odd)];
        }
        MatrixObject object;
        auto next = m_reference.upper_bound(name);
        ASSERT_EQ(m_table.GetNext(name, object), next != m_reference.end());
        if (next != m_reference.end()) {
            EXPECT_EQ(object.name, next->first);
            EXPECT_TRUE(SameValue(object.value, next->second));
        }
        auto exact = m_reference.find(name);
        ASSERT_EQ(m_table.Get(name, object), exact != m_reference.end());
        if (exact != m_reference.end()) {
            EXPECT_TRUE(SameValue(object.value, exact->second));
        }
    }
    MatrixObject object;
    EXPECT_FALSE(m_table.GetNext({1, 3, 6, 1, 2, 1, 16, 6, 6, 1, 5}, object));
    EXPECT_FALSE(m_table.GetNext({1, 3, 6, 1, 2, 1, 16, 7}, object));
}

// matrixSDPkts wraps as a Counter32; the high-capacity table counts on and says how often
// it wrapped. The reference test above never crosses 2^32 packets.
TEST(MatrixTable, CountersWrapAsCounter32AndCountOnIn64Bits) {
    MatrixTable table;
    Mac a = {1, 2, 3, 4, 5, 6}, b = {6, 5, 4, 3, 2, 1};
    table.AddTraffic(1, a, b, 0xFFFFFFFFu, 0, 0);
    table.AddTraffic(1, a, b, 3, 0, 0);
    const Arcs instance = {1, 6, 1, 2, 3, 4, 5, 6, 6, 6, 5, 4, 3, 2, 1};
    const struct {
        const Arcs& entry;
        uint32_t column;
        uint8_t tag;
        uint64_t number;
    } cases[] = {
        {MatrixTable::kSdEntry, 4, probe::kTagCounter32, 2},
        {MatrixTable::kSdHcEntry, 1, probe::kTagCounter32, 1},
        {MatrixTable::kSdHcEntry, 2, probe::kTagCounter64, 0x100000002ull},
    };
    for (const auto& c : cases) {
        Arcs name = c.entry;
        name.push_back(c.column);
        name.insert(name.end(), instance.begin(), instance.end());
        MatrixObject object;
        ASSERT_TRUE(table.Get(name, object));
        EXPECT_EQ(object.value.tag, c.tag);
        EXPECT_EQ(object.value.number, c.number);
    }
    EXPECT_EQ(table.Size(), 1u);
}

// What the agent answers a get or set of a name by: the read-create control columns, the
// read-only counters, and names of no object (a column past the last, the gap between
// the tables).
TEST(MatrixTable, KindsOfNames) {
    using probe::ObjectKind;
    const std::pair<Arcs, ObjectKind> cases[] = {
        {{1, 3, 6, 1, 2, 1, 16, 6, 1, 1, 1, 1}, ObjectKind::kReadOnly},
        {{1, 3, 6, 1, 2, 1, 16, 6, 1, 1, 2, 9}, ObjectKind::kReadCreate},
        {{1, 3, 6, 1, 2, 1, 16, 6, 1, 1, 3, 1}, ObjectKind::kReadOnly},
        {{1, 3, 6, 1, 2, 1, 16, 6, 1, 1, 5}, ObjectKind::kReadCreate},
        {{1, 3, 6, 1, 2, 1, 16, 6, 1, 1, 6, 1}, ObjectKind::kReadCreate},
        {{1, 3, 6, 1, 2, 1, 16, 6, 1, 1, 7, 1}, ObjectKind::kNone},
        {{1, 3, 6, 1, 2, 1, 16, 6, 2, 1, 6, 1}, ObjectKind::kReadOnly},
        {{1, 3, 6, 1, 2, 1, 16, 6, 2, 1, 7, 1}, ObjectKind::kNone},
        {{1, 3, 6, 1, 2, 1, 16, 6, 3, 1, 1}, ObjectKind::kReadOnly},
        {{1, 3, 6, 1, 2, 1, 16, 6, 4, 1, 1, 1}, ObjectKind::kNone},
        {{1, 3, 6, 1, 2, 1, 16, 6, 5, 1, 4, 1}, ObjectKind::kReadOnly},
        {{1, 3, 6, 1, 2, 1, 16, 6, 6, 1, 5, 1}, ObjectKind::kNone},
        {{1, 3, 6, 1, 2, 1, 16, 6, 1, 1}, ObjectKind::kNone},
    };
    for (const auto& [name, kind] : cases) {
        EXPECT_EQ(MatrixTable::Kind(name), kind) << testing::PrintToString(name);
    }
}

TEST(MatrixTable, RemovedRowsLeaveBothTablesAndTheControlTableSize) {
    MatrixTable table;
    table.SetControl(1, {});
    Mac a = {1, 2, 3, 4, 5, 6}, b = {6, 5, 4, 3, 2, 1};
    table.Row(1, a, b).packets = 5;
    table.Row(1, b, a).packets = 7;
    EXPECT_TRUE(table.Remove(1, a, b));
    EXPECT_FALSE(table.Remove(1, a, b));
    MatrixObject object;
    Arcs size = MatrixTable::kControlEntry;
    size.insert(size.end(), {3, 1});
    ASSERT_TRUE(table.Get(size, object));
    EXPECT_EQ(object.value.number, 1u);
    // What is left in each table is the one row b->a.
    for (const Arcs& entry : {MatrixTable::kSdEntry, MatrixTable::kDsEntry}) {
        Arcs packets = entry;
        packets.push_back(4);
        ASSERT_TRUE(table.GetNext(packets, object));
        EXPECT_EQ(object.value.number, 7u);
        ASSERT_TRUE(table.GetNext(object.name, object));
        EXPECT_EQ(object.name[entry.size()], 5u);
    }
}
