#include "host/probe/matrix_table.h"

#include <algorithm>

namespace probe {
namespace {

constexpr uint32_t kColumns = 6; // source, destination, index, packets, octets, errors
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
    if (instance.size() != 15 || instance[1] != kAddressLength || instance[8] != kAddressLength)
        return false;
    Mac first{}, second{};
    for (size_t byte = 0; byte < kAddressLength; ++byte) {
        if (instance[2 + byte] > 255 || instance[9 + byte] > 255)
            return false;
        first[byte] = uint8_t(instance[2 + byte]);
        second[byte] = uint8_t(instance[9 + byte]);
    }
    key = {instance[0], first, second};
    return true;
}

} // namespace

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
    auto [row, added] = m_rows.try_emplace(Key{index, source, destination});
    Counters& counters = row->second;
    counters.packets += packets;
    counters.octets += octets;
    counters.errors += errors;
    if (!added)
        return;
    m_bySource.emplace(row->first, &counters);
    m_byDestination.emplace(Key{index, destination, source}, &counters);
}

std::array<MatrixTable::Table, 2> MatrixTable::Tables() const {
    return {Table{&kSdEntry, &m_bySource, false}, Table{&kDsEntry, &m_byDestination, true}};
}

bool MatrixTable::Get(const Arcs& name, MatrixObject& object) const {
    for (const Table& table : Tables()) {
        size_t prefix = table.entry->size();
        if (!StartsWith(name, *table.entry) || name.size() <= prefix)
            continue;
        uint32_t column = name[prefix];
        Key key;
        if (column < 1 || column > kColumns ||
            !KeyOf(Arcs(name.begin() + long(prefix) + 1, name.end()), key))
            return false;
        auto row = table.order->find(key);
        if (row == table.order->end())
            return false;
        object = ObjectOf(table, column, *row);
        return true;
    }
    return false;
}

bool MatrixTable::GetNext(const Arcs& name, MatrixObject& object) const {
    for (const Table& table : Tables())
        if (NextIn(table, name, object))
            return true;
    return false;
}

// The first object of one table after `name`: the next row of the same column, else the
// first row of the next column.
bool MatrixTable::NextIn(const Table& table, const Arcs& name, MatrixObject& object) {
    const Order& order = *table.order;
    if (order.empty())
        return false;
    size_t prefix = table.entry->size();
    if (!StartsWith(name, *table.entry)) {
        if (!(name < *table.entry))
            return false;
        object = ObjectOf(table, 1, *order.begin());
        return true;
    }
    uint32_t column = name.size() > prefix ? name[prefix] : 0;
    if (column == 0) {
        object = ObjectOf(table, 1, *order.begin());
        return true;
    }
    if (column > kColumns)
        return false;
    auto row = order.upper_bound(Arcs(name.begin() + long(prefix) + 1, name.end()));
    if (row != order.end()) {
        object = ObjectOf(table, column, *row);
        return true;
    }
    if (column == kColumns)
        return false;
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
        object.value.address = column == 1 ? source : destination;
        break;
    case 3:
        object.value = {kTagInteger, index, {}};
        break;
    default:
        const uint32_t numbers[] = {counters.packets, counters.octets, counters.errors};
        object.value = {kTagCounter32, numbers[column - 4], {}};
        break;
    }
    return object;
}

} // namespace probe
