// Object identifiers as dotted text: "1.3.6.1.2.1.1.1.0", no leading dot.
#pragma once

#include "host/ksdbapi/snmp_value.h"

#include <string>
#include <string_view>

namespace ksdb {

// Parses dotted decimal text; one leading dot is allowed. Empty text gives an empty
// identifier. Returns false for anything else that is not arcs of digits.
bool ParseOid(std::string_view text, Oid& oid);

// Dotted decimal text without a leading dot.
std::string FormatOid(const Oid& oid);

// Appends ".arc" for every arc of `oid` from `first` on.
void AppendArcs(std::string& text, const Oid& oid, size_t first);

// True if `prefix` is an initial segment of `oid` (arc-wise).
bool HasPrefix(const Oid& oid, const Oid& prefix);

} // namespace ksdb
