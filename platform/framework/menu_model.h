// Platform-private: the menu model behind HMENU, shared by the menu calls, menu tracking and
// the frame's menu bar.
#pragma once

#include "platform/core/win32_types.h"

#include <string>
#include <vector>

namespace platform {

struct MenuItem {
    std::string text;
    UINT id = 0;
    UINT state = 0;        // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_DEFAULT bits
    HMENU popup = nullptr; // owned by the menu holding the item
};

// The menu's items; nullptr for a null or stale handle.
const std::vector<MenuItem>* MenuItems(HMENU menu);

} // namespace platform
