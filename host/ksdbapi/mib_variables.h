// The MIB variables that table 3 holds from the start: the RMON-1 matrix group
// (RFC 2819) and the MIB-II system group (RFC 1213), with their syntax.
#pragma once

#include <vector>

namespace ksdb {

struct MibVariable {
    const char* name;
    const char* oid; // dotted, no leading dot: the text of FLD_VAR_DEF_OID
    int syntax;      // KSDB_SYNTAX_
};

const std::vector<MibVariable>& StandardMibVariables();

} // namespace ksdb
