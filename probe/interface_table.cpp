#include "probe/interface_table.h"

#include <algorithm>
#include <limits>

namespace probe {
namespace {

// The columns of the tables, by their names in IF-MIB, RMON-MIB and HC-RMON-MIB.
enum IfColumn : uint32_t {
    kIfIndex = 1,
    kIfDescr = 2,
    kIfType = 3,
    kIfMtu = 4,
    kIfSpeed = 5,
    kIfPhysAddress = 6,
    kIfAdminStatus = 7,
    kIfOperStatus = 8,
    kIfLastChange = 9,
    kIfInOctets = 10,
    kIfInUcastPkts = 11,
    kIfInNUcastPkts = 12,
    kIfInDiscards = 13,
    kIfInErrors = 14,
    kIfInUnknownProtos = 15,
    kIfOutOctets = 16,
    kIfOutUcastPkts = 17,
    kIfOutNUcastPkts = 18,
    kIfOutDiscards = 19,
    kIfOutErrors = 20,
    kIfOutQLen = 21,
    kIfSpecific = 22,
};
enum IfXColumn : uint32_t {
    kIfName = 1,
    kIfInMulticastPkts = 2,
    kIfInBroadcastPkts = 3,
    kIfOutMulticastPkts = 4,
    kIfOutBroadcastPkts = 5,
    kIfHCInOctets = 6,
    kIfHCInUcastPkts = 7,
    kIfHCInMulticastPkts = 8,
    kIfHCInBroadcastPkts = 9,
    kIfHCOutOctets = 10,
    kIfHCOutUcastPkts = 11,
    kIfHCOutMulticastPkts = 12,
    kIfHCOutBroadcastPkts = 13,
    kIfLinkUpDownTrapEnable = 14,
    kIfHighSpeed = 15,
    kIfPromiscuousMode = 16,
    kIfConnectorPresent = 17,
    kIfAlias = 18,
    kIfCounterDiscontinuityTime = 19,
};
enum EtherColumn : uint32_t {
    kEtherStatsIndex = 1,
    kEtherStatsDataSource = 2,
    kEtherStatsDropEvents = 3,
    kEtherStatsOctets = 4,
    kEtherStatsPkts = 5,
    kEtherStatsBroadcastPkts = 6,
    kEtherStatsMulticastPkts = 7,
    kEtherStatsCRCAlignErrors = 8,
    kEtherStatsUndersizePkts = 9,
    kEtherStatsOversizePkts = 10,
    kEtherStatsFragments = 11,
    kEtherStatsJabbers = 12,
    kEtherStatsCollisions = 13,
    kEtherStatsPkts64Octets = 14,
    kEtherStatsPkts65to127Octets = 15,
    kEtherStatsPkts128to255Octets = 16,
    kEtherStatsPkts256to511Octets = 17,
    kEtherStatsPkts512to1023Octets = 18,
    kEtherStatsPkts1024to1518Octets = 19,
    kEtherStatsOwner = 20,
    kEtherStatsStatus = 21,
};
// etherStatsHighCapacityEntry: each 64-bit count (even column) follows how often its
// 32-bit counter wrapped (odd column).
enum EtherHcColumn : uint32_t {
    kHcOverflowPkts = 1,
    kHcPkts = 2,
    kHcOverflowOctets = 3,
    kHcOctets = 4,
    kHcOverflowPkts64Octets = 5,
    kHcPkts1024to1518Octets = 16,
};
static_assert(kHcPkts1024to1518Octets - kHcOverflowPkts64Octets + 1 ==
                  2 * std::size(EtherStatistics{}.sizes),
              "two columns per size bucket");

constexpr uint32_t kIfColumns = kIfSpecific;
constexpr uint32_t kIfXColumns = kIfCounterDiscontinuityTime;
constexpr uint32_t kEtherColumns = kEtherStatsStatus;
constexpr uint32_t kEtherHcColumns = kHcPkts1024to1518Octets;
constexpr uint32_t kStatusUp = 1, kStatusDown = 2, kNotPresent = 6;
constexpr uint32_t kTrue = 1, kFalse = 2; // TruthValue
constexpr uint32_t kEntryValid = 1;
constexpr uint32_t kTrapsDisabled = 2;
constexpr uint64_t kMaxGauge = std::numeric_limits<uint32_t>::max();

const Arcs kIfNumberObject = {1, 3, 6, 1, 2, 1, 2, 1};
const Arcs kIfNumber = {1, 3, 6, 1, 2, 1, 2, 1, 0};
const Arcs kIfEntry = {1, 3, 6, 1, 2, 1, 2, 2, 1};
const Arcs kIfXEntry = {1, 3, 6, 1, 2, 1, 31, 1, 1, 1};
const Arcs kEtherStatsEntry = {1, 3, 6, 1, 2, 1, 16, 1, 1, 1};
const Arcs kEtherHcEntry = {1, 3, 6, 1, 2, 1, 16, 1, 7, 1};

MatrixValue Number(uint8_t tag, uint64_t number) {
    MatrixValue value;
    value.tag = tag;
    value.number = number;
    return value;
}

MatrixValue Text(const std::string& text) {
    MatrixValue value;
    value.tag = kTagOctets;
    value.octets = text;
    return value;
}

MatrixValue Counter32(uint64_t count) {
    return Number(kTagCounter32, uint32_t(count));
}

MatrixValue Truth(bool truth) {
    return Number(kTagInteger, truth ? kTrue : kFalse);
}

// Received unicast frames: all but the multicasts (read a moment apart, so never below 0).
uint64_t InUnicast(const InterfaceCounters& c) {
    return c.inPackets > c.inMulticast ? c.inPackets - c.inMulticast : 0;
}

uint32_t OperStatus(const InterfaceState& state) {
    if (!state.present) {
        return kNotPresent;
    }
    return state.operUp ? kStatusUp : kStatusDown;
}

MatrixValue IfValue(uint32_t column, uint32_t instance, const MonitoredInterface& row) {
    const InterfaceState& s = row.state;
    const InterfaceCounters& c = s.counters;
    switch (IfColumn(column)) {
    case kIfIndex:
        return Number(kTagInteger, instance);
    case kIfDescr:
        return Text(s.description);
    case kIfType:
        return Number(kTagInteger, s.type);
    case kIfMtu:
        return Number(kTagInteger, s.mtu);
    case kIfSpeed:
        return Number(kTagGauge32, std::min(kMaxGauge, s.speed));
    case kIfPhysAddress:
        return Text(s.address);
    case kIfAdminStatus:
        return Number(kTagInteger, s.present && s.adminUp ? kStatusUp : kStatusDown);
    case kIfOperStatus:
        return Number(kTagInteger, OperStatus(s));
    case kIfLastChange:
        return Number(kTagTimeTicks, row.lastChange);
    case kIfInOctets:
        return Counter32(c.inOctets);
    case kIfInUcastPkts:
        return Counter32(InUnicast(c));
    case kIfInNUcastPkts:
        return Counter32(c.inMulticast);
    case kIfInDiscards:
        return Counter32(c.inDiscards);
    case kIfInErrors:
        return Counter32(c.inErrors);
    case kIfInUnknownProtos:
        return Counter32(c.inUnknownProtos);
    case kIfOutOctets:
        return Counter32(c.outOctets);
    case kIfOutUcastPkts:
        return Counter32(c.outPackets);
    case kIfOutNUcastPkts:
        return Counter32(0);
    case kIfOutDiscards:
        return Counter32(c.outDiscards);
    case kIfOutErrors:
        return Counter32(c.outErrors);
    case kIfOutQLen:
        return Number(kTagGauge32, 0);
    case kIfSpecific:
        break;
    }
    MatrixValue zeroDotZero;
    zeroDotZero.tag = kTagObjectId;
    zeroDotZero.oid = {0, 0};
    return zeroDotZero;
}

MatrixValue IfXValue(uint32_t column, uint32_t, const MonitoredInterface& row) {
    const InterfaceState& s = row.state;
    const InterfaceCounters& c = s.counters;
    switch (IfXColumn(column)) {
    case kIfName:
        return Text(row.name);
    case kIfInMulticastPkts:
        return Counter32(c.inMulticast);
    case kIfInBroadcastPkts:
    case kIfOutMulticastPkts:
    case kIfOutBroadcastPkts:
        return Counter32(0);
    case kIfHCInOctets:
        return Number(kTagCounter64, c.inOctets);
    case kIfHCInUcastPkts:
        return Number(kTagCounter64, InUnicast(c));
    case kIfHCInMulticastPkts:
        return Number(kTagCounter64, c.inMulticast);
    case kIfHCOutOctets:
        return Number(kTagCounter64, c.outOctets);
    case kIfHCOutUcastPkts:
        return Number(kTagCounter64, c.outPackets);
    case kIfHCInBroadcastPkts:
    case kIfHCOutMulticastPkts:
    case kIfHCOutBroadcastPkts:
        return Number(kTagCounter64, 0);
    case kIfLinkUpDownTrapEnable:
        return Number(kTagInteger, kTrapsDisabled);
    case kIfHighSpeed:
        return Number(kTagGauge32, s.speed / 1000000);
    case kIfPromiscuousMode:
        return Truth(s.promiscuous);
    case kIfConnectorPresent:
        return Truth(s.connector);
    case kIfAlias:
        return Text("");
    case kIfCounterDiscontinuityTime:
        break;
    }
    return Number(kTagTimeTicks, row.discontinuity);
}

MatrixValue EtherValue(uint32_t column, uint32_t instance, const MonitoredInterface& row) {
    const EtherStatistics& s = row.statistics;
    switch (EtherColumn(column)) {
    case kEtherStatsIndex:
        return Number(kTagInteger, instance);
    case kEtherStatsDataSource: {
        MatrixValue value;
        value.tag = kTagObjectId;
        value.oid = DataSourceOf(row.ifIndex);
        return value;
    }
    case kEtherStatsDropEvents:
        return Counter32(s.dropEvents);
    case kEtherStatsOctets:
        return Counter32(s.octets);
    case kEtherStatsPkts:
        return Counter32(s.packets);
    case kEtherStatsBroadcastPkts:
        return Counter32(s.broadcast);
    case kEtherStatsMulticastPkts:
        return Counter32(s.multicast);
    case kEtherStatsCRCAlignErrors:
        return Counter32(s.crcAlign);
    case kEtherStatsUndersizePkts:
        return Counter32(s.undersize);
    case kEtherStatsOversizePkts:
        return Counter32(s.oversize);
    case kEtherStatsFragments:
        return Counter32(s.fragments);
    case kEtherStatsJabbers:
        return Counter32(s.jabbers);
    case kEtherStatsCollisions:
        return Counter32(0); // a capture sees none
    case kEtherStatsPkts64Octets:
    case kEtherStatsPkts65to127Octets:
    case kEtherStatsPkts128to255Octets:
    case kEtherStatsPkts256to511Octets:
    case kEtherStatsPkts512to1023Octets:
    case kEtherStatsPkts1024to1518Octets:
        return Counter32(s.sizes[column - kEtherStatsPkts64Octets]);
    case kEtherStatsOwner:
        return Text(row.owner);
    case kEtherStatsStatus:
        break;
    }
    return Number(kTagInteger, kEntryValid);
}

MatrixValue EtherHcValue(uint32_t column, uint32_t, const MonitoredInterface& row) {
    const EtherStatistics& s = row.statistics;
    uint64_t count = 0;
    switch (EtherHcColumn(column)) {
    case kHcOverflowPkts:
    case kHcPkts:
        count = s.packets;
        break;
    case kHcOverflowOctets:
    case kHcOctets:
        count = s.octets;
        break;
    default: // the size buckets' pairs, from kHcOverflowPkts64Octets on
        count = s.sizes[(column - kHcOverflowPkts64Octets) / 2];
        break;
    }
    const bool overflow = column % 2 == 1;
    return overflow ? Counter32(count >> 32) : Number(kTagCounter64, count);
}

bool StartsWith(const Arcs& name, const Arcs& prefix) {
    return name.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin());
}

// The column of `entry` that `name` is under, 0 if none of its `columns`.
uint32_t ColumnOf(const Arcs& name, const Arcs& entry, uint32_t columns) {
    if (!StartsWith(name, entry) || name.size() == entry.size()) {
        return 0;
    }
    const uint32_t column = name[entry.size()];
    return column >= 1 && column <= columns ? column : 0;
}

} // namespace

