#include "host/ksdbapi/nodes_file.h"

#include "common/number_text.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>

namespace ksdb {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view NextWord(std::string_view& line) {
    size_t start = 0;
    while (start < line.size() && IsBlank(line[start])) {
        ++start;
    }
    size_t end = start;
    while (end < line.size() && !IsBlank(line[end])) {
        ++end;
    }
    std::string_view word = line.substr(start, end - start);
    line.remove_prefix(end);
    return word;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

struct NameOf {
    std::string_view name;
    int value;
};

template <typename Enum, size_t N>
bool ReadName(std::string_view word, const NameOf (&names)[N], Enum& value) {
    for (const NameOf& entry : names) {
        if (entry.name == word) {
            value = static_cast<Enum>(entry.value);
            return true;
        }
    }
    return false;
}

// The names net-snmp's command-line tools take (-l, -a, -x), so a node's line reads as
// the snmpwalk command that reaches it.
const NameOf kLevels[] = {{"noAuthNoPriv", static_cast<int>(UsmLevel::kNoAuthNoPriv)},
                          {"authNoPriv", static_cast<int>(UsmLevel::kAuthNoPriv)},
                          {"authPriv", static_cast<int>(UsmLevel::kAuthPriv)}};
const NameOf kAuthProtocols[] = {{"MD5", static_cast<int>(UsmAuth::kMd5)},
                                 {"SHA", static_cast<int>(UsmAuth::kSha1)},
                                 {"SHA-224", static_cast<int>(UsmAuth::kSha224)},
                                 {"SHA-256", static_cast<int>(UsmAuth::kSha256)},
                                 {"SHA-384", static_cast<int>(UsmAuth::kSha384)},
                                 {"SHA-512", static_cast<int>(UsmAuth::kSha512)}};
const NameOf kPrivProtocols[] = {{"DES", static_cast<int>(UsmPriv::kDes)},
                                 {"AES", static_cast<int>(UsmPriv::kAes128)},
                                 {"AES-192", static_cast<int>(UsmPriv::kAes192)},
                                 {"AES-256", static_cast<int>(UsmPriv::kAes256)}};

// RFC 3414 asks for pass phrases of at least 8 characters; net-snmp refuses shorter ones.
constexpr size_t kMinPassphrase = 8;
// One try waits at most a minute: a view walks every ten seconds, a graph polls every few.
constexpr int kMaxTimeoutMs = 60000;
constexpr int kMaxRetries = 10;
constexpr uint16_t kMinPort = 1;
constexpr uint16_t kMaxPort = 65535;

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The names a protocol or level option takes, for the reason that refuses another.
template <size_t N> std::string NamesOf(const NameOf (&names)[N]) {
    std::string list;
    for (const NameOf& entry : names) {
        list += (list.empty() ? "" : ", ") + std::string(entry.name);
    }
    return list;
}

// A number field of the line from low to high, or why not ("time-out \"0\" is out of range
// 1 to 60000").
template <typename T>
bool ReadField(std::string_view what, std::string_view word, T low, T high, T& value,
               std::string& reason) {
    const NumberError error = ParseWholeInteger(word, value, low, high);
    if (error != NumberError::kNone) {
        reason = std::string(what) + " " + Quoted(word) + " " + NumberErrorText(error, low, high);
        return false;
    }
    return true;
}

// host[:port], [IPv6 address][:port] or a bare IPv6 address (two colons or more, no port).
bool CheckAddress(std::string_view address, std::string& reason) {
    size_t colon = address.find(':');
    if (address.front() == '[') {
        const size_t close = address.find(']');
        colon = close == std::string_view::npos ? close : close + 1;
        if (colon == std::string_view::npos || (colon < address.size() && address[colon] != ':')) {
            reason = "address " + Quoted(address) + " is not [IPv6 address]:port";
            return false;
        }
    } else if (colon != std::string_view::npos &&
               address.find(':', colon + 1) != std::string_view::npos) {
        return true;
    }
    if (colon == 0) {
        reason = "address " + Quoted(address) + " has no host";
        return false;
    }
    uint16_t port = 0;
    return colon >= address.size() ||
           ReadField("port", address.substr(colon + 1), kMinPort, kMaxPort, port, reason);
}

// What the options of a line said, before they are checked against each other.
struct Options {
    bool readAhead = true;
    bool levelGiven = false;
    bool security = false; // any SNMPv3 option
    UsmSecurity usm;
};

bool ReadKeysFile(const std::string& path, Options& options, std::string& reason);

template <typename Enum, size_t N>
bool ReadChoice(std::string_view key, std::string_view value, const NameOf (&names)[N],
                Enum& choice, std::string& reason) {
    if (!ReadName(value, names, choice)) {
        reason = std::string(key) + "=" + std::string(value) + ": not one of " + NamesOf(names);
        return false;
    }
    return true;
}

// One "key=value" option; false with `reason` if the key is known but the value is not
// valid. Pass phrases are never quoted in a reason.
bool ApplyOption(std::string_view key, std::string_view value, const std::string& folder,
                 Options& options, std::string& reason) {
    options.security = options.security || key != "bulk";
    if (key == "bulk") {
        static constexpr NameOf kSwitch[] = {{"on", 1}, {"off", 0}};
        return ReadChoice(key, value, kSwitch, options.readAhead, reason);
    }
    if (key == "level") {
        options.levelGiven = true;
        return ReadChoice(key, value, kLevels, options.usm.level, reason);
    }
    if (key == "auth") {
        return ReadChoice(key, value, kAuthProtocols, options.usm.auth, reason);
    }
    if (key == "priv") {
        return ReadChoice(key, value, kPrivProtocols, options.usm.priv, reason);
    }
    if (key == "authpass" || key == "privpass" || key == "context") {
        std::string& field = key == "authpass"   ? options.usm.authPassphrase
                             : key == "privpass" ? options.usm.privPassphrase
                                                 : options.usm.context;
        field.assign(value);
        reason = value.empty() && key != "context" ? std::string(key) + " is empty" : "";
        return reason.empty();
    }
    if (value.empty()) {
        reason = "keys names no file";
        return false;
    }
    const std::string path(value);
    return ReadKeysFile(path.front() == '/' || folder.empty() ? path : folder + '/' + path, options,
                        reason);
}

bool IsOptionKey(std::string_view key) {
    static constexpr std::string_view kKeys[] = {"bulk",     "context", "level",    "auth",
                                                 "authpass", "priv",    "privpass", "keys"};
    return std::find(std::begin(kKeys), std::end(kKeys), key) != std::end(kKeys);
}

// One line of a keys file; false with `reason` when it is not a usable option.
bool ReadKeysLine(std::string_view line, Options& options, std::string& reason) {
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        reason = "not key=value";
        return false;
    }
    std::string_view key = Trim(line.substr(0, equals));
    if (key == "keys" || key == "bulk" || !IsOptionKey(key)) {
        reason = Quoted(key) + " is no option of a keys file";
        return false;
    }
    return ApplyOption(key, Trim(line.substr(equals + 1)), {}, options, reason);
}

// A keys file: "key=value" lines, the value the rest of the line (pass phrases may hold
// blanks), blank lines and # comments ignored; any option but keys and bulk.
bool ReadKeysFile(const std::string& path, Options& options, std::string& reason) {
    std::ifstream file(path);
    if (!file) {
        reason = "keys file " + path + " cannot be read";
        return false;
    }
    std::string text;
    for (int number = 1; std::getline(file, text); ++number) {
        std::string_view line = Trim(text);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (!ReadKeysLine(line, options, reason)) {
            reason = "keys file " + path + " line " + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    return true;
}

// Options between the retries and the name, "key=value" words with a known key. A name
// cannot begin with one (it would be read as the option).
bool ReadOptions(std::string_view& line, const std::string& folder, Options& options,
                 std::string& reason) {
    for (;;) {
        std::string_view rest = line;
        std::string_view word = NextWord(rest);
        const size_t equals = word.find('=');
        if (equals == std::string_view::npos || !IsOptionKey(word.substr(0, equals))) {
            return true;
        }
        if (!ApplyOption(word.substr(0, equals), word.substr(equals + 1), folder, options,
                         reason)) {
            return false;
        }
        line = rest;
    }
}

// A pass phrase long enough, or why not (its length, never its text).
bool CheckPassphrase(std::string_view key, const std::string& passphrase, std::string& reason) {
    if (passphrase.size() < kMinPassphrase) {
        reason = std::string(key) + " has " + std::to_string(passphrase.size()) +
                 " characters, fewer than " + std::to_string(kMinPassphrase);
        return false;
    }
    return true;
}

// The level follows the keys given unless the line names one; every level needs the
// protocols and pass phrases it uses.
bool CheckSecurity(Options& options, std::string& reason) {
    UsmSecurity& usm = options.usm;
    if (!options.levelGiven) {
        usm.level = usm.priv != UsmPriv::kNone   ? UsmLevel::kAuthPriv
                    : usm.auth != UsmAuth::kNone ? UsmLevel::kAuthNoPriv
                                                 : UsmLevel::kNoAuthNoPriv;
    }
    const bool auth = usm.level != UsmLevel::kNoAuthNoPriv;
    const bool priv = usm.level == UsmLevel::kAuthPriv;
    if (auth && usm.auth == UsmAuth::kNone) {
        reason = "authentication needs auth=" + NamesOf(kAuthProtocols);
        return false;
    }
    if (priv && usm.priv == UsmPriv::kNone) {
        reason = "privacy needs priv=" + NamesOf(kPrivProtocols);
        return false;
    }
    return (!auth || CheckPassphrase("authpass", usm.authPassphrase, reason)) &&
           (!priv || CheckPassphrase("privpass", usm.privPassphrase, reason));
}

// The words before the options: id, address, version, community and time-outs.
bool ReadFixedFields(std::string_view& line, std::string_view id, NodeConfig& node,
                     std::string_view& version, std::string& reason) {
    const std::string_view address = NextWord(line);
    version = NextWord(line);
    const std::string_view community = NextWord(line);
    const std::string_view timeout = NextWord(line);
    const std::string_view retries = NextWord(line);
    if (!ReadField("id", id, 1u, UINT32_MAX, node.id, reason)) {
        return false;
    }
    if (retries.empty()) {
        reason = "fewer than six fields (id address version community time-out retries)";
        return false;
    }
    if (version != "1" && version != "2c" && version != "3") {
        reason = "version " + Quoted(version) + " is not 1, 2c or 3";
        return false;
    }
    node.address.assign(address);
    node.community.assign(community);
    return CheckAddress(address, reason) &&
           ReadField("time-out", timeout, 1, kMaxTimeoutMs, node.timeoutMs, reason) &&
           ReadField("retries", retries, 0, kMaxRetries, node.retries, reason);
}

} // namespace

bool ReadNodeLine(std::string_view line, NodeConfig& node, std::string& reason,
                  const std::string& folder) {
    reason.clear();
    std::string_view id = NextWord(line);
    if (id.empty() || id.front() == '#') {
        return false;
    }
    std::string_view version;
    Options options;
    if (!ReadFixedFields(line, id, node, version, reason) ||
        !ReadOptions(line, folder, options, reason)) {
        return false;
    }
    const bool v3 = version == "3";
    if (!v3 && options.security) {
        reason = "SNMPv3 options on a version " + std::string(version) + " node";
        return false;
    }
    if (v3 && !CheckSecurity(options, reason)) {
        return false;
    }
    node.version = v3 ? 3 : version == "1" ? 0 : 1;
    node.usm = std::move(options.usm);
    node.usm.user = v3 ? node.community : "";
    node.community = v3 ? "" : node.community;
    node.readAhead = options.readAhead;
    node.name.assign(Trim(line));
    return true;
}

bool ReadNodesFile(const std::string& path, std::vector<NodeConfig>& nodes,
                   std::vector<std::string>& errors) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::map<uint32_t, int> lineOf; // the line of each id taken
    std::string text;
    for (int number = 1; std::getline(file, text); ++number) {
        NodeConfig node;
        std::string reason;
        if (ReadNodeLine(text, node, reason, folder)) {
            auto [taken, added] = lineOf.emplace(node.id, number);
            reason = added ? ""
                           : "id " + std::to_string(node.id) + " is taken by line " +
                                 std::to_string(taken->second);
            if (added) {
                nodes.push_back(std::move(node));
            }
        }
        if (!reason.empty()) {
            errors.push_back(path + ":" + std::to_string(number) + ": " + reason);
        }
    }
    return true;
}

} // namespace ksdb
