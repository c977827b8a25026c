// What IF-MIB says of a live interface, read from Linux's /sys/class/net: when the capture
// opens and every tenth of a second after, so that ifTable follows the kernel.
#pragma once

#include "probe/interface_table.h"

#include <string>

namespace probe {

// The kernel's view of interface `name` now; not present if there is no such interface.
// Columns Linux does not report (a virtual link's speed) are 0 or empty.
InterfaceState ReadInterface(const std::string& name);

} // namespace probe
