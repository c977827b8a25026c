// The nodes file as the host database reads it: every node it accepts is usable, and every
// line that is neither blank nor a comment is a node or a named refusal.
#include "host/ksdbapi/nodes_file.h"
#include "fuzz/fuzz_input.h"

#include <cstdlib>
#include <set>

namespace {

// A v1 or v2c node has a community; a v3 node a user, and the keys its security level needs
// (pass phrases of at least 8 characters, as the key derivation wants).
bool HasCredentials(const ksdb::NodeConfig& node) {
    if (node.version == 0 || node.version == 1) {
        return !node.community.empty();
    }
    if (node.version != 3 || node.usm.user.empty()) {
        return false;
    }
    const ksdb::UsmSecurity& usm = node.usm;
    const bool auth = usm.auth != ksdb::UsmAuth::kNone && usm.authPassphrase.size() >= 8;
    const bool priv = usm.priv != ksdb::UsmPriv::kNone && usm.privPassphrase.size() >= 8;
    switch (usm.level) {
    case ksdb::UsmLevel::kNoAuthNoPriv:
        return true;
    case ksdb::UsmLevel::kAuthNoPriv:
        return auth;
    case ksdb::UsmLevel::kAuthPriv:
        return auth && priv;
    }
    return false;
}

// Lines with a word that does not begin with '#'.
size_t NodeLines(const uint8_t* data, size_t size) {
    size_t lines = 0;
    bool word = false;
    bool blank = true;
    for (size_t i = 0; i <= size; ++i) {
        const char c = i < size ? static_cast<char>(data[i]) : '\n';
        if (c == '\n') {
            lines += word;
            word = false;
            blank = true;
        } else if (blank && c != ' ' && c != '\t' && c != '\r') {
            word = c != '#';
            blank = false;
        }
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ksdb::NodeConfig> nodes;
    std::vector<std::string> errors;
    if (!ksdb::ReadNodesFile(InputFile(data, size, "nodes"), nodes, errors) ||
        nodes.size() + errors.size() != NodeLines(data, size)) {
        abort();
    }
    std::set<uint32_t> ids;
    for (const ksdb::NodeConfig& node : nodes) {
        const bool usable = node.id != 0 && !node.address.empty() && HasCredentials(node) &&
                            node.timeoutMs > 0 && node.retries >= 0;
        if (!usable || !ids.insert(node.id).second) {
            abort();
        }
    }
    return 0;
}
