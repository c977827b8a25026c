// tessaran_fast_probe: an RMON-1 matrix probe for benchmarks and large demos, built on
// net-snmp's agent library. It serves N generated conversations (matrixSDTable and
// matrixDSTable) whose counters grow every second, community "public", v1 and v2c on UDP.
//
//   tessaran_fast_probe [--port N] [--address A] [--conversations N] [--static]
//
// --port 1161 and --address 127.0.0.1 by default; --static keeps the counters fixed.
// Prints "listening on A:N" once it answers; exits 1 if the port cannot be bound.
// SIGTERM or SIGINT ends it.
#include "probe/matrix_agent.h"
#include "probe/matrix_table.h"
#include "probe/number_text.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kAppName = "tessaran-fast-probe";
// Conversations are numbered in 32 bits.
constexpr uint64_t kMaxConversations = 0xFFFFFFFEu;

struct Options {
    std::string address = "127.0.0.1";
    int port = 1161;
    size_t conversations = 1000;
    bool fixed = false;
};

// One generated conversation and what it adds every second.
struct Conversation {
    probe::Mac source;
    probe::Mac destination;
    uint32_t packetsPerSecond;
    uint32_t octetsPerSecond;
    uint32_t errorsPerSecond;
};

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

// One option with its value; false with `error` set ("--port: \"0\" is out of range ...").
bool ApplyOption(const std::string& option, const std::string& value, Options& options,
                 std::string& error) {
    uint64_t number = 0;
    std::string reason;
    if (option == "--address") {
        options.address = value;
        return true;
    }
    if (option == "--port" && probe::ParseUnsigned(value, 1, 65535, number, reason)) {
        options.port = static_cast<int>(number);
        return true;
    }
    if (option == "--conversations" &&
        probe::ParseUnsigned(value, 0, kMaxConversations, number, reason)) {
        options.conversations = static_cast<size_t>(number);
        return true;
    }
    error = reason.empty() ? option + ": no such option" : option + ": \"" + value + "\" " + reason;
    return false;
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--static") {
            options.fixed = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = option + ": a value is missing";
            return false;
        }
        if (!ApplyOption(option, argv[++i], options, error)) {
            return false;
        }
    }
    return true;
}

// Hosts of a few real vendor prefixes, so that name conversion finds vendors.
probe::Mac HostAddress(uint32_t host) {
    static const uint8_t kPrefixes[][3] = {{0x00, 0xA0, 0xC9}, {0x00, 0x1B, 0x21},
                                           {0x00, 0x00, 0x0C}, {0x00, 0x14, 0x22},
                                           {0x00, 0x17, 0xA4}, {0x00, 0x03, 0x93}};
    const uint8_t* prefix = kPrefixes[host % std::size(kPrefixes)];
    uint32_t serial = host / std::size(kPrefixes) + 1;
    return {prefix[0],      prefix[1], prefix[2], uint8_t(serial >> 16), uint8_t(serial >> 8),
            uint8_t(serial)};
}

// N distinct pairs over the fewest hosts H with H*(H-1) >= N: pair k is host k % H talking
// to the host (k / H + 1) places after it. Rates from a fixed linear congruential sequence,
// so every run serves the same table.
std::vector<Conversation> Generate(size_t count) {
    uint32_t hosts = 2;
    while (uint64_t(hosts) * (hosts - 1) < count) {
        ++hosts;
    }
    std::vector<Conversation> conversations;
    conversations.reserve(count);
    uint32_t random = 12345;
    for (size_t k = 0; k < count; ++k) {
        random = random * 1103515245u + 12345u;
        uint32_t source = uint32_t(k % hosts);
        uint32_t destination = (source + 1 + uint32_t(k / hosts)) % hosts;
        uint32_t packets = 1 + (random >> 16) % 40;
        uint32_t size = 64 + (random >> 8) % 1400;
        conversations.push_back({HostAddress(source), HostAddress(destination), packets,
                                 packets * size, (random & 0x3f) == 0 ? 1u : 0u});
    }
    return conversations;
}

struct Probe {
    probe::MatrixTable table;
    std::vector<Conversation> conversations;
};

// Every conversation adds its rates; the first call also creates the rows.
void AddSecond(Probe& probe) {
    for (const Conversation& c : probe.conversations) {
        probe.table.AddTraffic(1, c.source, c.destination, c.packetsPerSecond, c.octetsPerSecond,
                               c.errorsPerSecond);
    }
}

void OnAlarm(unsigned int, void* datum) {
    AddSecond(*static_cast<Probe*>(datum));
}

probe::AgentSettings SettingsOf(const Options& options) {
    probe::AgentSettings settings;
    settings.application = kAppName;
    settings.description = "Tessaran fast RMON probe";
    settings.address = options.address;
    settings.port = options.port;
    return settings;
}

bool StartAgent(const Options& options, Probe& probe) {
    // One control row for the generated conversations, as if counted on interface 1.
    probe::MatrixControl control;
    control.dataSource = {1, 3, 6, 1, 2, 1, 2, 2, 1, 1, 1};
    control.owner = kAppName;
    probe.table.SetControl(1, control);
    if (!probe::StartMatrixAgent(SettingsOf(options), probe.table)) {
        return false;
    }
    if (!options.fixed) {
        snmp_alarm_register(1, SA_REPEAT, OnAlarm, &probe);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr,
                     "tessaran_fast_probe: %s\nusage: tessaran_fast_probe [--port N] "
                     "[--address A] [--conversations N] [--static]\n",
                     error.c_str());
        return 2;
    }
    Probe probe;
    probe.conversations = Generate(options.conversations);
    AddSecond(probe);
    if (!StartAgent(options, probe)) {
        std::fprintf(stderr, "tessaran_fast_probe: cannot serve on %s:%d\n",
                     options.address.c_str(), options.port);
        return 1;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::printf("listening on %s:%d\n", options.address.c_str(), options.port);
    std::fflush(stdout);
    while (!g_stop) {
        agent_check_and_process(1);
    }
    probe::StopMatrixAgent(SettingsOf(options));
    return 0;
}
