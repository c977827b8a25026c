#include "probe/probe_config.h"

#include "probe/probe_options.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace probe {
namespace {

constexpr size_t kMinPassphrase = 8; // USM's shortest passphrase
constexpr size_t kMaxText = 255;     // DisplayString's size
constexpr int kDefaultPort = 1161;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// One quoted word from `line[i]`, its opening quote; `\"` and `\\` stand for `"` and `\`.
bool QuotedWord(const std::string& line, size_t& i, std::string& word, std::string& reason) {
    for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
            ++i;
        }
        word += line[i];
    }
    if (i == line.size()) {
        reason = "a quote is not closed";
        return false;
    }
    if (++i < line.size() && !IsBlank(line[i])) {
        reason = "a closing quote is followed by more than a blank";
        return false;
    }
    return true;
}

// The line's words: separated by blanks, a word in quotes may hold anything; "#" at the start
// of the line or of a word starts a comment (inside a word, as in a passphrase, it does not).
bool Words(const std::string& line, std::vector<std::string>& words, std::string& reason) {
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size() || line[i] == '#') {
            return true;
        }
        std::string word;
        if (line[i] == '"') {
            if (!QuotedWord(line, i, word, reason)) {
                return false;
            }
        } else {
            for (; i < line.size() && !IsBlank(line[i]); ++i) {
                word += line[i];
            }
        }
        words.push_back(word);
    }
}

bool ParseEndpoint(const std::string& text, Endpoint& endpoint, std::string& reason) {
    const size_t colon = text.rfind(':');
    std::string address = colon == std::string::npos ? "" : text.substr(0, colon);
    if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    } else if (address.find(':') != std::string::npos) {
        address.clear(); // an IPv6 address needs its brackets before the port
    }
    uint64_t port = 0;
    if (!IsAddress(address)) {
        reason = "is not ADDRESS:PORT or [IPv6-ADDRESS]:PORT";
        return false;
    }
    if (!ParseUnsigned(text.substr(colon + 1), 1, 65535, port, reason)) {
        reason = "has a port that " + reason;
        return false;
    }
    endpoint = {address, int(port)};
    return true;
}

bool IsNetwork(const std::string& text) {
    const size_t slash = text.find('/');
    const std::string address = text.substr(0, slash);
    if (!IsAddress(address)) {
        return false;
    }
    const uint64_t bits = address.find(':') == std::string::npos ? 32 : 128;
    uint64_t value = 0;
    std::string reason;
    return slash == std::string::npos ||
           ParseUnsigned(text.substr(slash + 1), 0, bits, value, reason);
}

const char* AuthProtocol(const std::string& text) {
    static const char* const kKnown[] = {"SHA", "SHA-224", "SHA-256", "SHA-384", "SHA-512"};
    for (const char* known : kKnown) {
        if (text == known) {
            return known;
        }
    }
    return text == "SHA-1" ? "SHA" : nullptr;
}

bool ParseUser(const std::vector<std::string>& words, SnmpUser& user, std::string& reason) {
    if (words.size() != 6) {
        reason = "needs NAME AUTH-PROTOCOL AUTH-PASSPHRASE PRIV-PROTOCOL PRIV-PASSPHRASE";
        return false;
    }
    const char* auth = AuthProtocol(words[2]);
    if (!auth) {
        reason = Quoted(words[2]) + " is not SHA, SHA-224, SHA-256, SHA-384 or SHA-512";
        return false;
    }
    if (words[4] != "AES" && words[4] != "AES-128") {
        reason = Quoted(words[4]) + " is not AES (AES-128)";
        return false;
    }
    if (words[3].size() < kMinPassphrase || words[5].size() < kMinPassphrase) {
        reason = "passphrases need at least " + std::to_string(kMinPassphrase) + " characters";
        return false;
    }
    user = {words[1], auth, words[3], "AES", words[5]};
    return true;
}

bool ParseCommunity(const std::vector<std::string>& words, Community& community,
                    std::string& reason) {
    if (words.size() < 3) {
        reason = "needs NAME and at least one source NETWORK";
        return false;
    }
    community.name = words[1];
    for (size_t i = 2; i < words.size(); ++i) {
        if (!IsNetwork(words[i])) {
            reason = Quoted(words[i]) + " is not a network (ADDRESS or ADDRESS/BITS)";
            return false;
        }
        community.sources.push_back(words[i]);
    }
    return true;
}

