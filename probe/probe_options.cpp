#include "probe/probe_options.h"

#include <arpa/inet.h>

namespace probe {

const char* const kDefaultConfigPath = "/etc/rmonprobe/rmonprobe.conf";

namespace {

constexpr uint64_t kMaxTableSize = 0xFFFFFFFEu; // conversations are numbered in 32 bits
constexpr uint64_t kMaxIfIndex = 2147483647;    // InterfaceIndex's range
constexpr size_t kMaxOwner = 127;               // OwnerString's size

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// One option that takes a value: reads `value` into options, or sets `reason`.
bool ApplyValue(const std::string& option, const std::string& value, ProbeOptions& options,
                std::string& reason) {
    uint64_t number = 0;
    if (value.empty() && (option == "-i" || option == "-r" || option == "--config")) {
        reason = option == "-i" ? "is empty: an interface needs a name" : "is empty: name a file";
        return false;
    }
    if (option == "-i") {
        options.interfaces.push_back(value);
    } else if (option == "-r") {
        options.file = value;
    } else if (option == "--config") {
        options.config = value;
    } else if (option == "--address") {
        if (!IsAddress(value)) {
            reason = "is not an IPv4 or IPv6 address";
            return false;
        }
        options.address = value;
    } else if (option == "--port") {
        if (!ParseUnsigned(value, 1, 65535, number, reason)) {
            return false;
        }
        options.port = int(number);
    } else if (option == "--table-size") {
        if (!ParseUnsigned(value, 1, kMaxTableSize, number, reason)) {
            return false;
        }
        options.tableSize = size_t(number);
    } else if (option == "--short-frames") {
        if (value != "runt" && value != "pad") {
            reason = "is neither runt nor pad";
            return false;
        }
        options.shortFrames = value;
    } else if (option == "--if-index") {
        if (!ParseUnsigned(value, 1, kMaxIfIndex, number, reason)) {
            return false;
        }
        options.ifIndex = uint32_t(number);
    } else if (option == "--owner") {
        if (value.size() > kMaxOwner) {
            reason = "is longer than " + std::to_string(kMaxOwner) + " characters";
            return false;
        }
        options.owner = value;
    }
    return true;
}

bool TakesValue(const std::string& option) {
    static const char* const kOptions[] = {"-i",     "-r",           "--config",       "--address",
                                           "--port", "--table-size", "--short-frames", "--if-index",
                                           "--owner"};
    for (const char* known : kOptions) {
        if (option == known) {
            return true;
        }
    }
    return false;
}

bool ApplyFlag(const std::string& option, ProbeOptions& options) {
    if (option == "--fast") {
        options.fast = true;
    } else if (option == "--fcs") {
        options.rules.fcsCaptured = true;
    } else if (option == "--check-config") {
        options.checkConfig = true;
    } else if (option == "--help" || option == "-h") {
        options.help = true;
    } else if (option == "--version") {
        options.version = true;
    } else {
        return false;
    }
    return true;
}

bool CheckCombination(const ProbeOptions& options, std::string& error) {
    if (!options.file.empty() && !options.interfaces.empty()) {
        error = "-r and -i: a file and an interface cannot be counted together";
        return false;
    }
    if (options.fast && options.file.empty()) {
        error = "--fast: only a replay (-r FILE) can run as fast as it reads";
        return false;
    }
    if (options.ifIndex && options.interfaces.size() > 1) {
        error = "--if-index: several interfaces each have their own index";
        return false;
    }
    return true;
}

} // namespace

bool IsAddress(const std::string& text) {
    unsigned char bytes[sizeof(in6_addr)];
    return inet_pton(AF_INET, text.c_str(), bytes) == 1 ||
           inet_pton(AF_INET6, text.c_str(), bytes) == 1;
}

bool ParseProbeOptions(int argc, const char* const* argv, ProbeOptions& options,
                       std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (ApplyFlag(option, options)) {
            continue;
        }
        if (!TakesValue(option)) {
            error = option + ": no such option (--help lists them)";
            return false;
        }
        if (i + 1 >= argc) {
            error = option + ": a value is missing";
            return false;
        }
        const std::string value = argv[++i];
        std::string reason;
        if (!ApplyValue(option, value, options, reason)) {
            error = option + ": " + Quoted(value) + " " + reason;
            return false;
        }
    }
    return options.help || options.version || CheckCombination(options, error);
}

std::string ProbeUsage() {
    return "usage: rmonprobe [-i IFACE]... [-r FILE [--fast]] [options]\n"
           "An RMON matrix probe: counts the Ethernet frames of live interfaces, or replays a\n"
           "capture file, and serves matrixControlTable, matrixSDTable and matrixDSTable over\n"
           "SNMP.\n"
           "\n"
           "  -i IFACE            count the frames of interface IFACE (needs CAP_NET_RAW); repeat\n"
           "                      for several interfaces, one matrixControlTable row each\n"
           "  -r FILE             replay a pcap or pcapng file at its recorded pace\n"
           "  --fast              with -r: replay as fast as the file can be read\n"
           "  --config FILE       the configuration file (default " +
           std::string(kDefaultConfigPath) +
           ",\n"
           "                      read only if it exists): interfaces, listen addresses,\n"
           "                      communities, SNMPv3 users, sysContact, sysLocation\n"
           "  --address A         answer on address A only (default 127.0.0.1)\n"
           "  --port N            UDP port 1 to 65535 (default 1161)\n"
           "  --table-size N      most conversations kept per interface, 1 to 4294967294\n"
           "                      (default 10000); when full the least recently used one is\n"
           "                      deleted and matrixControlLastDeleteTime set\n"
           "  --fcs               the capture holds the 4-byte FCS (else 4 octets are added\n"
           "                      to every frame)\n"
           "  --short-frames runt|pad\n"
           "                      frames under 64 octets are runts, counted as errors (default\n"
           "                      for files), or frames not yet padded by their sender, counted\n"
           "                      as 64 octets (default for interfaces)\n"
           "  --if-index N        the ifIndex matrixControlDataSource names, 1 to 2147483647\n"
           "                      (default: the interface's own index; 1 for a file)\n"
           "  --owner TEXT        matrixControlOwner, up to 127 characters (default rmonprobe)\n"
           "  --check-config      read the configuration, say whether it is valid and exit\n"
           "                      (status 0 or 2)\n"
           "  --help              print this text and exit\n"
           "  --version           print the version and exit\n"
           "\n"
           "Command-line interfaces, address and port replace the configuration file's.\n"
           "Exit status: 0 after SIGTERM or SIGINT, 1 when it cannot capture or serve, 2 for\n"
           "bad options or configuration. SIGHUP re-reads the configuration file.\n";
}

} // namespace probe
