// The interfaces a capturing probe monitors, as two tables: their ifTable rows (by ifIndex,
// the identity and state columns: ifIndex to ifOperStatus) and RMON-1's etherStatsTable
// (1.3.6.1.2.1.16.1.1.1, one row per monitored interface, its etherStatsDataSource naming
// the ifTable row). No SNMP library is needed here. Not thread-safe: the capture thread
// writes the statistics under the lock the agent takes to read them.
#pragma once

#include "probe/ether_statistics.h"
#include "probe/matrix_table.h"

#include <cstdint>
#include <map>
#include <string>

namespace probe {

struct MonitoredInterface {
    uint32_t ifIndex = 1;
    std::string description; // ifDescr
    uint32_t mtu = 0;        // ifMtu
    uint32_t speed = 0;      // ifSpeed: bits a second, 2^32-1 for faster links
    std::string address;     // ifPhysAddress: the address's bytes, empty if none
    bool adminUp = true;     // ifAdminStatus up(1) or down(2)
    bool operUp = true;      // ifOperStatus up(1) or down(2)
    std::string owner;       // etherStatsOwner
    EtherStatistics statistics;
};

class InterfaceTable {
  public:
    static const Arcs kIfEntry;         // 1.3.6.1.2.1.2.2.1
    static const Arcs kEtherStatsEntry; // 1.3.6.1.2.1.16.1.1.1

    // Adds an interface as the next etherStatsIndex (1, 2, ...). The reference stays valid
    // as long as the table.
    MonitoredInterface& Add(const MonitoredInterface& interface);

    // The object named exactly `name`; false if there is none.
    bool Get(const Arcs& name, MatrixObject& object) const;
    // The first object after `name`: ifTable's, then etherStatsTable's; false past the last.
    bool GetNext(const Arcs& name, MatrixObject& object) const;

  private:
    // One of the two tables: its rows by instance (ifIndex or etherStatsIndex).
    struct Rows {
        const Arcs* entry;
        uint32_t columns;
        const std::map<uint32_t, const MonitoredInterface*>* rows;
        MatrixValue (*value)(uint32_t column, uint32_t instance, const MonitoredInterface&);
    };

    static MatrixValue IfValue(uint32_t column, uint32_t instance, const MonitoredInterface& row);
    static MatrixValue EtherValue(uint32_t column, uint32_t instance,
                                  const MonitoredInterface& row);
    static bool NextIn(const Rows& table, const Arcs& name, MatrixObject& object);

    std::map<uint32_t, MonitoredInterface> m_byEtherIndex; // owns the rows
    std::map<uint32_t, const MonitoredInterface*> m_etherRows;
    std::map<uint32_t, const MonitoredInterface*> m_ifRows;
};

} // namespace probe