// The words after the first, joined by one blank, for free text.
bool ParseText(const std::vector<std::string>& words, std::string& text, std::string& reason) {
    text.clear();
    for (size_t i = 1; i < words.size(); ++i) {
        text += (i > 1 ? " " : "") + words[i];
    }
    if (text.size() > kMaxText) {
        reason = "is longer than " + std::to_string(kMaxText) + " characters";
        return false;
    }
    return true;
}

// Names and passphrases go to the agent's own configuration lines, which a blank would split.
bool PlainWords(const std::vector<std::string>& words, std::string& reason) {
    for (const std::string& word : words) {
        if (word.empty() || word.find_first_of(" \t") != std::string::npos) {
            reason = Quoted(word) + (word.empty() ? " is empty" : " holds a blank");
            return false;
        }
    }
    return true;
}

// Where the file is read up to: the line number, and the line of each listen address.
struct Reading {
    int line = 0;
    std::vector<int> listenLines;
};

bool ParseListen(const std::string& text, ProbeConfig& config, Reading& reading,
                 std::string& reason) {
    Endpoint endpoint;
    if (!ParseEndpoint(text, endpoint, reason)) {
        reason = Quoted(text) + " " + reason;
        return false;
    }
    // The first listen line replaces the default address.
    config.listen.resize(reading.listenLines.size());
    for (size_t i = 0; i < config.listen.size(); ++i) {
        if (EndpointText(config.listen[i]) == EndpointText(endpoint)) {
            reason = Quoted(text) + " is named twice (line " +
                     std::to_string(reading.listenLines[i]) + " too)";
            return false;
        }
    }
    config.listen.push_back(endpoint);
    reading.listenLines.push_back(reading.line);
    return true;
}

bool ParseLine(const std::vector<std::string>& words, ProbeConfig& config, Reading& reading,
               std::string& reason) {
    const std::string& key = words[0];
    if (key == "contact" || key == "location") {
        return ParseText(words, key == "contact" ? config.contact : config.location, reason);
    }
    if ((key == "interface" || key == "listen") && words.size() != 2) {
        reason = "takes one value";
        return false;
    }
    if (key == "interface") {
        if (words[1].empty()) {
            reason = "the name is empty";
            return false;
        }
        config.interfaces.push_back(words[1]);
        return true;
    }
    if (key == "listen") {
        return ParseListen(words[1], config, reading, reason);
    }
    if ((key == "community" || key == "user") && !PlainWords(words, reason)) {
        return false;
    }
    if (key == "community") {
        config.communities.emplace_back();
        return ParseCommunity(words, config.communities.back(), reason);
    }
    if (key == "user") {
        config.users.emplace_back();
        return ParseUser(words, config.users.back(), reason);
    }
    reason = "is no setting (interface, listen, community, user, contact, location)";
    return false;
}

} // namespace

ProbeConfig DefaultProbeConfig() {
    ProbeConfig config;
    config.listen.push_back({"127.0.0.1", kDefaultPort});
    config.communities.push_back({"public", {"127.0.0.0/8", "::1/128"}});
    return config;
}

bool ParseProbeConfig(const std::string& text, ProbeConfig& config, std::string& error) {
    ProbeConfig parsed;
    parsed.listen.push_back({"127.0.0.1", kDefaultPort});
    std::istringstream lines(text);
    Reading reading;
    for (std::string line; std::getline(lines, line);) {
        ++reading.line;
        const std::string where = "line " + std::to_string(reading.line) + ": ";
        std::vector<std::string> words;
        std::string reason;
        if (!Words(line, words, reason)) {
            error = where + reason;
            return false;
        }
        if (!words.empty() && !ParseLine(words, parsed, reading, reason)) {
            error = where + words[0] + ": " + reason;
            return false;
        }
    }
    config = parsed;
    return true;
}

bool ReadProbeConfig(const std::string& path, ProbeConfig& config, std::string& error) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        error = path + ": is a folder, not a configuration file";
        return false;
    }
    std::ifstream file(path);
    if (!file) {
        error = path + ": cannot be read: " + std::strerror(errno);
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    if (!ParseProbeConfig(text.str(), config, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string EndpointText(const Endpoint& endpoint) {
    const bool six = endpoint.address.find(':') != std::string::npos;
    return (six ? "[" + endpoint.address + "]" : endpoint.address) + ":" +
           std::to_string(endpoint.port);
}

} // namespace probe
