#include "table/format_number.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kNumberBufferSize = 256;
constexpr int kFieldBufferSize = 255;

struct UnitPrefix {
    double threshold;
    const char* suffix;
};

constexpr UnitPrefix kUnitPrefixes[] = {
    {1e24, "Y"}, {1e21, "Z"}, {1e18, "E"}, {1e15, "P"},
    {1e12, "T"}, {1e9, "G"},  {1e6, "M"},  {1000.0, "K"},
};

bool UsesIntegerForm(double value) {
    double whole = 0;
    double fraction = std::modf(value, &whole);
    if (!(std::fabs(value) < 2147483647.0)) {
        return false;
    }
    return std::fabs(fraction) < 0.001 || std::fabs(value) > 1000.0;
}

// Strips trailing zeros and a trailing point, then keeps at most three decimals.
void TrimDecimals(char* text) {
    char* point = std::strchr(text, '.');
    if (point == nullptr) {
        return;
    }
    size_t length = std::strlen(text);
    while (length > 1 && text[length - 1] == '0') {
        text[--length] = '\0';
    }
    if (length > 0 && text[length - 1] == '.') {
        text[--length] = '\0';
    }
    point = std::strchr(text, '.');
    if (point != nullptr && std::strlen(point) > 4) {
        point[4] = '\0';
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

// Start of field index of text, leading blanks skipped; null when there are fewer fields.
const char* FieldStart(int index, const char* text, char delimiter) {
    if (text == nullptr || index < 0) {
        return nullptr;
    }
    const char* p = text;
    for (int i = 0; i < index; ++i) {
        p = delimiter == '\0' ? nullptr : std::strchr(p, delimiter);
        if (p == nullptr) {
            return nullptr;
        }
        ++p;
    }
    while (*p != '\0' && *p != delimiter && IsBlank(*p)) {
        ++p;
    }
    return p;
}

size_t FieldLength(const char* start, char delimiter) {
    const char* end = delimiter == '\0' ? nullptr : std::strchr(start, delimiter);
    return end != nullptr ? static_cast<size_t>(end - start) : std::strlen(start);
}

} // namespace

char* FormatNumber(char* buffer, double value, int asSigned) {
    static char staticBuffer[kNumberBufferSize];
    if (buffer == nullptr) {
        buffer = staticBuffer;
    }
    if (UsesIntegerForm(value)) {
        int32_t whole = static_cast<int32_t>(value);
        if (asSigned) {
            std::snprintf(buffer, kNumberBufferSize, "%d", whole);
        } else {
            std::snprintf(buffer, kNumberBufferSize, "%u", static_cast<uint32_t>(whole));
        }
        return buffer;
    }
    const char* suffix = "";
    for (const UnitPrefix& prefix : kUnitPrefixes) {
        if (value >= prefix.threshold) {
            value /= prefix.threshold;
            suffix = prefix.suffix;
            break;
        }
    }
    // "%0g" of the C locale, whatever LC_NUMERIC the process has: the point stays a point.
    const std::to_chars_result printed =
        std::to_chars(buffer, buffer + kNumberBufferSize - 1, value, std::chars_format::general, 6);
    *printed.ptr = '\0';
    if (std::strchr(buffer, 'e') == nullptr) {
        TrimDecimals(buffer);
    }
    std::strncat(buffer, suffix, kNumberBufferSize - std::strlen(buffer) - 1);
    return buffer;
}

int IsAllDigits(const char* text) {
    if (text == nullptr) {
        return 1;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return 0;
        }
    }
    return 1;
}

char* GetField(int index, const char* text, char* buffer, int size, char delimiter) {
    static char staticBuffer[kFieldBufferSize];
    if (buffer == nullptr) {
        buffer = staticBuffer;
        size = size < kFieldBufferSize ? size : kFieldBufferSize;
    }
    const char* start = FieldStart(index, text, delimiter);
    if (start == nullptr || size < 1) {
        return nullptr;
    }
    size_t length = FieldLength(start, delimiter);
    size_t cap = static_cast<size_t>(size) - 1;
    size_t copied = length < cap ? length : cap;
    std::memcpy(buffer, start, copied);
    std::memset(buffer + copied, 0, static_cast<size_t>(size) - copied);
    while (copied > 0 && IsBlank(buffer[copied - 1])) {
        buffer[--copied] = '\0';
    }
    return buffer;
}

std::string* GetField(int index, const char* text, char delimiter, std::string* out) {
    static std::string staticField;
    if (out == nullptr) {
        out = &staticField;
    }
    const char* start = FieldStart(index, text, delimiter);
    if (start == nullptr) {
        return nullptr;
    }
    out->assign(start, FieldLength(start, delimiter));
    return out;
}
