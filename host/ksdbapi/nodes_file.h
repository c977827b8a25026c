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

// Reads every well-formed line into nodes. A malformed line, or a later line with an id
// already taken, is refused: errors gets "PATH:LINE: reason" for it. Returns false only if
// the file cannot be read.
bool ReadNodesFile(const std::string& path, std::vector<NodeConfig>& nodes,
                   std::vector<std::string>& errors);

// One line; false if it is not a node, with `reason` saying why ("port \"abc\" is not a
// whole number"), or empty for a blank line or a comment. A relative keys file is looked
// for in `folder` (the nodes file's), else in the working directory.
bool ReadNodeLine(std::string_view line, NodeConfig& node, std::string& reason,
                  const std::string& folder = {});

} // namespace ksdb
