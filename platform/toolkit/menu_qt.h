// Platform-private: QMenu views of HMENU menus, for TrackPopupMenu and the frame's menu bar.
#pragma once

#include "platform/core/win32_types.h"

#include <functional>

class QMenu;
class QMenuBar;

namespace platform {

// Fills `view` with the items of `menu` (popups as sub-menus, refilled each time they open
// after WM_INITMENUPOPUP went to `owner`). `chosen` gets the command id of a triggered item.
void FillQMenu(QMenu* view, HMENU menu, HWND owner, const std::function<void(UINT)>& chosen);

// Gives a frame's menu bar its keyboard mode's look and keys (see menu_mode.cpp).
void PrepareMenuBar(QMenuBar* bar);

} // namespace platform
