// The nodes file: one managed node a line, "id address[:port] version community-or-user
// timeout-ms retries [key=value...] name...", blank lines and # comments ignored (see
// data/nodes): bulk=on|off for every node; an SNMPv3 node's security (level, auth,
// authpass, priv, privpass, context) on the line or in a keys file (keys=FILE).
#pragma once

#include "host/ksdbapi/transport.h"

#include <string>
#include <string_view>
#include <vector>

namespace ksdb {

// Reads every well-formed line; malformed lines and later duplicates of an id are
// skipped. Returns false only if the file cannot be read.
bool ReadNodesFile(const std::string& path, std::vector<NodeConfig>& nodes);

// One line; false if it is not a node. A relative keys file is looked for in `folder`
// (the nodes file's), else in the working directory.
bool ReadNodeLine(std::string_view line, NodeConfig& node, const std::string& folder = {});

} // namespace ksdb
