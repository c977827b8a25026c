#include "probe/matrix_table.h"

#include <algorithm>

namespace probe {
namespace {

constexpr uint32_t kColumns = 6; // source, destination, index, packets, octets, errors
// index, data source, table size, last delete time, owner, status
constexpr uint32_t kControlColumns = 6;
constexpr uint32_t kAddressLength = 6;

using Instance = std::array<uint32_t, 15>;

// index.6.first.6.second
Instance InstanceOf(const std::tuple<uint32_t, Mac, Mac>& key) {
    Instance arcs{};
    arcs[0] = std::get<0>(key);
    arcs[1] = arcs[8] = kAddressLength;
    std::copy(std::get<1>(key).begin(), std::get<1>(key).end(), arcs.begin() + 2);
    std::copy(std::get<2>(key).begin(), std::get<2>(key).end(), arcs.begin() + 9);
    return arcs;
}

bool StartsWith(const Arcs& name, const Arcs& prefix) {
    return name.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin());
}

// The key an exact instance names; false if the arcs are no instance of this table.
bool KeyOf(const Arcs& instance, std::tuple<uint32_t, Mac, Mac>& key) {
    if (instance.size() != 15 || instance[1] != kAddressLength || instance[8] != kAddressLength) {
        return false;
    }
    Mac first{}, second{};
    for (size_t byte = 0; byte < kAddressLength; ++byte) {
        if (instance[2 + byte] > 255 || instance[9 + byte] > 255) {
            return false;
        }
        first[byte] = uint8_t(instance[2 + byte]);
        second[byte] = uint8_t(instance[9 + byte]);
    }
    key = {instance[0], first, second};
    return true;
}

std::string OctetsOf(const Mac& address) {
    return std::string(address.begin(), address.end());
}

} // namespace

const Arcs MatrixTable::kControlEntry = {1, 3, 6, 1, 2, 1, 16, 6, 1, 1};
const Arcs MatrixTable::kSdEntry = {1, 3, 6, 1, 2, 1, 16, 6, 2, 1};
const Arcs MatrixTable::kDsEntry = {1, 3, 6, 1, 2, 1, 16, 6, 3, 1};

bool MatrixTable::KeyLess::operator()(const Key& key, const Arcs& tail) const {
    Instance arcs = InstanceOf(key);
    return std::lexicographical_compare(arcs.begin(), arcs.end(), tail.begin(), tail.end());
}

bool MatrixTable::KeyLess::operator()(const Arcs& tail, const Key& key) const {
    Instance arcs = InstanceOf(key);
    return std::lexicographical_compare(tail.begin(), tail.end(), arcs.begin(), arcs.end());
}

void MatrixTable::AddTraffic(uint32_t index, const Mac& source, const Mac& destination,
                             uint32_t packets, uint32_t octets, uint32_t errors) {
    Counters& counters = Row(index, source, destination);
    counters.packets += packets;
    counters.octets += octets;
    counters.errors += errors;
}

MatrixCounters& MatrixTable::Row(uint32_t index, const Mac& source, const Mac& destination) {
    auto [row, added] = m_rows.try_emplace(Key{index, source, destination});
    Counters& counters = row->second;
    if (added) {
        m_bySource.emplace(row->first, &counters);
        m_byDestination.emplace(Key{index, destination, source}, &counters);
        ++m_rowsPerIndex[index];
    }
    return counters;
}

bool MatrixTable::Remove(uint32_t index, const Mac& source, const Mac& destination) {
    if (m_rows.erase(Key{index, source, destination}) == 0) {
        return false;
    }
    m_bySource.erase(Key{index, source, destination});
    m_byDestination.erase(Key{index, destination, source});
    --m_rowsPerIndex[index];
    return true;
}

void MatrixTable::SetControl(uint32_t index, const MatrixControl& control) {
    m_controls[index] = control;
}

MatrixControl* MatrixTable::Control(uint32_t index) {
    auto row = m_controls.find(index);
    return row == m_controls.end() ? nullptr : &row->second;
}

std::array<MatrixTable::Table, 2> MatrixTable::Tables() const {
    return {Table{&kSdEntry, &m_bySource, false}, Table{&kDsEntry, &m_byDestination, true}};
}

bool MatrixTable::Get(const Arcs& name, MatrixObject& object) const {
    if (StartsWith(name, kControlEntry)) {
        return GetControl(name, object);
    }
    for (const Table& table : Tables()) {
        size_t prefix = table.entry->size();
        if (!StartsWith(name, *table.entry) || name.size() <= prefix) {
            continue;
        }
        uint32_t column = name[prefix];
        Key key;
        if (column < 1 || column > kColumns ||
            !KeyOf(Arcs(name.begin() + long(prefix) + 1, name.end()), key)) {
            return false;
        }
        auto row = table.order->find(key);
        if (row == table.order->end()) {
            return false;
        }
        object = ObjectOf(table, column, *row);
        return true;
    }
    return false;
}