const Arcs kIfIndexColumn = {1, 3, 6, 1, 2, 1, 2, 2, 1, 1};

Arcs DataSourceOf(uint32_t ifIndex) {
    Arcs source = kIfIndexColumn;
    source.push_back(ifIndex);
    return source;
}

const Arcs InterfaceTable::kInterfaces = {1, 3, 6, 1, 2, 1, 2};
const Arcs InterfaceTable::kIfXTable = {1, 3, 6, 1, 2, 1, 31, 1, 1};
const Arcs InterfaceTable::kStatistics = {1, 3, 6, 1, 2, 1, 16, 1};

std::string FollowKernel(MonitoredInterface& row, const InterfaceState& now, uint32_t uptime) {
    const InterfaceState before = row.state;
    std::string line;
    if (OperStatus(before) != OperStatus(now)) {
        row.lastChange = uptime;
        line = now.operUp ? "link up" : now.present ? "link down" : "link down (interface deleted)";
    }
    if (!now.present) {
        row.state.present = false; // the row keeps its last index, address and counts
        return line;
    }
    if (!before.present) {
        row.discontinuity = uptime; // a new interface of that name: its counters began again
    }
    row.state = now;
    if (!row.fixedIndex && row.ifIndex != now.ifIndex) {
        line += std::string(line.empty() ? "" : "; ") + "now ifIndex " +
                std::to_string(now.ifIndex) + " (was " + std::to_string(row.ifIndex) + ")";
        row.ifIndex = now.ifIndex;
    }
    return line;
}

