// Platform-private: what the resource calls need to know of loaded modules.
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/resource.h"

namespace platform {

// The module's resources; nullptr when it has none or the handle is stale.
const RESOURCETABLE* ModuleResources(HMODULE module);
bool IsModule(HMODULE module);

} // namespace platform
