// What ifTable says of a live interface, read from Linux's /sys/class/net when the
// capture opens.
#pragma once

#include "probe/interface_table.h"

#include <string>

namespace probe {

// The ifTable columns of interface `name` (description, MTU, speed, address, states) with
// `ifIndex`; columns Linux does not report (a virtual link's speed) are 0 or empty.
MonitoredInterface DescribeInterface(const std::string& name, uint32_t ifIndex);

} // namespace probe
