// Numbers in text, read with a point whatever LC_NUMERIC the process runs under (Qt sets
// the C locale from the environment, and strtod under de_DE reads "0.5" as 0): outside
// data, scripts and options always write the decimal point as a point. One reader for the
// table's numeric cells, script commands and the console's options.
#pragma once

#include <string_view>

// The number at the start of text as atof reads it in the C locale: blanks, a sign,
// decimal or 0x hexadecimal, inf, nan; 0 when there is none. *end, when end is given, is
// set just past the number's text, or to text when there is no number.
double ReadNumber(const char* text, const char** end = nullptr);

// True when the whole of text is one finite number, nothing before or after it; the number
// goes into value. "1e+-5", " 1" and "1s" are not numbers.
bool ParseWholeNumber(std::string_view text, double& value);
