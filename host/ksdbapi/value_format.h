// Value texts of FLD_VAR_VALUE and the values of set requests read from them.
#pragma once

#include "host/ksdbapi/snmp_value.h"

#include <string>
#include <string_view>

namespace ksdb {

// Integers signed decimal; counters, gauges and time ticks unsigned decimal; identifiers
// dotted; IpAddress dotted quad. An OCTET STRING is hexadecimal bytes when the syntax is
// KSDB_SYNTAX_ADDRESS, its text when KSDB_SYNTAX_DISPLAY_STRING, and otherwise its text
// when every byte is printable, else hexadecimal. Exceptions and NULL give "".
std::string FormatValue(const SnmpValue& value, int syntax);

// Upper-case hexadecimal bytes separated by single blanks, no trailing blank.
std::string FormatHex(std::string_view bytes);

// The value a set request sends for `text` under `syntax`; false if the text does not fit.
// Without a known syntax, decimal text is an INTEGER and anything else an OCTET STRING.
bool ParseValue(std::string_view text, int syntax, SnmpValue& value);

} // namespace ksdb
