#include "probe/matrix_table.h"

#include <algorithm>

namespace probe {
namespace {

// The columns of matrixSDEntry and matrixDSEntry (named for SD; DS has the same numbers),
// of their high-capacity extensions and of matrixControlEntry.
enum MatrixColumn : uint32_t {
    kSourceAddress = 1,
    kDestAddress = 2,
    kIndex = 3,
    kPkts = 4,
    kOctets = 5,
    kErrors = 6,
};
enum HighCapacityColumn : uint32_t {
    kOverflowPkts = 1,
    kHighCapacityPkts = 2,
    kOverflowOctets = 3,
    kHighCapacityOctets = 4,
};
enum ControlColumn : uint32_t {
    kControlIndex = 1,
    kControlDataSource = 2,
    kControlTableSize = 3,
    kControlLastDeleteTime = 4,
    kControlOwner = 5,
    kControlStatus = 6,
};
constexpr uint32_t kColumns = kErrors;
constexpr uint32_t kHighCapacityColumns = kHighCapacityOctets;
constexpr uint32_t kControlColumns = kControlStatus;
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

// A 64-bit count's column of matrixSDHighCapacityEntry: the count, or how often its 32-bit
// counter wrapped.
MatrixValue HighCapacityValue(HighCapacityColumn column, const MatrixCounters& counters) {
    switch (column) {
    case kOverflowPkts:
        return {kTagCounter32, counters.packets >> 32, {}, {}};
    case kHighCapacityPkts:
        return {kTagCounter64, counters.packets, {}, {}};
    case kOverflowOctets:
        return {kTagCounter32, counters.octets >> 32, {}, {}};
    case kHighCapacityOctets:
        break;
    }
    return {kTagCounter64, counters.octets, {}, {}};
}

} // namespace

const Arcs MatrixTable::kControlEntry = {1, 3, 6, 1, 2, 1, 16, 6, 1, 1};
const Arcs MatrixTable::kSdEntry = {1, 3, 6, 1, 2, 1, 16, 6, 2, 1};
const Arcs MatrixTable::kDsEntry = {1, 3, 6, 1, 2, 1, 16, 6, 3, 1};
const Arcs MatrixTable::kSdHcEntry = {1, 3, 6, 1, 2, 1, 16, 6, 5, 1};
const Arcs MatrixTable::kDsHcEntry = {1, 3, 6, 1, 2, 1, 16, 6, 6, 1};

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

// In the order of their names.
std::array<MatrixTable::Table, 4> MatrixTable::Tables() const {
    return {Table{&kSdEntry, &m_bySource, false, false, kColumns},
            Table{&kDsEntry, &m_byDestination, true, false, kColumns},
            Table{&kSdHcEntry, &m_bySource, false, true, kHighCapacityColumns},
            Table{&kDsHcEntry, &m_byDestination, true, true, kHighCapacityColumns}};
}

ObjectKind MatrixTable::Kind(const Arcs& name) {
    const auto column = [&name](const Arcs& entry, uint32_t columns) {
        return StartsWith(name, entry) && name.size() > entry.size() && name[entry.size()] >= 1 &&
                       name[entry.size()] <= columns
                   ? name[entry.size()]
                   : 0;
    };
    switch (column(kControlEntry, kControlColumns)) {
    case 0:
        break;
    case kControlDataSource:
    case kControlOwner:
    case kControlStatus:
        return ObjectKind::kReadCreate;
    default:
        return ObjectKind::kReadOnly;
    }
    const bool counted = column(kSdEntry, kColumns) || column(kDsEntry, kColumns) ||
                         column(kSdHcEntry, kHighCapacityColumns) ||
                         column(kDsHcEntry, kHighCapacityColumns);
    return counted ? ObjectKind::kReadOnly : ObjectKind::kNone;
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
        if (column < 1 || column > table.columns ||
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
    if (column > table.columns) {
        return false;
    }
    auto row = order.upper_bound(Arcs(name.begin() + long(prefix) + 1, name.end()));
    if (row != order.end()) {
        object = ObjectOf(table, column, *row);
        return true;
    }
    if (column == table.columns) {
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
    if (table.highCapacity) {
        object.value = HighCapacityValue(HighCapacityColumn(column), counters);
        return object;
    }
    const Mac& source = table.destinationFirst ? second : first;
    const Mac& destination = table.destinationFirst ? first : second;
    switch (MatrixColumn(column)) {
    case kSourceAddress:
        object.value = {kTagOctets, 0, OctetsOf(source), {}};
        break;
    case kDestAddress:
        object.value = {kTagOctets, 0, OctetsOf(destination), {}};
        break;
    case kIndex:
        object.value = {kTagInteger, index, {}, {}};
        break;
    case kPkts:
        object.value = {kTagCounter32, uint32_t(counters.packets), {}, {}};
        break;
    case kOctets:
        object.value = {kTagCounter32, uint32_t(counters.octets), {}, {}};
        break;
    case kErrors:
        object.value = {kTagCounter32, counters.errors, {}, {}};
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
    switch (ControlColumn(column)) {
    case kControlIndex:
        object.value = {kTagInteger, index, {}, {}};
        break;
    case kControlDataSource:
        object.value = {kTagObjectId, 0, {}, control.dataSource};
        break;
    case kControlTableSize:
        object.value = {kTagInteger, tableSize, {}, {}};
        break;
    case kControlLastDeleteTime:
        object.value = {kTagTimeTicks, control.lastDeleteTime, {}, {}};
        break;
    case kControlOwner:
        object.value = {kTagOctets, 0, control.owner, {}};
        break;
    case kControlStatus:
        object.value = {kTagInteger, control.status, {}, {}};
        break;
    }
    return object;
}

} // namespace probe
