// rmonprobe: an RMON-1 matrix probe of real traffic. It captures Ethernet frames from an
// interface, or replays a capture file, and serves matrixControlTable, matrixSDTable,
// matrixDSTable, etherStatsTable and the interface's ifTable row over SNMP (community
// "public", v1 and v2c, UDP).
//
//   rmonprobe -i IFACE [options]        count the frames of a live interface
//   rmonprobe -r FILE [--fast] [options] replay a pcap/pcapng file at its recorded pace,
//                                        or with --fast as fast as it can be read
// options:
//   --port N            UDP port (default 1161)       --address A  (default 127.0.0.1)
//   --table-size N      most conversations kept (default 10000); when full, the least
//                       recently used one is deleted and matrixControlLastDeleteTime set
//   --fcs               the capture holds the 4-byte FCS (else 4 octets are added a frame)
//   --short-frames runt|pad
//                       frames under 64 octets are runts, counted as errors (default for
//                       files), or frames seen before the sender padded them, counted as
//                       64 octets (default for interfaces: Linux shows frames sent by the
//                       capturing host and over veth or bridges unpadded)
//   --if-index N        the interface number matrixControlDataSource names, ifIndex.N
//                       (default: the interface's own index; 1 for a file)
//   --owner TEXT        matrixControlOwner (default "rmonprobe")
//
// Prints "listening on A:N" once it answers. After a replay it prints "replay done: ..."
// with the frame count and rates, and goes on serving the counts. A file that is no capture,
// or ends in the middle of a frame, or an interface that cannot be opened: a message on
// stderr and exit status 1; bad options: status 2. SIGTERM or SIGINT ends it.
//
// Counting runs on its own thread (CaptureLoop); the agent answers on the main thread.
#include "probe/capture_loop.h"
#include "probe/capture_source.h"
#include "probe/interface_info.h"
#include "probe/interface_table.h"
#include "probe/matrix_agent.h"
#include "probe/matrix_table.h"
#include "probe/pair_collector.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <net/if.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

constexpr const char* kAppName = "rmonprobe";
constexpr uint32_t kMatrixIndex = 1;
constexpr int kSnapLength = 64;        // addresses and tags are all the count reads
constexpr int kFullSnapLength = 65535; // with the FCS captured, it is checked
const probe::Arcs kIfIndex = {1, 3, 6, 1, 2, 1, 2, 2, 1, 1}; // ifIndex, without instance
const probe::Arcs kIfTable = {1, 3, 6, 1, 2, 1, 2, 2};
const probe::Arcs kEtherStatsTable = {1, 3, 6, 1, 2, 1, 16, 1, 1};

struct Options {
    std::string interface;
    std::string file;
    bool fast = false;
    std::string address = "127.0.0.1";
    int port = 1161;
    size_t tableSize = 10000;
    probe::CountingRules rules;
    std::string shortFrames; // "runt", "pad", or empty for the source's default
    uint32_t ifIndex = 0;    // 0: the interface's own, or 1 for a file
    std::string owner = kAppName;
};

volatile std::sig_atomic_t g_stop = 0;
int g_status = 0;

void OnSignal(int) {
    g_stop = 1;
}

bool ParseValue(const std::string& option, const std::string& value, Options& options) {
    if (option == "-i") {
        options.interface = value;
    } else if (option == "-r") {
        options.file = value;
    } else if (option == "--port") {
        options.port = std::atoi(value.c_str());
    } else if (option == "--address") {
        options.address = value;
    } else if (option == "--table-size") {
        options.tableSize = std::strtoul(value.c_str(), nullptr, 10);
    } else if (option == "--short-frames") {
        options.shortFrames = value;
    } else if (option == "--if-index") {
        options.ifIndex = uint32_t(std::strtoul(value.c_str(), nullptr, 10));
    } else if (option == "--owner") {
        options.owner = value;
    } else {
        return false;
    }
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--fast") {
            options.fast = true;
        } else if (option == "--fcs") {
            options.rules.fcsCaptured = true;
        } else if (i + 1 >= argc || !ParseValue(option, argv[++i], options)) {
            return false;
        }
    }
    const bool oneSource = options.interface.empty() != options.file.empty();
    const bool shortFramesKnown = options.shortFrames.empty() || options.shortFrames == "runt" ||
                                  options.shortFrames == "pad";
    return oneSource && shortFramesKnown && options.tableSize > 0 && options.port > 0 &&
           options.port < 65536;
}

std::unique_ptr<probe::CaptureSource> OpenSource(Options& options, std::string& error) {
    const bool live = !options.interface.empty();
    options.rules.padShortFrames =
        options.shortFrames.empty() ? live : options.shortFrames == "pad";
    if (!live) {
        options.ifIndex = options.ifIndex ? options.ifIndex : 1;
        return probe::CaptureSource::OpenFile(options.file, error);
    }
    options.ifIndex = options.ifIndex ? options.ifIndex : if_nametoindex(options.interface.c_str());
    const int snap = options.rules.fcsCaptured ? kFullSnapLength : kSnapLength;
    return probe::CaptureSource::OpenLive(options.interface, snap, error);
}

