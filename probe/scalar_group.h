// Read-only scalars under one subtree of an agent built on net-snmp's agent library: the
// system group's texts, the SNMP and USM statistics. Each scalar's value is read at every
// request, so counters and texts that change are answered as they stand.
#pragma once

#include "probe/matrix_table.h"

#include <functional>
#include <vector>

struct variable_list;

namespace probe {

struct Scalar {
    uint32_t arc; // the scalar is BASE.arc.0
    std::function<void(variable_list*)> value;
};

// Registers `scalars`, in ascending arc order, under `base`; they live as long as the
// process. False if net-snmp refused the registration.
bool RegisterScalars(const char* label, const Arcs& base, std::vector<Scalar> scalars);

// Value setters for Scalar::value.
void SetText(variable_list* var, const std::string& text);
void SetCounter(variable_list* var, uint32_t count);

} // namespace probe
