#include "host/ksdbapi/value_format.h"

#include "common/hex_digit.h"
#include "common/number_text.h"

#include "host/ksdbapi/oid_text.h"
#include "hostapi/ksdb_codes.h"

#include <algorithm>

namespace ksdb {
namespace {

bool IsPrintable(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        auto byte = static_cast<unsigned char>(c);
        return (byte >= 0x20 && byte < 0x7f) || c == '\t' || c == '\r' || c == '\n';
    });
}

std::string FormatOctets(const std::string& bytes, int syntax) {
    if (syntax == KSDB_SYNTAX_ADDRESS) {
        return FormatHex(bytes);
    }
    if (syntax == KSDB_SYNTAX_DISPLAY_STRING || IsPrintable(bytes)) {
        return bytes;
    }
    return FormatHex(bytes);
}

std::string FormatIpAddress(const std::string& bytes) {
    if (bytes.size() != 4) {
        return FormatHex(bytes);
    }
    std::string text;
    for (unsigned char byte : bytes) {
        text += (text.empty() ? "" : ".") + std::to_string(byte);
    }
    return text;
}

// "00 A0 C9" or "00:a0:c9": pairs of hexadecimal digits with one optional separator each.
bool ParseHex(std::string_view text, std::string& bytes) {
    bytes.clear();
    for (size_t i = 0; i < text.size();) {
        if (i + 1 >= text.size() || HexDigit(text[i]) < 0 || HexDigit(text[i + 1]) < 0) {
            return false;
        }
        bytes += static_cast<char>(HexDigit(text[i]) * 16 + HexDigit(text[i + 1]));
        i += 2;
        if (i < text.size() && (text[i] == ' ' || text[i] == ':')) {
            ++i;
        }
    }
    return true;
}

uint8_t AsnTypeOf(int syntax) {
    switch (syntax) {
    case KSDB_SYNTAX_COUNTER32:
        return kAsnCounter32;
    case KSDB_SYNTAX_GAUGE32:
        return kAsnGauge32;
    case KSDB_SYNTAX_TIME_TICKS:
        return kAsnTimeTicks;
    case KSDB_SYNTAX_COUNTER64:
        return kAsnCounter64;
    default:
        return kAsnInteger;
    }
}

bool ParseNumberValue(std::string_view text, int syntax, SnmpValue& value) {
    uint8_t type = AsnTypeOf(syntax);
    if (type == kAsnInteger) {
        int32_t number = 0;
        if (ParseWholeInteger(text, number) != NumberError::kNone) {
            return false;
        }
        value = SnmpValue::Number(type, number);
        return true;
    }
    uint64_t number = 0;
    const uint64_t limit = type == kAsnCounter64 ? UINT64_MAX : UINT32_MAX;
    if (ParseWholeInteger(text, number, 0, limit) != NumberError::kNone) {
        return false;
    }
    value = SnmpValue::Number(type, static_cast<int64_t>(number));
    return true;
}

bool ParseIpAddress(std::string_view text, SnmpValue& value) {
    Oid arcs;
    if (!ParseOid(text, arcs) || arcs.size() != 4 ||
        std::any_of(arcs.begin(), arcs.end(), [](uint32_t arc) { return arc > 255; })) {
        return false;
    }
    value = SnmpValue::Octets(std::string(arcs.begin(), arcs.end()));
    value.type = kAsnIpAddress;
    return true;
}

} // namespace

std::string FormatHex(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (unsigned char byte : bytes) {
        if (!text.empty()) {
            text += ' ';
        }
        text += kDigits[byte >> 4];
        text += kDigits[byte & 15];
    }
    return text;
}

std::string FormatValue(const SnmpValue& value, int syntax) {
    switch (value.type) {
    case kAsnInteger:
        return std::to_string(value.number);
    case kAsnCounter32:
    case kAsnGauge32:
    case kAsnTimeTicks:
    case kAsnCounter64:
        return std::to_string(static_cast<uint64_t>(value.number));
    case kAsnOctetString:
        return FormatOctets(value.bytes, syntax);
    case kAsnObjectId:
        return FormatOid(value.oid);
    case kAsnIpAddress:
        return FormatIpAddress(value.bytes);
    case kAsnOpaque:
        return FormatHex(value.bytes);
    default:
        return {};
    }
}

bool ParseValue(std::string_view text, int syntax, SnmpValue& value) {
    switch (syntax) {
    case KSDB_SYNTAX_INTEGER:
    case KSDB_SYNTAX_COUNTER32:
    case KSDB_SYNTAX_GAUGE32:
    case KSDB_SYNTAX_TIME_TICKS:
    case KSDB_SYNTAX_COUNTER64:
        return ParseNumberValue(text, syntax, value);
    case KSDB_SYNTAX_ADDRESS:
        value = SnmpValue::Octets({});
        return ParseHex(text, value.bytes);
    case KSDB_SYNTAX_OBJECT_ID:
        value = SnmpValue::Identifier({});
        return ParseOid(text, value.oid) && !value.oid.empty();
    case KSDB_SYNTAX_IP_ADDRESS:
        return ParseIpAddress(text, value);
    case KSDB_SYNTAX_OCTET_STRING:
    case KSDB_SYNTAX_DISPLAY_STRING:
        value = SnmpValue::Octets(std::string(text));
        return true;
    default:
        if (ParseNumberValue(text, KSDB_SYNTAX_INTEGER, value)) {
            return true;
        }
        value = SnmpValue::Octets(std::string(text));
        return true;
    }
}

} // namespace ksdb
