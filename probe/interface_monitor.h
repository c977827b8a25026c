// One live interface of a probe: its matrixControlTable row, its conversations, its
// Ethernet statistics, its ifTable row and the capture that counts them. When the interface
// goes away (unplugged, deleted, renamed) the capture ends with an error; the monitor then
// tries to open it again every second and counts on in the same rows once it is back. The
// ifTable row follows what the kernel says of the interface (index, status, address,
// counters), and the data sources name its current index.
#pragma once

#include "probe/capture_loop.h"
#include "probe/interface_table.h"
#include "probe/pair_collector.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace probe {

struct MonitorSettings {
    std::string interface;
    uint32_t matrixIndex = 1;
    std::string owner;
    size_t tableSize = 10000;
    CountingRules rules;
};

class InterfaceMonitor {
  public:
    // Writes log lines through `log` (on the agent's thread, from Open and Check).
    using Log = std::function<void(const std::string&)>;

    // Adds the control row to `table`, naming `row`'s ifIndex; `table`, `row` and `guard`
    // outlive the monitor.
    InterfaceMonitor(const MonitorSettings& settings, MatrixTable& table, MonitoredInterface& row,
                     std::mutex& guard, PairCollector::Uptime uptime, Log log);
    ~InterfaceMonitor();

    // Opens the capture and starts counting; false with `error` set if it cannot be opened.
    bool Open(std::string& error);
    // Called every tenth of a second: notes a capture that failed or dropped frames, reopens
    // a lost one, takes the kernel's view of the interface into its rows.
    void Check();
    const std::string& Interface() const { return m_settings.interface; }

  private:
    void ReportDrops();
    void FollowInterface();

    MonitorSettings m_settings;
    MatrixTable& m_table;
    MonitoredInterface& m_row;
    PairCollector::Uptime m_uptime;
    std::mutex& m_guard;
    PairCollector m_collector;
    Log m_log;
    std::unique_ptr<CaptureLoop> m_loop; // null while the interface is lost
    std::chrono::steady_clock::time_point m_lastTry;
    uint32_t m_dropsReported = 0;
};

} // namespace probe
