// rmonprobe's command line: what to count, where to answer and how, read strictly. A value
// is taken only when the whole of its text is valid and within its range; anything else is
// an error that names the option, the value and the reason.
#pragma once

#include "probe/ethernet_frame.h"
#include "probe/number_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace probe {

struct ProbeOptions {
    std::vector<std::string> interfaces; // -i, repeatable
    std::string file;                    // -r
    bool fast = false;
    std::string config;  // --config; empty: the default path, if that file exists
    std::string address; // --address; empty: not given
    int port = 0;        // --port; 0: not given
    size_t tableSize = 10000;
    CountingRules rules;
    std::string shortFrames; // "runt", "pad", or empty for the source's default
    uint32_t ifIndex = 0;    // 0: the interface's own, or 1 for a file
    std::string owner = "rmonprobe";
    bool checkConfig = false; // read the configuration and exit
    bool help = false;
    bool version = false;
};

// The configuration file read when --config is not given, if it exists.
extern const char* const kDefaultConfigPath;

// Reads argv[1..argc-1] into options. False with `error` set ("--port: \"70000\" is out of
// range 1 to 65535") on the first bad option or value, or an invalid combination.
bool ParseProbeOptions(int argc, const char* const* argv, ProbeOptions& options,
                       std::string& error);

// The usage text --help prints: every option and what it does.
std::string ProbeUsage();

// True when `text` is a numeric IPv4 or IPv6 address.
bool IsAddress(const std::string& text);

} // namespace probe