bool MatrixTable::GetNext(const Arcs& name, MatrixObject& object) const {
    if (NextControl(name, object)) {
        return true;
    }
    for (const Table& table : Tables()) {
        if (NextIn(table, name, object)) {
            return true;
        }
    }
    return false;
}

// The first object of one table after `name`: the next row of the same column, else the
// first row of the next column.
bool MatrixTable::NextIn(const Table& table, const Arcs& name, MatrixObject& object) {
    const Order& order = *table.order;
    if (order.empty()) {
        return false;
    }
    size_t prefix = table.entry->size();
    if (!StartsWith(name, *table.entry)) {
        if (!(name < *table.entry)) {
            return false;
        }
        object = ObjectOf(table, 1, *order.begin());
        return true;
    }
    uint32_t column = name.size() > prefix ? name[prefix] : 0;
    if (column == 0) {
        object = ObjectOf(table, 1, *order.begin());
        return true;
    }
    if (column > kColumns) {
        return false;
    }
    auto row = order.upper_bound(Arcs(name.begin() + long(prefix) + 1, name.end()));
    if (row != order.end()) {
        object = ObjectOf(table, column, *row);
        return true;
    }
    if (column == kColumns) {
        return false;
    }
    object = ObjectOf(table, column + 1, *order.begin());
    return true;
}

MatrixObject MatrixTable::ObjectOf(const Table& table, uint32_t column,
                                   const Order::value_type& row) {
    const auto& [index, first, second] = row.first;
    const Counters& counters = *row.second;
    MatrixObject object;
    object.name = *table.entry;
    object.name.push_back(column);
    Instance instance = InstanceOf(row.first);
    object.name.insert(object.name.end(), instance.begin(), instance.end());
    const Mac& source = table.destinationFirst ? second : first;
    const Mac& destination = table.destinationFirst ? first : second;
    switch (column) {
    case 1:
    case 2:
        object.value.tag = kTagOctets;
        object.value.octets = OctetsOf(column == 1 ? source : destination);
        break;
    case 3:
        object.value = {kTagInteger, index, {}, {}};
        break;
    default:
        const uint32_t numbers[] = {counters.packets, counters.octets, counters.errors};
        object.value = {kTagCounter32, numbers[column - 4], {}, {}};
        break;
    }
    return object;
}

// Control rows are named kControlEntry.column.index.
bool MatrixTable::GetControl(const Arcs& name, MatrixObject& object) const {
    const size_t prefix = kControlEntry.size();
    if (name.size() != prefix + 2 || name[prefix] < 1 || name[prefix] > kControlColumns) {
        return false;
    }
    auto row = m_controls.find(name[prefix + 1]);
    if (row == m_controls.end()) {
        return false;
    }
    object = ControlObject(name[prefix], row->first, row->second);
    return true;
}

bool MatrixTable::NextControl(const Arcs& name, MatrixObject& object) const {
    if (m_controls.empty()) {
        return false;
    }
    const size_t prefix = kControlEntry.size();
    if (!StartsWith(name, kControlEntry)) {
        if (!(name < kControlEntry)) {
            return false;
        }
        object = ControlObject(1, m_controls.begin()->first, m_controls.begin()->second);
        return true;
    }
    uint32_t column = name.size() > prefix ? name[prefix] : 0;
    if (column == 0) {
        object = ControlObject(1, m_controls.begin()->first, m_controls.begin()->second);
        return true;
    }
    if (column > kControlColumns) {
        return false;
    }
    // The first index after the named one (an object with arcs after the index still
    // follows that index's object); a name that stops at the column precedes them all.
    auto row =
        name.size() > prefix + 1 ? m_controls.upper_bound(name[prefix + 1]) : m_controls.begin();
    if (row != m_controls.end()) {
        object = ControlObject(column, row->first, row->second);
        return true;
    }
    if (column == kControlColumns) {
        return false;
    }
    object = ControlObject(column + 1, m_controls.begin()->first, m_controls.begin()->second);
    return true;
}

MatrixObject MatrixTable::ControlObject(uint32_t column, uint32_t index,
                                        const MatrixControl& control) const {
    MatrixObject object;
    object.name = kControlEntry;
    object.name.push_back(column);
    object.name.push_back(index);
    auto size = m_rowsPerIndex.find(index);
    const uint32_t tableSize = size == m_rowsPerIndex.end() ? 0 : uint32_t(size->second);
    switch (column) {
    case 1:
        object.value = {kTagInteger, index, {}, {}};
        break;
    case 2:
        object.value = {kTagObjectId, 0, {}, control.dataSource};
        break;
    case 3:
        object.value = {kTagInteger, tableSize, {}, {}};
        break;
    case 4:
        object.value = {kTagTimeTicks, control.lastDeleteTime, {}, {}};
        break;
    case 5:
        object.value = {kTagOctets, 0, control.owner, {}};
        break;
    default:
        object.value = {kTagInteger, control.status, {}, {}};
        break;
    }
    return object;
}

} // namespace probe