// The interface's ifTable row and etherStatsTable row; a file stands for an interface.
probe::MonitoredInterface InterfaceOf(const Options& options) {
    probe::MonitoredInterface interface;
    if (options.file.empty()) {
        interface = probe::DescribeInterface(options.interface, options.ifIndex);
    } else {
        interface.ifIndex = options.ifIndex;
        interface.description = "capture file " + options.file;
    }
    interface.owner = options.owner;
    return interface;
}

bool RegisterInterfaces(const probe::InterfaceTable& interfaces, std::mutex& guard) {
    return probe::RegisterObjects("ifTable", kIfTable, probe::SourceOf(interfaces, &guard)) &&
           probe::RegisterObjects("etherStats", kEtherStatsTable,
                                  probe::SourceOf(interfaces, &guard));
}

probe::AgentSettings SettingsOf(const Options& options) {
    probe::AgentSettings settings;
    settings.application = kAppName;
    settings.description =
        "Tessaran RMON probe of " +
        (options.file.empty() ? "interface " + options.interface : "capture file " + options.file);
    settings.address = options.address;
    settings.port = options.port;
    return settings;
}

void Report(const Options& options, const probe::CaptureLoop& loop,
            const probe::PairCollector& collector) {
    const probe::CaptureLoop::Statistics& totals = loop.Totals();
    if (loop.Current() == probe::CaptureLoop::State::kFailed) {
        std::fprintf(stderr, "rmonprobe: %s: %s (after %llu frames)\n",
                     options.file.empty() ? options.interface.c_str() : options.file.c_str(),
                     loop.Error().c_str(), static_cast<unsigned long long>(totals.frames));
        g_status = 1;
        g_stop = 1;
        return;
    }
    std::printf("replay done: %llu frames (%llu too short to count), %zu conversations, "
                "%.3f s, %.0f frames/s; capture thread CPU %.3f s, %.0f frames/s of CPU\n",
                static_cast<unsigned long long>(totals.frames),
                static_cast<unsigned long long>(totals.uncounted), collector.Size(), totals.seconds,
                totals.seconds > 0 ? double(totals.frames) / totals.seconds : 0.0,
                totals.cpuSeconds,
                totals.cpuSeconds > 0 ? double(totals.frames) / totals.cpuSeconds : 0.0);
    std::fflush(stdout);
}

struct Watch {
    const Options* options;
    const probe::CaptureLoop* loop;
    const probe::PairCollector* collector;
    bool reported = false;
};

// Every tenth of a second, on the agent's thread: reports the end of a replay once.
void OnWatch(unsigned int, void* datum) {
    Watch& watch = *static_cast<Watch*>(datum);
    if (watch.reported || watch.loop->Current() == probe::CaptureLoop::State::kRunning) {
        return;
    }
    watch.reported = true;
    Report(*watch.options, *watch.loop, *watch.collector);
}

uint32_t AgentUptime() {
    return uint32_t(netsnmp_get_agent_uptime());
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: rmonprobe (-i IFACE | -r FILE [--fast]) [--port N] "
                             "[--address A] [--table-size N] [--fcs] [--short-frames runt|pad] "
                             "[--if-index N] [--owner TEXT]\n");
        return 2;
    }
    std::string error;
    std::unique_ptr<probe::CaptureSource> source = OpenSource(options, error);
    if (!source) {
        std::fprintf(stderr, "rmonprobe: %s: %s\n",
                     options.file.empty() ? options.interface.c_str() : options.file.c_str(),
                     error.c_str());
        return 1;
    }
    probe::MatrixTable table;
    probe::MatrixControl control;
    control.dataSource = kIfIndex;
    control.dataSource.push_back(options.ifIndex);
    control.owner = options.owner;
    table.SetControl(kMatrixIndex, control);
    probe::InterfaceTable interfaces;
    probe::MonitoredInterface& monitored = interfaces.Add(InterfaceOf(options));
    std::mutex guard;
    probe::PairCollector collector(table, kMatrixIndex, options.tableSize, AgentUptime);
    const probe::AgentSettings settings = SettingsOf(options);
    if (!probe::StartMatrixAgent(settings, table, &guard) ||
        !RegisterInterfaces(interfaces, guard)) {
        std::fprintf(stderr, "rmonprobe: cannot serve on %s:%d\n", options.address.c_str(),
                     options.port);
        return 1;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::printf("listening on %s:%d\n", options.address.c_str(), options.port);
    std::fflush(stdout);

    probe::CaptureLoop loop(std::move(source), options.rules, collector, monitored.statistics,
                            guard, !options.fast);
    Watch watch{&options, &loop, &collector};
    timeval tenth{0, 100000};
    snmp_alarm_register_hr(tenth, SA_REPEAT, OnWatch, &watch);
    loop.Start();
    while (!g_stop) {
        agent_check_and_process(1);
    }
    loop.Stop();
    probe::StopMatrixAgent(settings);
    return g_status;
}
