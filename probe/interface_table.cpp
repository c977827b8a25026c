#include "probe/interface_table.h"

#include <algorithm>

namespace probe {
namespace {

constexpr uint32_t kIfColumns = 8;     // ifIndex to ifOperStatus
constexpr uint32_t kEtherColumns = 21; // etherStatsIndex to etherStatsStatus
constexpr uint32_t kEthernetCsmacd = 6;
constexpr uint32_t kStatusUp = 1, kStatusDown = 2;
constexpr uint32_t kEntryValid = 1;
const Arcs kIfIndexColumn = {1, 3, 6, 1, 2, 1, 2, 2, 1, 1};

MatrixValue Number(uint8_t tag, uint32_t number) {
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

// etherStatsDropEvents to etherStatsPkts1024to1518Octets (columns 3 to 19).
uint32_t EtherCounter(uint32_t column, const EtherStatistics& s) {
    const uint32_t counters[] = {s.dropEvents,
                                 s.octets,
                                 s.packets,
                                 s.broadcast,
                                 s.multicast,
                                 s.crcAlign,
                                 s.undersize,
                                 s.oversize,
                                 s.fragments,
                                 s.jabbers,
                                 0 /* collisions: a capture sees none */};
    if (column - 3 < std::size(counters)) {
        return counters[column - 3];
    }
    return s.sizes[column - 14];
}

} // namespace

const Arcs InterfaceTable::kIfEntry = {1, 3, 6, 1, 2, 1, 2, 2, 1};
const Arcs InterfaceTable::kEtherStatsEntry = {1, 3, 6, 1, 2, 1, 16, 1, 1, 1};

MonitoredInterface& InterfaceTable::Add(const MonitoredInterface& interface) {
    const uint32_t index = uint32_t(m_byEtherIndex.size()) + 1;
    MonitoredInterface& row = m_byEtherIndex.emplace(index, interface).first->second;
    m_etherRows[index] = &row;
    m_ifRows.emplace(row.ifIndex, &row); // one ifTable row per interface however often counted
    return row;
}

MatrixValue InterfaceTable::IfValue(uint32_t column, uint32_t instance,
                                    const MonitoredInterface& row) {
    switch (column) {
    case 1:
        return Number(kTagInteger, instance);
    case 2:
        return Text(row.description);
    case 3:
        return Number(kTagInteger, kEthernetCsmacd);
    case 4:
        return Number(kTagInteger, row.mtu);
    case 5:
        return Number(kTagGauge32, row.speed);
    case 6:
        return Text(row.address);
    case 7:
        return Number(kTagInteger, row.adminUp ? kStatusUp : kStatusDown);
    default:
        return Number(kTagInteger, row.operUp ? kStatusUp : kStatusDown);
    }
}

MatrixValue InterfaceTable::EtherValue(uint32_t column, uint32_t instance,
                                       const MonitoredInterface& row) {
    switch (column) {
    case 1:
        return Number(kTagInteger, instance);
    case 2: {
        MatrixValue value;
        value.tag = kTagObjectId;
        value.oid = kIfIndexColumn;
        value.oid.push_back(row.ifIndex);
        return value;
    }
    case 20:
        return Text(row.owner);
    case 21:
        return Number(kTagInteger, kEntryValid);
    default:
        return Number(kTagCounter32, EtherCounter(column, row.statistics));
    }
}

bool InterfaceTable::Get(const Arcs& name, MatrixObject& object) const {
    for (const Rows& table : {Rows{&kIfEntry, kIfColumns, &m_ifRows, IfValue},
                              Rows{&kEtherStatsEntry, kEtherColumns, &m_etherRows, EtherValue}}) {
        const size_t length = table.entry->size();
        if (name.size() != length + 2 ||
            !std::equal(table.entry->begin(), table.entry->end(), name.begin())) {
            continue;
        }
        const uint32_t column = name[length];
        const auto row = table.rows->find(name[length + 1]);
        if (column < 1 || column > table.columns || row == table.rows->end()) {
            return false;
        }
        object = {name, table.value(column, row->first, *row->second)};
        return true;
    }
    return false;
}

bool InterfaceTable::GetNext(const Arcs& name, MatrixObject& object) const {
    return NextIn({&kIfEntry, kIfColumns, &m_ifRows, IfValue}, name, object) ||
           NextIn({&kEtherStatsEntry, kEtherColumns, &m_etherRows, EtherValue}, name, object);
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
