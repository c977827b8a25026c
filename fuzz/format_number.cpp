// Numbers of the table's numeric cells: FormatNumber of any double prints a short text
// that reads back as about the same value, and ParseNumber reads any text as strtod does
// in the C locale.
#include "table/format_number.h"
#include "common/number_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace {

double UnitOf(char suffix) {
    const char* units = "KMGTPEZY";
    const char* unit = suffix != '\0' ? strchr(units, suffix) : nullptr;
    return unit == nullptr ? 1.0 : std::pow(1000.0, double(unit - units + 1));
}

// The printed text, its unit letter taken back, is within a thousandth (three decimals
// kept, six digits printed) of the value; integers print truncated.
void CheckFormat(double value, bool asSigned) {
    char text[256];
    FormatNumber(text, value, asSigned);
    const size_t length = strlen(text);
    if (length == 0 || length > 16) {
        abort();
    }
    if (!std::isfinite(value) || (!asSigned && value < 0)) {
        return;
    }
    const double back = ReadNumber(text) * UnitOf(text[length - 1]);
    const double tolerance = std::max(1e-3 * std::fabs(value), 1.0);
    if (!(std::fabs(back - value) <= tolerance)) {
        abort();
    }
}

void CheckParse(const std::string& text) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const double expected = strtod_l(text.c_str(), nullptr, c);
    const double parsed = ReadNumber(text.c_str());
    if (parsed != expected && !(std::isnan(parsed) && std::isnan(expected))) {
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const bool asSigned = input.ConsumeBool();
    CheckFormat(input.ConsumeFloatingPoint<double>(), asSigned);
    CheckFormat(input.ConsumeIntegral<int64_t>() / 1000.0, asSigned);
    const std::string text = input.ConsumeRemainingBytesAsString();
    CheckParse(text);
    CheckFormat(ReadNumber(text.c_str()), asSigned);
    IsAllDigits(text.c_str());
    return 0;
}
