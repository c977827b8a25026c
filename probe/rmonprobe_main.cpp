// rmonprobe: an RMON-1 matrix probe of real traffic. It captures Ethernet frames from one or
// more interfaces, or replays a capture file, and serves matrixControlTable, matrixSDTable,
// matrixDSTable, etherStatsTable and the interfaces' ifTable rows over SNMP to the communities and
// SNMPv3 users its configuration allows
// (`rmonprobe --help` lists the options; probe/probe_config.h describes the file).
//
// Prints "listening on A:N" once it answers. After a replay it prints "replay done: ..."
// with the frame count and rates, and goes on serving the counts. Its log lines go to
// stderr: start, interfaces counted, lost and back, frames the capture dropped, refused
// requests. A file that is no
// capture, or ends in the middle of a frame, or an interface that cannot be opened at
// start: a message and exit status 1; bad options or configuration: status 2. SIGTERM or
// SIGINT ends it; SIGHUP re-reads the configuration file.
//
// Counting runs on a thread per source (CaptureLoop); the agent answers on the main thread,
// which also watches the captures every tenth of a second.
#include "probe/agent_access.h"
#include "probe/capture_loop.h"
#include "probe/capture_source.h"
#include "probe/interface_info.h"
#include "probe/interface_monitor.h"
#include "probe/interface_table.h"
#include "probe/matrix_agent.h"
#include "probe/matrix_table.h"
#include "probe/pair_collector.h"
#include "probe/probe_config.h"
#include "probe/probe_options.h"
#include "probe/scalar_group.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kAppName = "rmonprobe";
constexpr uint32_t kFileMatrixIndex = 1;
const probe::Arcs kProbeConfig = {1, 3, 6, 1, 2, 1, 16, 19};
// BITS, the first named bit the high one of the first octet: probeCapabilities's
// etherStats(0) and matrix(6); hcRMONCapabilities's etherStatsHighCapacityGroup(1) and
// matrixHighCapacityGroup(5).
constexpr char kProbeCapabilities = char(0x80 | 0x02);
constexpr char kHcCapabilities = char(0x40 | 0x04);

volatile std::sig_atomic_t g_stop = 0; // the signal that ends the probe, or -1 after a failure
volatile std::sig_atomic_t g_reload = 0;
int g_status = 0;

void OnSignal(int signal) {
    g_stop = signal;
}

void OnHangUp(int) {
    g_reload = 1;
}

void Log(const std::string& text) {
    std::fprintf(stderr, "rmonprobe: %s\n", text.c_str());
    std::fflush(stderr);
}

uint32_t AgentUptime() {
    return uint32_t(netsnmp_get_agent_uptime());
}

// sysORTable's rows: what the probe serves.
std::vector<probe::MibModule> ProbeModules() {
    return {{{1, 3, 6, 1, 2, 1, 16}, "RMON2-MIB: probeCapabilities"},
            {{1, 3, 6, 1, 2, 1, 16, 20, 5},
             "HC-RMON-MIB: etherStats and matrix 64-bit counts, hcRMONCapabilities"},
            {{1, 3, 6, 1, 2, 1, 16, 20, 8}, "RMON-MIB: the etherStats and matrix groups"},
            {{1, 3, 6, 1, 2, 1, 31}, "IF-MIB: ifNumber, ifTable, ifXTable"},
            {{1, 3, 6, 1, 6, 3, 1}, "SNMPv2-MIB: the system group and SNMP statistics"},
            {{1, 3, 6, 1, 6, 3, 15}, "SNMP-USER-BASED-SM-MIB: the USM statistics"}};
}

// Which RMON groups the probe serves, for managers that decide by them what to poll.
bool RegisterCapabilities() {
    return probe::RegisterScalars(
        "probeConfig", kProbeConfig,
        {{1, [] { return probe::TextValue(std::string(1, kProbeCapabilities)); }},
         {16, [] { return probe::TextValue(std::string(1, kHcCapabilities)); }}});
}

// The configuration file named, else the default one if it exists; the path read, or empty
// when none was.
bool LoadConfig(const probe::ProbeOptions& options, probe::ProbeConfig& config, std::string& path,
                std::string& error) {
    path = options.config;
    if (path.empty() && access(probe::kDefaultConfigPath, F_OK) == 0) {
        path = probe::kDefaultConfigPath;
    }
    if (path.empty()) {
        config = probe::DefaultProbeConfig();
        return true;
    }
    return probe::ReadProbeConfig(path, config, error);
}