MonitoredInterface& InterfaceTable::Add(const MonitoredInterface& interface) {
    const uint32_t index = uint32_t(m_byEtherIndex.size()) + 1;
    MonitoredInterface& row = m_byEtherIndex.emplace(index, interface).first->second;
    m_etherRows[index] = &row;
    return row;
}

InterfaceTable::RowMap InterfaceTable::IfRows() const {
    RowMap rows;
    for (const auto& [index, row] : m_byEtherIndex) {
        rows.emplace(row.ifIndex, &row);
    }
    return rows;
}

ObjectKind InterfaceTable::Kind(const Arcs& name) {
    if (StartsWith(name, kIfNumberObject) || ColumnOf(name, kIfEntry, kIfColumns) ||
        ColumnOf(name, kIfXEntry, kIfXColumns) || ColumnOf(name, kEtherHcEntry, kEtherHcColumns)) {
        return ObjectKind::kReadOnly;
    }
    switch (ColumnOf(name, kEtherStatsEntry, kEtherColumns)) {
    case 0:
        return ObjectKind::kNone;
    case kEtherStatsDataSource:
    case kEtherStatsOwner:
    case kEtherStatsStatus:
        return ObjectKind::kReadCreate;
    default:
        return ObjectKind::kReadOnly;
    }
}

