#include "probe/interface_monitor.h"

#include <net/if.h>

namespace probe {
namespace {

constexpr int kSnapLength = 64;        // addresses and tags are all the count reads
constexpr int kFullSnapLength = 65535; // with the FCS captured, it is checked
constexpr auto kRetry = std::chrono::seconds(1);
const Arcs kIfIndex = {1, 3, 6, 1, 2, 1, 2, 2, 1, 1}; // ifIndex, without instance

} // namespace

InterfaceMonitor::InterfaceMonitor(const MonitorSettings& settings, MatrixTable& table,
                                   std::mutex& guard, PairCollector::Uptime uptime, Log log)
    : m_settings(settings), m_table(table), m_guard(guard),
      m_collector(table, settings.matrixIndex, settings.tableSize, std::move(uptime)),
      m_log(std::move(log)) {
    SetDataSource(0);
}

InterfaceMonitor::~InterfaceMonitor() = default;

// Creates the control row at first (ifIndex 0: not known yet), updates its data source later.
void InterfaceMonitor::SetDataSource(uint32_t ifIndex) {
    std::lock_guard<std::mutex> lock(m_guard);
    Arcs source = kIfIndex;
    source.push_back(ifIndex);
    if (MatrixControl* control = m_table.Control(m_settings.matrixIndex)) {
        control->dataSource = source;
        return;
    }
    MatrixControl control;
    control.dataSource = source;
    control.owner = m_settings.owner;
    m_table.SetControl(m_settings.matrixIndex, control);
}

bool InterfaceMonitor::Open(std::string& error) {
    m_lastTry = std::chrono::steady_clock::now();
    const int snap = m_settings.rules.fcsCaptured ? kFullSnapLength : kSnapLength;
    std::unique_ptr<CaptureSource> source =
        CaptureSource::OpenLive(m_settings.interface, snap, error);
    if (!source) {
        return false;
    }
    const uint32_t ifIndex =
        m_settings.ifIndex ? m_settings.ifIndex : if_nametoindex(m_settings.interface.c_str());
    SetDataSource(ifIndex);
    m_loop = std::make_unique<CaptureLoop>(std::move(source), m_settings.rules, m_collector,
                                           m_guard, false);
    m_loop->Start();
    m_log("counting interface " + m_settings.interface + " (ifIndex " + std::to_string(ifIndex) +
          ") in matrix index " + std::to_string(m_settings.matrixIndex));
    return true;
}

void InterfaceMonitor::Check() {
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