// What the command line names replaces what the configuration file does.
void ApplyOverrides(const probe::ProbeOptions& options, probe::ProbeConfig& config) {
    if (!options.interfaces.empty() || !options.file.empty()) {
        config.interfaces = options.interfaces;
    }
    if (!options.address.empty() || options.port) {
        config.listen = {{options.address.empty() ? "127.0.0.1" : options.address,
                          options.port ? options.port : 1161}};
    }
}

std::string ListenText(const probe::ProbeConfig& config) {
    std::string text;
    for (const probe::Endpoint& endpoint : config.listen) {
        text += (text.empty() ? "" : ", ") + probe::EndpointText(endpoint);
    }
    return text;
}

// A replayed capture file: its one matrix index, its collector and its capture thread.
struct Replay {
    std::unique_ptr<probe::PairCollector> collector;
    std::unique_ptr<probe::CaptureLoop> loop;
    bool reported = false;
};

class Probe {
  public:
    explicit Probe(const probe::ProbeOptions& options) : m_options(options) {}

    // Reads the configuration; the exit status on failure (else 0).
    int Configure();
    // Opens the sources and starts the agent; the exit status on failure (else 0).
    int Start();
    // Every tenth of a second on the agent's thread.
    void Watch();
    void Stop();

  private:
    bool OpenReplay(std::string& error);
    // Adds an interface's rows and its monitor, or waits for an interface that does not
    // exist yet; false with `error` set if it exists and cannot be opened now (`retry`: the
    // monitor is kept and opens it once it can).
    bool AddInterface(const std::string& name, bool retry, std::string& error);
    // Adds the waiting interfaces that appeared since the last call.
    void AddAppeared();
    bool Named(const std::string& name) const;
    void LogUnconfigured() const;
    void ReportReplay();
    void Reload();

    probe::ProbeOptions m_options;
    probe::ProbeConfig m_config;
    std::string m_configPath;
    probe::MatrixTable m_table;
    probe::InterfaceTable m_interfaces;
    std::mutex m_guard;
    std::vector<std::unique_ptr<probe::InterfaceMonitor>> m_monitors;
    std::vector<std::string> m_waiting; // named, but no such interface yet
    Replay m_replay;
    probe::AgentSettings m_settings;
    probe::RefusalLog m_refusals;
};

int Probe::Configure() {
    std::string error;
    if (!LoadConfig(m_options, m_config, m_configPath, error)) {
        Log(error);
        return 2;
    }
    ApplyOverrides(m_options, m_config);
    return 0;
}

bool Probe::OpenReplay(std::string& error) {
    std::unique_ptr<probe::CaptureSource> source =
        probe::CaptureSource::OpenFile(m_options.file, error);
    if (!source) {
        error = m_options.file + ": " + error;
        return false;
    }
    probe::CountingRules rules = m_options.rules;
    rules.padShortFrames = m_options.shortFrames == "pad";
    // A file stands for an interface of its own.
    probe::MonitoredInterface interface;
    interface.ifIndex = m_options.ifIndex ? m_options.ifIndex : 1;
    interface.fixedIndex = true;
    interface.name = m_options.file;
    interface.state.present = interface.state.adminUp = interface.state.operUp = true;
    interface.state.description = "capture file " + m_options.file;
    interface.owner = m_options.owner;
    probe::MonitoredInterface& monitored = m_interfaces.Add(interface);
    probe::MatrixControl control;
    control.dataSource = probe::DataSourceOf(interface.ifIndex);
    control.owner = m_options.owner;
    m_table.SetControl(kFileMatrixIndex, control);
    m_replay.collector = std::make_unique<probe::PairCollector>(m_table, kFileMatrixIndex,
                                                                m_options.tableSize, AgentUptime);
    m_replay.loop =
        std::make_unique<probe::CaptureLoop>(std::move(source), rules, *m_replay.collector,
                                             monitored.statistics, m_guard, !m_options.fast);
    return true;
}

