// Read-only scalars under one subtree of the agent: the system group's texts, the SNMP and
// USM statistics. Each scalar's value is read at every request, so counters and texts that
// change are answered as they stand.
#pragma once

#include "probe/matrix_table.h"

#include <functional>
#include <string>
#include <vector>

namespace probe {

struct Scalar {
    uint32_t arc; // the scalar is BASE.arc.0
    std::function<MatrixValue()> value;
};

// Registers `scalars`, in ascending arc order, under `base`; they live as long as the
// process. False if net-snmp refused the registration.
bool RegisterScalars(const std::string& label, const Arcs& base, std::vector<Scalar> scalars);

MatrixValue TextValue(const std::string& text);
MatrixValue NumberValue(uint8_t tag, uint64_t number);

} // namespace probe
