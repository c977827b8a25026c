#include "probe/number_text.h"

#include <charconv>

namespace probe {

bool ParseUnsigned(const std::string& text, uint64_t low, uint64_t high, uint64_t& value,
                   std::string& reason) {
    // Digits only: from_chars alone would take "10abc" as 10, and strtoul "-1" as 2^64-1.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        reason = "is not a whole decimal number";
        return false;
    }
    const std::from_chars_result result =
        std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range || value < low || value > high) {
        reason = "is out of range " + std::to_string(low) + " to " + std::to_string(high);
        return false;
    }
    return true;
}

} // namespace probe
