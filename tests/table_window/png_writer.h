// Writes 24-bit RGB images as PNG files (uncompressed deflate blocks), for looking at what a
// window painted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixels: width * height RGB triples, row by row from the top. False when the file cannot be
// written.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& pixels);
