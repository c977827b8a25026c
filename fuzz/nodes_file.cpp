// The nodes file as the host database reads it: every node it accepts is usable.
#include "host/ksdbapi/nodes_file.h"
#include "fuzz/fuzz_input.h"

#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ksdb::NodeConfig> nodes;
    if (!ksdb::ReadNodesFile(InputFile(data, size, "nodes"), nodes)) {
        abort();
    }
    std::set<uint32_t> ids;
    for (const ksdb::NodeConfig& node : nodes) {
        const bool usable = node.id != 0 && !node.address.empty() && !node.community.empty() &&
                            node.timeoutMs > 0 && node.retries >= 0 &&
                            (node.version == 0 || node.version == 1);
        if (!usable || !ids.insert(node.id).second) {
            abort();
        }
    }
    return 0;
}
