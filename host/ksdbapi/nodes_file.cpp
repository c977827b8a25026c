#include "host/ksdbapi/nodes_file.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>

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

template <typename T> bool ReadNumber(std::string_view word, T& number) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    return error == std::errc() && end == word.data() + word.size();
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

// What the options of a line said, before they are checked against each other.
struct Options {
    bool readAhead = true;
    bool levelGiven = false;
    bool security = false; // any SNMPv3 option
    UsmSecurity usm;
};

bool ReadKeysFile(const std::string& path, Options& options);

// One "key=value" option; false if the key is known but the value is not valid.
bool ApplyOption(std::string_view key, std::string_view value, const std::string& folder,
                 Options& options) {
    options.security = options.security || key != "bulk";
    if (key == "bulk") {
        options.readAhead = value == "on";
        return value == "on" || value == "off";
    }
    if (key == "level") {
        options.levelGiven = true;
        return ReadName(value, kLevels, options.usm.level);
    }
    if (key == "auth") {
        return ReadName(value, kAuthProtocols, options.usm.auth);
    }
    if (key == "priv") {
        return ReadName(value, kPrivProtocols, options.usm.priv);
    }
    if (key == "authpass" || key == "privpass" || key == "context") {
        std::string& field = key == "authpass"   ? options.usm.authPassphrase
                             : key == "privpass" ? options.usm.privPassphrase
                                                 : options.usm.context;
        field.assign(value);
        return !value.empty() || key == "context";
    }
    if (key == "keys" && !value.empty()) {
        std::string path(value);
        return ReadKeysFile(path.front() == '/' || folder.empty() ? path : folder + '/' + path,
                            options);
    }
    return false;
}

bool IsOptionKey(std::string_view key) {
    static constexpr std::string_view kKeys[] = {"bulk",     "context", "level",    "auth",
                                                 "authpass", "priv",    "privpass", "keys"};
    return std::find(std::begin(kKeys), std::end(kKeys), key) != std::end(kKeys);
}

// A keys file: "key=value" lines, the value the rest of the line (pass phrases may hold
// blanks), blank lines and # comments ignored; any option but keys and bulk.
bool ReadKeysFile(const std::string& path, Options& options) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    std::string text;
    while (std::getline(file, text)) {
        std::string_view line = Trim(text);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return false;
        }
        std::string_view key = Trim(line.substr(0, equals));
        if (key == "keys" || key == "bulk" || !IsOptionKey(key) ||
            !ApplyOption(key, Trim(line.substr(equals + 1)), {}, options)) {
            return false;
        }
    }
    return true;
}

// Options between the retries and the name, "key=value" words with a known key. A name
// cannot begin with one (it would be read as the option).
bool ReadOptions(std::string_view& line, const std::string& folder, Options& options) {
    for (;;) {
        std::string_view rest = line;
        std::string_view word = NextWord(rest);
        const size_t equals = word.find('=');
        if (equals == std::string_view::npos || !IsOptionKey(word.substr(0, equals))) {
            return true;
        }
        if (!ApplyOption(word.substr(0, equals), word.substr(equals + 1), folder, options)) {
            return false;
        }
        line = rest;
    }
}

// The level follows the keys given unless the line names one; every level needs the
// protocols and pass phrases it uses.
bool CheckSecurity(Options& options) {
    UsmSecurity& usm = options.usm;
    if (!options.levelGiven) {
        usm.level = usm.priv != UsmPriv::kNone   ? UsmLevel::kAuthPriv
                    : usm.auth != UsmAuth::kNone ? UsmLevel::kAuthNoPriv
                                                 : UsmLevel::kNoAuthNoPriv;
    }
    const bool auth = usm.level != UsmLevel::kNoAuthNoPriv;
    const bool priv = usm.level == UsmLevel::kAuthPriv;
    if (auth && (usm.auth == UsmAuth::kNone || usm.authPassphrase.size() < kMinPassphrase)) {
        return false;
    }
    return !priv || (usm.priv != UsmPriv::kNone && usm.privPassphrase.size() >= kMinPassphrase);
}

} // namespace

bool ReadNodeLine(std::string_view line, NodeConfig& node, const std::string& folder) {
    std::string_view id = NextWord(line);
    if (id.empty() || id.front() == '#') {
        return false;
    }
    std::string_view address = NextWord(line);
    std::string_view version = NextWord(line);
    std::string_view community = NextWord(line);
    std::string_view timeout = NextWord(line);
    std::string_view retries = NextWord(line);
    if (!ReadNumber(id, node.id) || node.id == 0 || address.empty() || community.empty()) {
        return false;
    }
    if (version != "1" && version != "2c" && version != "3") {
        return false;
    }
    if (!ReadNumber(timeout, node.timeoutMs) || node.timeoutMs <= 0 ||
        !ReadNumber(retries, node.retries) || node.retries < 0) {
        return false;
    }
    Options options;
    if (!ReadOptions(line, folder, options)) {
        return false;
    }
    const bool v3 = version == "3";
    if (v3 ? !CheckSecurity(options) : options.security) {
        return false;
    }
    node.address.assign(address);
    node.version = v3 ? 3 : version == "1" ? 0 : 1;
    node.community.assign(v3 ? "" : community);
    node.usm = std::move(options.usm);
    node.usm.user.assign(v3 ? community : "");
    node.readAhead = options.readAhead;
    node.name.assign(Trim(line));
    return true;
}

bool ReadNodesFile(const std::string& path, std::vector<NodeConfig>& nodes) {
    std::ifstream file(path);
    if (!file) {
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    std::string line;
    while (std::getline(file, line)) {
        NodeConfig node;
        if (!ReadNodeLine(line, node, folder)) {
            continue;
        }
        bool known = std::any_of(nodes.begin(), nodes.end(),
                                 [&node](const NodeConfig& other) { return other.id == node.id; });
        if (!known) {
            nodes.push_back(std::move(node));
        }
    }
    return true;
}

} // namespace ksdb
