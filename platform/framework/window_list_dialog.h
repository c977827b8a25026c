// The "Select Window" dialog of an MDI client's "More Windows...": every window in a list
// by its caption, the current one selected. Platform-private.
#pragma once

#include "platform/core/win32_types.h"

#include <vector>

namespace platform {

// The window chosen (double click, Enter or OK), NULL when cancelled. Modal to `owner`.
HWND ChooseWindow(HWND owner, const std::vector<HWND>& windows, HWND current);

} // namespace platform
