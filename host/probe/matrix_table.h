// The RMON-1 matrix tables of a probe: one row per (matrix index, source, destination)
// with packet, octet and error counters. matrixSDTable (1.3.6.1.2.1.16.6.2.1) lists the
// rows by source then destination, matrixDSTable (1.3.6.1.2.1.16.6.3.1) by destination
// then source; both answer get and get-next from the same counters. Whatever fills the
// counters (a generator, packet capture) calls AddTraffic; no SNMP library is needed here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace probe {

using Arcs = std::vector<uint32_t>;
using Mac = std::array<uint8_t, 6>;

// BER tags of the values this table answers (net-snmp's ASN_ values).
enum : uint8_t { kTagInteger = 0x02, kTagOctets = 0x04, kTagCounter32 = 0x41 };

struct MatrixValue {
    uint8_t tag = 0;
    uint32_t number = 0; // INTEGER and Counter32
    Mac address{};       // OCTET STRING of six bytes
};

struct MatrixObject {
    Arcs name;
    MatrixValue value;
};

class MatrixTable {
  public:
    static const Arcs kSdEntry; // 1.3.6.1.2.1.16.6.2.1
    static const Arcs kDsEntry; // 1.3.6.1.2.1.16.6.3.1

    // Adds to the counters of a conversation, creating its row at zero first. Counter32
    // arithmetic: the counters wrap.
    void AddTraffic(uint32_t index, const Mac& source, const Mac& destination, uint32_t packets,
                    uint32_t octets, uint32_t errors);
    size_t Size() const { return m_rows.size(); }

    // The object named exactly `name`; false if there is none.
    bool Get(const Arcs& name, MatrixObject& object) const;
    // The first object after `name` in either table; false past the last one.
    bool GetNext(const Arcs& name, MatrixObject& object) const;

  private:
    // The instance of a row: index, then the first and the second address of the table's
    // order. Ordered as the instance's arcs are, so a tail of arcs can look keys up.
    using Key = std::tuple<uint32_t, Mac, Mac>;
    struct KeyLess {
        using is_transparent = void;
        bool operator()(const Key& a, const Key& b) const { return a < b; }
        bool operator()(const Key& key, const Arcs& tail) const;
        bool operator()(const Arcs& tail, const Key& key) const;
    };
    struct Counters {
        uint32_t packets = 0;
        uint32_t octets = 0;
        uint32_t errors = 0;
    };
    using Order = std::map<Key, Counters*, KeyLess>;
    struct Table {
        const Arcs* entry;
        const Order* order;
        bool destinationFirst;
    };

    std::array<Table, 2> Tables() const;
    static bool NextIn(const Table& table, const Arcs& name, MatrixObject& object);
    static MatrixObject ObjectOf(const Table& table, uint32_t column, const Order::value_type& row);

    std::map<Key, Counters> m_rows; // owns the counters
    Order m_bySource;               // index, source, destination
    Order m_byDestination;          // index, destination, source
};

} // namespace probe
