// One live interface of a probe: its matrixControlTable row, its conversations, its
// Ethernet statistics and the capture that counts them. When the interface goes away
// (unplugged, deleted, renamed) the capture ends with an error; the monitor then tries to
// open it again every second and counts on in the same rows once it is back.
#pragma once

#include "probe/capture_loop.h"
#include "probe/ether_statistics.h"
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
    uint32_t ifIndex = 0; // the served ifTable row matrixControlDataSource names
    std::string owner;
    size_t tableSize = 10000;
    CountingRules rules;
};

class InterfaceMonitor {
  public:
    // Writes log lines through `log` (on the agent's thread, from Open and Check).
    using Log = std::function<void(const std::string&)>;

    // Adds the control row to `table`; `table`, `statistics` and `guard` outlive the monitor.
    InterfaceMonitor(const MonitorSettings& settings, MatrixTable& table,
                     EtherStatistics& statistics, std::mutex& guard, PairCollector::Uptime uptime,
                     Log log);
    ~InterfaceMonitor();

    // Opens the capture and starts counting; false with `error` set if it cannot be opened.
    bool Open(std::string& error);
    // Called every tenth of a second: notes a capture that failed or dropped frames, reopens
    // a lost one.
    void Check();
    const std::string& Interface() const { return m_settings.interface; }

  private:
    void ReportDrops();

    MonitorSettings m_settings;
    EtherStatistics& m_statistics;
    std::mutex& m_guard;
    PairCollector m_collector;
    Log m_log;
    std::unique_ptr<CaptureLoop> m_loop; // null while the interface is lost
    std::chrono::steady_clock::time_point m_lastTry;
    uint32_t m_dropsReported = 0;
};

} // namespace probe
