// An address text as the table holds it ("00 A0 C9 12 34 56") in the dotted-decimal form
// of RMON matrix instances, for the Matrix view and the conversation window alike.
#pragma once

#include "common/hex_digit.h"

#include <algorithm>
#include <string>

// Every piece between blanks gives one byte from its first two characters, each byte
// written after a dot: "00 A0 C9" gives ".0.160.201". An empty piece (two blanks in a row,
// a blank at either end, an empty text) gives 0.
inline std::string AddressOid(const std::string& text) {
    std::string oid;
    size_t start = 0;
    for (;;) {
        const size_t end = std::min(text.find(' ', start), text.size());
        const char c0 = end > start ? text[start] : '\0';
        const char c1 = end > start + 1 ? text[start + 1] : '\0';
        oid += "." + std::to_string(16 * UpperHexDigitOrZero(c0) + UpperHexDigitOrZero(c1));
        if (end == text.size()) {
            return oid;
        }
        start = end + 1;
    }
}