bool Probe::AddInterface(const std::string& name, bool retry, std::string& error) {
    probe::MonitoredInterface interface;
    interface.state = probe::ReadInterface(name);
    if (!interface.state.present) {
        m_waiting.push_back(name);
        Log("interface " + name + " does not exist yet; counting it once it appears");
        return true;
    }
    probe::MonitorSettings settings;
    settings.interface = name;
    settings.matrixIndex = uint32_t(m_monitors.size() + 1);
    interface.ifIndex = m_options.ifIndex ? m_options.ifIndex : interface.state.ifIndex;
    interface.fixedIndex = m_options.ifIndex != 0;
    interface.name = name;
    interface.owner = m_options.owner;
    settings.owner = m_options.owner;
    settings.tableSize = m_options.tableSize;
    settings.rules = m_options.rules;
    settings.rules.padShortFrames = m_options.shortFrames != "runt";
    probe::MonitoredInterface* monitored = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_guard);
        monitored = &m_interfaces.Add(interface);
    }
    auto monitor = std::make_unique<probe::InterfaceMonitor>(settings, m_table, *monitored, m_guard,
                                                             AgentUptime, Log);
    const bool opened = monitor->Open(error);
    if (!opened) {
        error = name + ": " + error;
    }
    if (opened || retry) {
        m_monitors.push_back(std::move(monitor));
    }
    return opened;
}

int Probe::Start() {
    std::string error;
    for (const probe::Endpoint& endpoint : m_config.listen) {
        if (!probe::CheckEndpoint(endpoint, error)) {
            Log("cannot serve on " + probe::EndpointText(endpoint) + ": " + error);
            return 1;
        }
    }
    bool opened = m_options.file.empty() || OpenReplay(error);
    for (size_t i = 0; opened && i < m_config.interfaces.size(); ++i) {
        opened = AddInterface(m_config.interfaces[i], false, error);
    }
    if (!opened) {
        Log(error);
        return 1;
    }
    m_settings.application = kAppName;
    m_settings.description =
        "Tessaran RMON probe of " +
        (m_options.file.empty() ? "interfaces" : "capture file " + m_options.file);
    m_settings.endpoints = probe::TransportList(m_config.listen);
    m_settings.access = probe::AccessLines(m_config);
    m_settings.contact = m_config.contact;
    m_settings.location = m_config.location;
    m_settings.modules = ProbeModules();
    if (!probe::StartMatrixAgent(m_settings, m_table, &m_guard) ||
        !probe::RegisterObjects("interfaces", probe::InterfaceTable::kInterfaces,
                                probe::SourceOf(m_interfaces, &m_guard)) ||
        !probe::RegisterObjects("ifXTable", probe::InterfaceTable::kIfXTable,
                                probe::SourceOf(m_interfaces, &m_guard)) ||
        !probe::RegisterObjects("statistics", probe::InterfaceTable::kStatistics,
                                probe::SourceOf(m_interfaces, &m_guard)) ||
        !RegisterCapabilities() || !probe::RegisterSecurityStatistics()) {
        Log("cannot serve on " + ListenText(m_config));
        return 1;
    }
    Log("started; configuration " + (m_configPath.empty() ? "built in" : m_configPath) +
        "; listening on " + ListenText(m_config));
    for (const probe::Endpoint& endpoint : m_config.listen) {
        std::printf("listening on %s\n", probe::EndpointText(endpoint).c_str());
    }
    std::fflush(stdout);
    if (m_replay.loop) {
        m_replay.loop->Start();
    }
    if (m_config.interfaces.empty() && m_options.file.empty()) {
        LogUnconfigured();
    }
    return 0;
}

void Probe::LogUnconfigured() const {
    const std::string where =
        m_configPath.empty()
            ? "give -i IFACE, or name it in an interface line of a configuration file (--config)"
            : "name it in an interface line of " + m_configPath +
                  ", then reload (SIGHUP; systemctl reload rmonprobe)";
    Log("no interface to count: the tables stay empty until one is named; " + where);
}

bool Probe::Named(const std::string& name) const {
    for (const auto& monitor : m_monitors) {
        if (monitor->Interface() == name) {
            return true;
        }
    }
    return std::find(m_waiting.begin(), m_waiting.end(), name) != m_waiting.end();
}

void Probe::AddAppeared() {
    std::vector<std::string> appeared;
    for (const std::string& name : m_waiting) {
        if (probe::ReadInterface(name).present) {
            appeared.push_back(name);
        }
    }
    for (const std::string& name : appeared) {
        m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), name));
        Log("interface " + name + " appeared");
        std::string error;
        if (!AddInterface(name, true, error)) {
            Log(error + "; opening it once it can be");
        }
    }
}

