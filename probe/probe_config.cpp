#include "probe/probe_config.h"

#include "probe/probe_options.h"

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

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
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

// The rest of the line after its first word, for free text.
bool ParseText(const std::string& line, const std::string& key, std::string& text,
               std::string& reason) {
    const size_t start = line.find_first_not_of(" \t", line.find(key) + key.size());
    text = start == std::string::npos ? "" : line.substr(start);
    text = text.substr(0, text.find_last_not_of(" \t\r") + 1);
    if (text.size() > kMaxText) {
        reason = "is longer than " + std::to_string(kMaxText) + " characters";
        return false;
    }
    return true;
}

bool ParseLine(const std::string& line, ProbeConfig& config, bool& listenSeen,
               std::string& reason) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) {
        return true;
    }
    const std::string& key = words[0];
    if (key == "contact" || key == "location") {
        return ParseText(line, key, key == "contact" ? config.contact : config.location, reason);
    }
    if ((key == "interface" || key == "listen" || key == "state-directory") && words.size() != 2) {
        reason = "takes one value";
        return false;
    }
    if (key == "interface") {
        config.interfaces.push_back(words[1]);
        return true;
    }
    if (key == "state-directory") {
        config.stateDirectory = words[1];
        return true;
    }
    if (key == "listen") {
        Endpoint endpoint;
        if (!ParseEndpoint(words[1], endpoint, reason)) {
            reason = Quoted(words[1]) + " " + reason;
            return false;
        }
        config.listen.resize(listenSeen ? config.listen.size() : 0);
        config.listen.push_back(endpoint);
        listenSeen = true;
        return true;
    }
    if (key == "community") {
        config.communities.emplace_back();
        return ParseCommunity(words, config.communities.back(), reason);
    }
    if (key == "user") {
        config.users.emplace_back();
        return ParseUser(words, config.users.back(), reason);
    }
    reason = "is no setting (interface, listen, community, user, contact, location, "
             "state-directory)";
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
    bool listenSeen = false;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        line = line.substr(0, line.find('#'));
        std::string reason;
        if (!ParseLine(line, parsed, listenSeen, reason)) {
            error = "line " + std::to_string(number) + ": " + Words(line)[0] + ": " + reason;
            return false;
        }
    }
    config = parsed;
    return true;
}

bool ReadProbeConfig(const std::string& path, ProbeConfig& config, std::string& error) {
    std::ifstream file(path);
    if (!file) {
        error = path + ": cannot be read";
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
