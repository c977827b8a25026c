#include "common/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace {

bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool StartsHex(const char* text) {
    return text[0] == '0' && (text[1] == 'x' || text[1] == 'X') &&
           (std::isxdigit(static_cast<unsigned char>(text[2])) || text[2] == '.');
}

// The end of the number's text for from_chars: before an exponent marker that no
// well-formed exponent follows. libstdc++'s from_chars reads "1e+-5" as 1e-5 where atof
// stops before the 'e' and reads 1.
const char* NumberEnd(const char* start, bool hex) {
    const char* at = start;
    while (*at == '.' || (hex ? std::isxdigit(static_cast<unsigned char>(*at))
                              : std::isdigit(static_cast<unsigned char>(*at)))) {
        ++at;
    }
    if (std::tolower(static_cast<unsigned char>(*at)) != (hex ? 'p' : 'e')) {
        return start + std::strlen(start);
    }
    const char* digits = at + 1 + (at[1] == '+' || at[1] == '-');
    return std::isdigit(static_cast<unsigned char>(*digits)) ? start + std::strlen(start) : at;
}

// A number too large or too small for from_chars: the C library reads it in the C locale,
// as atof does (infinity, 0 or a subnormal value).
double ReadOutOfRange(const char* text, const char** end) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    char* stop = nullptr;
    const double value = strtod_l(text, &stop, cLocale);
    *end = stop;
    return value;
}

} // namespace

double ReadNumber(const char* text, const char** end) {
    const char* unused = nullptr;
    const char** stop = end != nullptr ? end : &unused;
    *stop = text;
    if (text == nullptr) {
        return 0.0;
    }
    const char* at = text;
    while (IsSpace(*at)) {
        ++at;
    }
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+') {
        ++at;
    }
    // A second sign: atof reads no number (from_chars would take a '-' here).
    if (*at == '-' || *at == '+') {
        return 0.0;
    }
    const bool hex = StartsHex(at);
    const char* start = hex ? at + 2 : at;
    double value = 0.0;
    const std::from_chars_result read =
        std::from_chars(start, NumberEnd(start, hex), value,
                        hex ? std::chars_format::hex : std::chars_format::general);
    if (read.ec == std::errc::result_out_of_range) {
        return ReadOutOfRange(text, stop);
    }
    if (read.ec != std::errc()) {
        return 0.0;
    }
    *stop = read.ptr;
    return negative ? -value : value;
}

bool ParseWholeNumber(std::string_view text, double& value) {
    if (text.empty() || IsSpace(text.front())) {
        return false;
    }
    const std::string copy(text);
    const char* end = nullptr;
    const double number = ReadNumber(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(number)) {
        return false;
    }
    value = number;
    return true;
}