bool InterfaceTable::GetNumber(const Arcs& name, MatrixObject& object) const {
    if (name != kIfNumber) {
        return false;
    }
    object = {kIfNumber, Number(kTagInteger, IfRows().size())};
    return true;
}

bool InterfaceTable::Get(const Arcs& name, MatrixObject& object) const {
    const RowMap ifRows = IfRows();
    return GetNumber(name, object) ||
           GetIn({&kIfEntry, kIfColumns, &ifRows, IfValue}, name, object) ||
           GetIn({&kIfXEntry, kIfXColumns, &ifRows, IfXValue}, name, object) ||
           GetIn({&kEtherStatsEntry, kEtherColumns, &m_etherRows, EtherValue}, name, object) ||
           GetIn({&kEtherHcEntry, kEtherHcColumns, &m_etherRows, EtherHcValue}, name, object);
}

bool InterfaceTable::GetNext(const Arcs& name, MatrixObject& object) const {
    const RowMap ifRows = IfRows();
    if (name < kIfNumber) {
        return GetNumber(kIfNumber, object);
    }
    return NextIn({&kIfEntry, kIfColumns, &ifRows, IfValue}, name, object) ||
           NextIn({&kEtherStatsEntry, kEtherColumns, &m_etherRows, EtherValue}, name, object) ||
           NextIn({&kEtherHcEntry, kEtherHcColumns, &m_etherRows, EtherHcValue}, name, object) ||
           NextIn({&kIfXEntry, kIfXColumns, &ifRows, IfXValue}, name, object);
}

bool InterfaceTable::GetIn(const Rows& table, const Arcs& name, MatrixObject& object) {
    const size_t length = table.entry->size();
    if (name.size() != length + 2 || !StartsWith(name, *table.entry)) {
        return false;
    }
    const uint32_t column = name[length];
    const auto row = table.rows->find(name[length + 1]);
    if (column < 1 || column > table.columns || row == table.rows->end()) {
        return false;
    }
    object = {name, table.value(column, row->first, *row->second)};
    return true;
}

// The names of a table come column by column, each column's rows by instance: the first of
// them after `name` is its successor. The tables are a few rows long.
bool InterfaceTable::NextIn(const Rows& table, const Arcs& name, MatrixObject& object) {
    Arcs candidate = *table.entry;
    candidate.resize(candidate.size() + 2);
    for (uint32_t column = 1; column <= table.columns; ++column) {
        candidate[candidate.size() - 2] = column;
        for (const auto& [instance, row] : *table.rows) {
            candidate.back() = instance;
            if (name < candidate) {
                object = {candidate, table.value(column, instance, *row)};
                return true;
            }
        }
    }
    return false;
}

} // namespace probe
