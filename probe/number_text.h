// The probe's number reader: options, the configuration file and the fast probe read every
// number through it (the probe stands apart and shares no code with the host).
#pragma once

#include <cstdint>
#include <string>

namespace probe {

// Reads the whole of `text` as a decimal number from `low` to `high`; false with `reason`
// set otherwise ("is not a whole decimal number", "is out of range 1 to 65535").
bool ParseUnsigned(const std::string& text, uint64_t low, uint64_t high, uint64_t& value,
                   std::string& reason);

} // namespace probe
