#include "probe/engine_identity.h"

#include "probe/scalar_group.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/library/lcd_time.h>

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

namespace probe {
namespace {

constexpr const char* kStateFile = "engine";
// RFC 3411's SnmpEngineID: net-snmp's enterprise (8072, the agent library this probe is
// built on) with the first bit set, then format 5 (octets chosen by the administrator).
const std::string kIdPrefix("\x80\x00\x1f\x88\x05", 5);
constexpr size_t kIdOctets = 12;           // after the prefix
constexpr uint32_t kMaxBoots = 2147483646; // snmpEngineBoots stops one below 2^31 - 1
// The largest message the agent's transports carry: a UDP datagram over IPv4 (net-snmp's
// UDP transports take the same limit).
constexpr uint32_t kMaxMessageSize = 65535 - 8 - 20;

// FNV-1a, 64 bits: a stable spread of the seed, not a secret.
uint64_t Spread(const std::string& text, uint64_t basis) {
    uint64_t hash = basis;
    for (unsigned char c : text) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

std::string DerivedId(const std::string& seed) {
    std::string id = kIdPrefix;
    const uint64_t halves[] = {Spread(seed, 14695981039346656037ull),
                               Spread(seed, 1469598103934665603ull)};
    for (uint64_t half : halves) {
        for (int shift = 56; shift >= 0 && id.size() < kIdPrefix.size() + kIdOctets; shift -= 8) {
            id.push_back(char(half >> shift));
        }
    }
    return id;
}

bool RandomId(std::string& id, std::string& problem) {
    std::ifstream source("/dev/urandom", std::ios::binary);
    std::string octets(kIdOctets, '\0');
    if (!source.read(octets.data(), std::streamsize(octets.size()))) {
        problem = "/dev/urandom cannot be read";
        return false;
    }
    id = kIdPrefix + octets;
    return true;
}

bool ParseHex(const std::string& text, std::string& octets) {
    if (text.empty() || text.size() % 2 != 0 || text.size() > 64) {
        return false;
    }
    octets.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        for (char c : text.substr(i, 2)) {
            const bool digit = c >= '0' && c <= '9';
            if (!digit && (c < 'a' || c > 'f')) {
                return false;
            }
            value = value * 16 + unsigned(digit ? c - '0' : c - 'a' + 10);
        }
        octets.push_back(char(value));
    }
    return true;
}

// The state file's two lines, "engine-id HEX" and "boots N"; false if it is not that.
bool ParseState(const std::string& text, EngineIdentity& identity) {
    std::istringstream lines(text);
    std::string key;
    std::string hex;
    std::string key2;
    unsigned long long boots = 0;
    if (!(lines >> key >> hex >> key2 >> boots) || key != "engine-id" || key2 != "boots" ||
        !ParseHex(hex, identity.id) || boots < 1 || boots > kMaxBoots) {
        return false;
    }
    identity.boots = uint32_t(boots);
    return true;
}

// Written beside and renamed over the old file, so a crash leaves one or the other whole.
bool WriteState(const std::string& path, const EngineIdentity& identity, std::string& problem) {
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << "engine-id " << HexText(identity.id) << "\nboots " << identity.boots << "\n";
        file.flush();
        if (!file) {
            problem = temporary + ": " + std::strerror(errno);
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        problem = path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

EngineIdentity Derived(const std::string& seed) {
    const auto now = uint64_t(std::time(nullptr));
    return {DerivedId(seed), uint32_t(now < kMaxBoots ? now : kMaxBoots)};
}

} // namespace

EngineIdentity LoadEngineIdentity(const std::string& directory, const std::string& seed,
                                  std::string& problem) {
    problem.clear();
    if (access(directory.c_str(), W_OK) != 0) {
        problem = directory + ": " + std::strerror(errno);
        return Derived(seed);
    }
    const std::string path = directory + "/" + kStateFile;
    EngineIdentity identity;
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    if (file && ParseState(text.str(), identity)) {
        identity.boots = identity.boots < kMaxBoots ? identity.boots + 1 : kMaxBoots;
    } else if (file) {
        problem = path + ": not an engine state file (engine-id HEX, boots N)";
        return Derived(seed);
    } else if (!RandomId(identity.id, problem)) {
        return Derived(seed);
    }
    if (!WriteState(path, identity, problem)) {
        return Derived(seed);
    }
    return identity;
}

std::string EngineSeed(const std::string& listenText) {
    std::ifstream file("/etc/machine-id");
    std::string machine;
    if (!std::getline(file, machine) || machine.empty()) {
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        machine = host;
    }
    return machine + "|" + listenText;
}

std::string HexText(const std::string& octets) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : octets) {
        text += kDigits[c >> 4];
        text += kDigits[c & 15];
    }
    return text;
}

void SetEngineIdBeforeInit(const EngineIdentity& identity) {
    set_exact_engineID(reinterpret_cast<const u_char*>(identity.id.data()), identity.id.size());
}

// init_snmp sets boots to 1 for an engine ID it has not stored itself (it stores nothing
// here); engineBoots_conf reads a stored count and adds the start it stands for.
void SetEngineBootsAfterInit(const EngineIdentity& identity) {
    std::string previous = std::to_string(identity.boots - 1);
    engineBoots_conf("engineBoots", previous.data());
    set_enginetime(reinterpret_cast<const u_char*>(identity.id.data()), identity.id.size(),
                   snmpv3_local_snmpEngineBoots(), snmpv3_local_snmpEngineTime(), TRUE);
}

bool RegisterEngineGroup() {
    const Arcs snmpEngine = {1, 3, 6, 1, 6, 3, 10, 2, 1};
    return RegisterScalars(
        "snmpEngine", snmpEngine,
        {{1,
          [] {
              u_char id[SNMP_MAXBUF_SMALL];
              const size_t length = snmpv3_get_engineID(id, sizeof id);
              return TextValue(std::string(reinterpret_cast<char*>(id), length));
          }},
         {2, [] { return NumberValue(kTagInteger, uint32_t(snmpv3_local_snmpEngineBoots())); }},
         {3, [] { return NumberValue(kTagInteger, uint32_t(snmpv3_local_snmpEngineTime())); }},
         {4, [] { return NumberValue(kTagInteger, kMaxMessageSize); }}});
}

} // namespace probe
