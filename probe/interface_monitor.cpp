#include "probe/interface_monitor.h"

#include "probe/interface_info.h"

namespace probe {
namespace {

constexpr int kSnapLength = 64;        // addresses and tags are all the count reads
constexpr int kFullSnapLength = 65535; // with the FCS captured, it is checked
constexpr auto kRetry = std::chrono::seconds(1);

} // namespace

InterfaceMonitor::InterfaceMonitor(const MonitorSettings& settings, MatrixTable& table,
                                   MonitoredInterface& row, std::mutex& guard,
                                   PairCollector::Uptime uptime, Log log)
    : m_settings(settings), m_table(table), m_row(row), m_uptime(uptime), m_guard(guard),
      m_collector(table, settings.matrixIndex, settings.tableSize, std::move(uptime)),
      m_log(std::move(log)) {
    MatrixControl control;
    std::lock_guard<std::mutex> lock(guard);
    control.dataSource = DataSourceOf(row.ifIndex);
    control.owner = settings.owner;
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
                                           m_row.statistics, m_guard, false);
    m_loop->Start();
    uint32_t ifIndex = 0;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        ifIndex = m_row.ifIndex;
    }
    m_log("counting interface " + m_settings.interface + " (ifIndex " + std::to_string(ifIndex) +
          ") in matrix index " + std::to_string(m_settings.matrixIndex));
    return true;
}

void InterfaceMonitor::ReportDrops() {
    uint32_t drops = 0;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        drops = m_row.statistics.dropEvents;
    }
    if (drops != m_dropsReported) {
        m_log("interface " + m_settings.interface + ": " + std::to_string(drops - m_dropsReported) +
              " frames dropped by the capture (" + std::to_string(drops) + " in all)");
        m_dropsReported = drops;
    }
}

// The kernel is read without the lock; only taking the result in holds it.
void InterfaceMonitor::FollowInterface() {
    const InterfaceState now = ReadInterface(m_settings.interface);
    std::string change;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        change = FollowKernel(m_row, now, m_uptime());
        MatrixControl* control = m_table.Control(m_settings.matrixIndex);
        if (control) {
            control->dataSource = DataSourceOf(m_row.ifIndex);
        }
    }
    if (!change.empty()) {
        m_log("interface " + m_settings.interface + ": " + change);
    }
}

void InterfaceMonitor::Check() {
    ReportDrops();
    FollowInterface();
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
