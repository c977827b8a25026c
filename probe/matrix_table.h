// The RMON-1 matrix tables of a probe: one row per (matrix index, source, destination)
// with packet, octet and error counters. matrixSDTable (1.3.6.1.2.1.16.6.2.1) lists the
// rows by source then destination, matrixDSTable (1.3.6.1.2.1.16.6.3.1) by destination
// then source; both answer get and get-next from the same counters. matrixControlTable
// (1.3.6.1.2.1.16.6.1.1) has one row per matrix index that SetControl described. Whatever
// fills the counters (a generator, packet capture) calls AddTraffic or Row; no SNMP library
// is needed here. Not thread-safe: a caller that fills and answers from two threads locks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace probe {

using Arcs = std::vector<uint32_t>;
using Mac = std::array<uint8_t, 6>;

// BER tags of the values this table answers (net-snmp's ASN_ values).
enum : uint8_t {
    kTagInteger = 0x02,
    kTagOctets = 0x04,
    kTagObjectId = 0x06,
    kTagCounter32 = 0x41,
    kTagGauge32 = 0x42,
    kTagTimeTicks = 0x43,
    kTagCounter64 = 0x46
};

// What a name is an instance of: no object the agent implements, a read-only object, or a
// read-create column (which a manager could create rows of in a writable probe). The agent
// answers get and set exceptions by it.
enum class ObjectKind { kNone, kReadOnly, kReadCreate };

struct MatrixValue {
    uint8_t tag = 0;
    uint64_t number = 0; // INTEGER, Counter32, Gauge32, TimeTicks, Counter64
    std::string octets;  // OCTET STRING: an address's six bytes, an owner's text
    Arcs oid;            // OBJECT IDENTIFIER
};

struct MatrixObject {
    Arcs name;
    MatrixValue value;
};

// The counters of one conversation. matrixSDPkts and matrixSDOctets are their low 32 bits
// (Counter32, they wrap); the high-capacity tables serve all 64 and the high 32 bits as the
// overflow counts.
struct MatrixCounters {
    uint64_t packets = 0;
    uint64_t octets = 0;
    uint32_t errors = 0;
};

// A row of matrixControlTable; matrixControlIndex is the row's key and matrixControlTableSize
// the number of conversations of that index.
struct MatrixControl {
    Arcs dataSource;             // the interface counted, as ifIndex.N
    uint32_t lastDeleteTime = 0; // sysUpTime when a conversation of this index was last deleted
    std::string owner;
    uint32_t status = 1; // EntryStatus valid(1)
};

class MatrixTable {
  public:
    static const Arcs kControlEntry; // 1.3.6.1.2.1.16.6.1.1
    static const Arcs kSdEntry;      // 1.3.6.1.2.1.16.6.2.1
    static const Arcs kDsEntry;      // 1.3.6.1.2.1.16.6.3.1
    static const Arcs kSdHcEntry;    // 1.3.6.1.2.1.16.6.5.1, matrixSDHighCapacityEntry
    static const Arcs kDsHcEntry;    // 1.3.6.1.2.1.16.6.6.1, matrixDSHighCapacityEntry

    // Adds to the counters of a conversation, creating its row at zero first.
    void AddTraffic(uint32_t index, const Mac& source, const Mac& destination, uint32_t packets,
                    uint32_t octets, uint32_t errors);
    // The counters of a conversation, its row created at zero if there was none. The
    // reference stays valid until the row is removed.
    MatrixCounters& Row(uint32_t index, const Mac& source, const Mac& destination);
    // Deletes a conversation's row; false if there was none.
    bool Remove(uint32_t index, const Mac& source, const Mac& destination);
    size_t Size() const { return m_rows.size(); }

    // Creates or replaces the control row of `index`.
    void SetControl(uint32_t index, const MatrixControl& control);
    // The control row of `index`, or null.
    MatrixControl* Control(uint32_t index);

    // The object named exactly `name`; false if there is none.
    bool Get(const Arcs& name, MatrixObject& object) const;
    // The first object after `name` in either table; false past the last one.
    bool GetNext(const Arcs& name, MatrixObject& object) const;
    // Which of the tables' objects `name` is an instance of.
    static ObjectKind Kind(const Arcs& name);

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
    using Counters = MatrixCounters;
    using Order = std::map<Key, Counters*, KeyLess>;
    struct Table {
        const Arcs* entry;
        const Order* order;
        bool destinationFirst;
        bool highCapacity;
        uint32_t columns;
    };

    std::array<Table, 4> Tables() const;
    static bool NextIn(const Table& table, const Arcs& name, MatrixObject& object);
    static MatrixObject ObjectOf(const Table& table, uint32_t column, const Order::value_type& row);
    bool GetControl(const Arcs& name, MatrixObject& object) const;
    bool NextControl(const Arcs& name, MatrixObject& object) const;
    MatrixObject ControlObject(uint32_t column, uint32_t index, const MatrixControl& control) const;

    std::map<Key, Counters> m_rows; // owns the counters
    Order m_bySource;               // index, source, destination
    Order m_byDestination;          // index, destination, source
    std::map<uint32_t, MatrixControl> m_controls;
    std::map<uint32_t, size_t> m_rowsPerIndex;
};

} // namespace probe
