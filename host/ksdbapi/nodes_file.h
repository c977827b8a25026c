// The nodes file: one managed node a line, "id address[:port] version community
// timeout-ms retries [bulk=on|off] name...", blank lines and # comments ignored (see
// data/nodes).
#pragma once

#include "host/ksdbapi/transport.h"

#include <string>
#include <string_view>
#include <vector>

namespace ksdb {

// Reads every well-formed line; malformed lines and later duplicates of an id are
// skipped. Returns false only if the file cannot be read.
bool ReadNodesFile(const std::string& path, std::vector<NodeConfig>& nodes);

// One line; false if it is not a node.
bool ReadNodeLine(std::string_view line, NodeConfig& node);

} // namespace ksdb
