// Numbers in text, read with a point whatever LC_NUMERIC the process runs under (Qt sets
// the C locale from the environment, and strtod under de_DE reads "0.5" as 0): outside
// data, scripts and options always write the decimal point as a point. One reader for the
// table's numeric cells, script commands, the console's options, the nodes file and the
// host database's records; the caller names what was wrong.
#pragma once

#include <charconv>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

// The number at the start of text as atof reads it in the C locale: blanks, a sign,
// decimal or 0x hexadecimal, inf, nan; 0 when there is none. *end, when end is given, is
// set just past the number's text, or to text when there is no number.
double ReadNumber(const char* text, const char** end = nullptr);

// True when the whole of text is one finite number, nothing before or after it; the number
// goes into value. "1e+-5", " 1" and "1s" are not numbers.
bool ParseWholeNumber(std::string_view text, double& value);

// Why a text is not the whole number a caller asked for.
enum class NumberError {
    kNone,
    kNotANumber, // not decimal digits alone (with one '-' in front for a signed type)
    kOutOfRange, // a number, outside the range asked for or the type's
};

// The whole of text as a decimal integer from low to high: digits, one leading '-' only for
// a signed type, nothing else (no blank, '+', point or 0x). value changes only on success.
// strtoul would take "-1" as its largest value and "12abc" as 12; atoi takes both silently.
template <typename T>
[[nodiscard]] NumberError
ParseWholeInteger(std::string_view text, T& value,
                  std::type_identity_t<T> low = std::numeric_limits<T>::min(),
                  std::type_identity_t<T> high = std::numeric_limits<T>::max()) {
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>);
    const char* const end = text.data() + text.size();
    const size_t sign = std::is_signed_v<T> && !text.empty() && text.front() == '-';
    if (text.size() == sign || text[sign] < '0' || text[sign] > '9') {
        return NumberError::kNotANumber;
    }
    T number{};
    const std::from_chars_result read = std::from_chars(text.data(), end, number);
    if (read.ptr != end) {
        return NumberError::kNotANumber;
    }
    if (read.ec == std::errc::result_out_of_range || number < low || number > high) {
        return NumberError::kOutOfRange;
    }
    value = number;
    return NumberError::kNone;
}

// What a caller says of a refused text: "is not a whole number" or "is out of range LOW to
// HIGH" (the range it asked for); "" for kNone.
template <typename T>
std::string NumberErrorText(NumberError error, T low, std::type_identity_t<T> high) {
    switch (error) {
    case NumberError::kNone:
        break;
    case NumberError::kNotANumber:
        return "is not a whole number";
    case NumberError::kOutOfRange:
        return "is out of range " + std::to_string(low) + " to " + std::to_string(high);
    }
    return "";
}
