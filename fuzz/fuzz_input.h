// What the fuzz targets share: the input written to a file, for parsers that read files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the input to `name` in this process's own temporary folder and returns its path.
// The folder is made on first use and removed when the process exits.
std::string InputFile(const uint8_t* data, size_t size, const std::string& name);

// The process's temporary folder ($TMPDIR or /tmp, then tessaran-fuzz-PID).
const std::string& FuzzFolder();
