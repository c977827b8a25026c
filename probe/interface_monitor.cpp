#include "probe/interface_monitor.h"

namespace probe {
namespace {

constexpr int kSnapLength = 64;        // addresses and tags are all the count reads
constexpr int kFullSnapLength = 65535; // with the FCS captured, it is checked
constexpr auto kRetry = std::chrono::seconds(1);
const Arcs kIfIndex = {1, 3, 6, 1, 2, 1, 2, 2, 1, 1}; // ifIndex, without instance

} // namespace

InterfaceMonitor::InterfaceMonitor(const MonitorSettings& settings, MatrixTable& table,
                                   EtherStatistics& statistics, std::mutex& guard,
                                   PairCollector::Uptime uptime, Log log)
    : m_settings(settings), m_statistics(statistics), m_guard(guard),
      m_collector(table, settings.matrixIndex, settings.tableSize, std::move(uptime)),
      m_log(std::move(log)) {
    MatrixControl control;
    control.dataSource = kIfIndex;
    control.dataSource.push_back(settings.ifIndex);
    control.owner = settings.owner;
    std::lock_guard<std::mutex> lock(guard);
    table.SetControl(settings.matrixIndex, control);
}

InterfaceMonitor::~InterfaceMonitor() = default;

bool InterfaceMonitor::Open(std::string& error) {
    m_lastTry = std::chrono::steady_clock::now();
    const int snap = m_settings.rules.fcsCaptured ? kFullSnapLength : kSnapLength;
    std::unique_ptr<CaptureSource> source =
        CaptureSource::OpenLive(m_settings.interface, snap, error);
    if (!source) {
        return false;
    }
    m_loop = std::make_unique<CaptureLoop>(std::move(source), m_settings.rules, m_collector,
                                           m_statistics, m_guard, false);
    m_loop->Start();
    m_log("counting interface " + m_settings.interface + " (ifIndex " +
          std::to_string(m_settings.ifIndex) + ") in matrix index " +
          std::to_string(m_settings.matrixIndex));
    return true;
}

void InterfaceMonitor::ReportDrops() {
    uint32_t drops = 0;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        drops = m_statistics.dropEvents;
    }
    if (drops != m_dropsReported) {
        m_log("interface " + m_settings.interface + ": " + std::to_string(drops - m_dropsReported) +
              " frames dropped by the capture (" + std::to_string(drops) + " in all)");
        m_dropsReported = drops;
    }
}

void InterfaceMonitor::Check() {
    ReportDrops();
    if (m_loop && m_loop->Current() == CaptureLoop::State::kRunning) {
        return;
    }
    if (m_loop) {
        m_log("interface " + m_settings.interface + " lost: " + m_loop->Error() +
              "; reopening it when it is back");
        m_loop.reset();
    }
    if (std::chrono::steady_clock::now() - m_lastTry < kRetry) {
        return;
    }
    std::string error;
    if (Open(error)) {
        m_log("interface " + m_settings.interface + " back");
    }
}

} // namespace probe
