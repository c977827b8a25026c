// What the test modules' entry functions reported, and the answer they get at attach.
#pragma once

#include "platform/core/win32.h"

#include <set>
#include <string>
#include <vector>

namespace framework_test {

// "A attach", "A detach", ... in the order the entry functions ran.
std::vector<std::string>& ModuleEvents();
// Modules whose entry function answers FALSE at attach.
std::set<std::string>& RefusingModules();

} // namespace framework_test
