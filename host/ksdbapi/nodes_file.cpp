#include "host/ksdbapi/nodes_file.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace ksdb {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view NextWord(std::string_view& line) {
    size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    size_t end = start;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    std::string_view word = line.substr(start, end - start);
    line.remove_prefix(end);
    return word;
}

template <typename T> bool ReadNumber(std::string_view word, T& number) {
    auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    return error == std::errc() && end == word.data() + word.size();
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Options between the retries and the name, "key=value" words; only "bulk=on|off" so far.
// A name cannot begin with "bulk=" (it would be read as the option).
bool ReadOptions(std::string_view& line, NodeConfig& node) {
    node.readAhead = true;
    static constexpr std::string_view kBulk = "bulk=";
    for (;;) {
        std::string_view rest = line;
        std::string_view word = NextWord(rest);
        if (word.substr(0, kBulk.size()) != kBulk)
            return true;
        std::string_view value = word.substr(kBulk.size());
        if (value != "on" && value != "off")
            return false;
        node.readAhead = value == "on";
        line = rest;
    }
}

} // namespace

bool ReadNodeLine(std::string_view line, NodeConfig& node) {
    std::string_view id = NextWord(line);
    if (id.empty() || id.front() == '#')
        return false;
    std::string_view address = NextWord(line);
    std::string_view version = NextWord(line);
    std::string_view community = NextWord(line);
    std::string_view timeout = NextWord(line);
    std::string_view retries = NextWord(line);
    if (!ReadNumber(id, node.id) || node.id == 0 || address.empty() || community.empty())
        return false;
    if (version != "1" && version != "2c")
        return false;
    if (!ReadNumber(timeout, node.timeoutMs) || node.timeoutMs <= 0 ||
        !ReadNumber(retries, node.retries) || node.retries < 0)
        return false;
    if (!ReadOptions(line, node))
        return false;
    node.address.assign(address);
    node.version = version == "1" ? 0 : 1;
    node.community.assign(community);
    node.name.assign(Trim(line));
    return true;
}

bool ReadNodesFile(const std::string& path, std::vector<NodeConfig>& nodes) {
    std::ifstream file(path);
    if (!file)
        return false;
    std::string line;
    while (std::getline(file, line)) {
        NodeConfig node;
        if (!ReadNodeLine(line, node))
            continue;
        bool known = std::any_of(nodes.begin(), nodes.end(),
                                 [&node](const NodeConfig& other) { return other.id == node.id; });
        if (!known)
            nodes.push_back(std::move(node));
    }
    return true;
}

} // namespace ksdb
