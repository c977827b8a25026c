// The interfaces a capturing probe monitors, as the tables that describe them: IF-MIB's
// ifNumber, ifTable and ifXTable (by ifIndex, what the kernel says of the interface and its
// counters) and RMON-1's etherStatsTable with its high-capacity extension (one row per
// monitored interface, its etherStatsDataSource naming the ifTable row). No SNMP library is
// needed here. Not thread-safe: the capture thread writes the statistics, and the agent's
// thread the kernel's view, under the lock the agent takes to read them.
#pragma once

#include "probe/ether_statistics.h"
#include "probe/matrix_table.h"

#include <cstdint>
#include <map>
#include <string>

namespace probe {

// The kernel's counters of an interface (/sys/class/net/NAME/statistics).
struct InterfaceCounters {
    uint64_t inOctets = 0;
    uint64_t inPackets = 0;
    uint64_t inMulticast = 0; // Linux counts no received broadcasts apart
    uint64_t inDiscards = 0;
    uint64_t inErrors = 0;
    uint64_t inUnknownProtos = 0; // frames no protocol handler took
    uint64_t outOctets = 0;
    uint64_t outPackets = 0; // Linux counts no sent multicasts or broadcasts apart
    uint64_t outDiscards = 0;
    uint64_t outErrors = 0;
};

// What the kernel says of an interface now.
struct InterfaceState {
    bool present = false; // false once the interface was deleted
    uint32_t ifIndex = 0;
    uint32_t type = 6;       // ifType: ethernetCsmacd(6), softwareLoopback(24), other(1)
    std::string description; // ifDescr
    uint32_t mtu = 0;
    uint64_t speed = 0;  // bits a second, 0 if the driver does not say
    std::string address; // ifPhysAddress: the address's bytes, empty if none
    bool adminUp = false;
    bool operUp = false;
    bool promiscuous = false;
    bool connector = false; // a physical device, not a virtual link
    InterfaceCounters counters;
};

struct MonitoredInterface {
    uint32_t ifIndex = 1;
    bool fixedIndex = false; // --if-index or a capture file: the index does not follow the kernel
    std::string name;        // ifName
    InterfaceState state;
    uint32_t lastChange = 0;    // ifLastChange: sysUpTime when ifOperStatus last changed
    uint32_t discontinuity = 0; // ifCounterDiscontinuityTime: when the counters began again
    std::string owner;          // etherStatsOwner
    EtherStatistics statistics;
};

// ifIndex (1.3.6.1.2.1.2.2.1.1), without instance: the data sources name it.
extern const Arcs kIfIndexColumn;
// ifIndex.N, as matrixControlDataSource and etherStatsDataSource name an interface.
Arcs DataSourceOf(uint32_t ifIndex);

// Takes what the kernel says of the interface now (`now`, read at `uptime`) into its row:
// the current index unless fixed, status, address and counters; ifLastChange when the
// operational status changed, ifCounterDiscontinuityTime when the interface came back (its
// counters began again). A deleted interface keeps its row: admin down, oper notPresent, its
// last counts. The log line of the change (link down or up, a new index), or empty.
std::string FollowKernel(MonitoredInterface& row, const InterfaceState& now, uint32_t uptime);

class InterfaceTable {
  public:
    static const Arcs kInterfaces; // 1.3.6.1.2.1.2: ifNumber and ifTable
    static const Arcs kIfXTable;   // 1.3.6.1.2.1.31.1.1
    static const Arcs kStatistics; // 1.3.6.1.2.1.16.1: etherStatsTable and its HC table

    // Adds an interface as the next etherStatsIndex (1, 2, ...). The reference stays valid
    // as long as the table.
    MonitoredInterface& Add(const MonitoredInterface& interface);

    // The object named exactly `name`; false if there is none.
    bool Get(const Arcs& name, MatrixObject& object) const;
    // The first object after `name`, in the order of the names: ifNumber, ifTable's (under
    // mib-2.2), etherStatsTable's and its high-capacity table's (mib-2.16), ifXTable's
    // (mib-2.31); false past the last.
    bool GetNext(const Arcs& name, MatrixObject& object) const;
    // Which of the tables' objects `name` is an instance of.
    static ObjectKind Kind(const Arcs& name);

  private:
    using RowMap = std::map<uint32_t, const MonitoredInterface*>;
    using ValueOf = MatrixValue (*)(uint32_t column, uint32_t instance, const MonitoredInterface&);
    // One table: its rows by instance (ifIndex or etherStatsIndex).
    struct Rows {
        const Arcs* entry;
        uint32_t columns;
        const RowMap* rows;
        ValueOf value;
    };

    // ifTable's rows by their current ifIndex, one per interface however often counted.
    RowMap IfRows() const;
    bool GetNumber(const Arcs& name, MatrixObject& object) const;
    static bool GetIn(const Rows& table, const Arcs& name, MatrixObject& object);
    static bool NextIn(const Rows& table, const Arcs& name, MatrixObject& object);

    std::map<uint32_t, MonitoredInterface> m_byEtherIndex; // owns the rows
    RowMap m_etherRows;
};

} // namespace probe