void Probe::ReportReplay() {
    const probe::CaptureLoop& loop = *m_replay.loop;
    const probe::CaptureLoop::Statistics& totals = loop.Totals();
    m_replay.reported = true;
    if (loop.Current() == probe::CaptureLoop::State::kFailed) {
        Log(m_options.file + ": " + loop.Error() + " (after " + std::to_string(totals.frames) +
            " frames)");
        g_status = 1;
        g_stop = -1;
        return;
    }
    std::printf("replay done: %llu frames (%llu too short to count), %zu conversations, "
                "%.3f s, %.0f frames/s; capture thread CPU %.3f s, %.0f frames/s of CPU\n",
                static_cast<unsigned long long>(totals.frames),
                static_cast<unsigned long long>(totals.uncounted), m_replay.collector->Size(),
                totals.seconds, totals.seconds > 0 ? double(totals.frames) / totals.seconds : 0.0,
                totals.cpuSeconds,
                totals.cpuSeconds > 0 ? double(totals.frames) / totals.cpuSeconds : 0.0);
    std::fflush(stdout);
}

// Access control, sysContact and sysLocation, and interfaces added to the file take effect
// at once; listen addresses and interfaces taken out, at the next start.
void Probe::Reload() {
    if (m_configPath.empty()) {
        Log("SIGHUP: no configuration file to read again");
        return;
    }
    probe::ProbeConfig config;
    std::string error;
    if (!probe::ReadProbeConfig(m_configPath, config, error)) {
        Log("configuration not reloaded, the old one stays: " + error);
        return;
    }
    ApplyOverrides(m_options, config);
    probe::ClearAccess();
    probe::ApplyAccess(probe::AccessLines(config));
    probe::SetSystemContact(config.contact, config.location);
    if (ListenText(config) != ListenText(m_config)) {
        Log("listen addresses change at the next start");
    }
    for (const std::string& name : config.interfaces) {
        if (!Named(name) && !AddInterface(name, true, error)) {
            Log(error + "; opening it once it can be");
        }
    }
    Log("configuration reloaded from " + m_configPath);
    config.listen = m_config.listen;
    m_config = config;
}

void Probe::Watch() {
    if (g_reload) {
        g_reload = 0;
        Reload();
    }
    AddAppeared();
    for (const auto& monitor : m_monitors) {
        monitor->Check();
    }
    const std::string refused = m_refusals.Poll();
    if (!refused.empty()) {
        Log("refused: " + refused);
    }
    if (m_replay.loop && !m_replay.reported &&
        m_replay.loop->Current() != probe::CaptureLoop::State::kRunning) {
        ReportReplay();
    }
}

void Probe::Stop() {
    if (m_replay.loop) {
        m_replay.loop->Stop();
    }
    // Closing a packet socket waits for the kernel's grace period (some 25 ms): the captures
    // close side by side, so stopping takes that long however many there are.
    std::vector<std::thread> closing;
    for (auto& monitor : m_monitors) {
        closing.emplace_back([lost = std::move(monitor)]() mutable { lost.reset(); });
    }
    for (std::thread& thread : closing) {
        thread.join();
    }
    m_monitors.clear();
    probe::StopMatrixAgent(m_settings);
}

void OnWatch(unsigned int, void* datum) {
    static_cast<Probe*>(datum)->Watch();
}

} // namespace

int main(int argc, char** argv) {
    probe::ProbeOptions options;
    std::string error;
    if (!probe::ParseProbeOptions(argc, argv, options, error)) {
        Log(error);
        return 2;
    }
    if (options.help) {
        std::fputs(probe::ProbeUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("rmonprobe %s\n", RMONPROBE_VERSION);
        return 0;
    }
    Probe probe(options);
    int status = probe.Configure();
    if (options.checkConfig) {
        std::puts(status ? "configuration refused" : "configuration valid");
        return status;
    }
    status = status ? status : probe.Start();
    if (status) {
        return status;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGHUP, OnHangUp);
    timeval tenth{0, 100000};
    snmp_alarm_register_hr(tenth, SA_REPEAT, OnWatch, &probe);
    while (!g_stop) {
        agent_check_and_process(1);
    }
    probe.Stop();
    Log(g_stop == SIGTERM  ? "stopped on SIGTERM"
        : g_stop == SIGINT ? "stopped on SIGINT"
                           : "stopped: the replay failed");
    return g_status;
}
