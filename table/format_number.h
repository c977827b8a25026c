#pragma once

#include <cstdint>
#include <string>

// Prints value into buffer (a 256-byte static buffer when null) as a short number with a
// unit letter (K, M, G, T, P, E, Z, Y) and at most three decimals; returns the buffer.
char* FormatNumber(char* buffer, double value, int asSigned);

// True when every character is a decimal digit; an empty or null text counts as digits.
int IsAllDigits(const char* text);

// Field index of text split at delimiter, leading and trailing blanks removed, cut to
// size - 1 characters; buffer null uses a static 255-byte buffer. Null when the text has
// fewer fields.
char* GetField(int index, const char* text, char* buffer, int size, char delimiter);

// Field index of text, leading blanks removed but trailing ones kept, uncut, into out (a
// static string when null). Null when the text has fewer fields.
std::string* GetField(int index, const char* text, char delimiter, std::string* out = nullptr);
