// Hexadecimal digits, read in one place for every reader of addresses and hex texts.
#pragma once

// The value of one hex digit of either case, or -1.
inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The plug-in's reading of an address byte's digit: 0 to 9 and A to F; everything else,
// lower-case letters and the end of the text included, counts as 0 (probes answer
// addresses in upper case, and the plug-in has always read "0a" as 0).
inline int UpperHexDigitOrZero(char c) {
    return (c >= 'a' && c <= 'f') ? 0 : (HexDigit(c) < 0 ? 0 : HexDigit(c));
}
