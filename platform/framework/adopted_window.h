// Windows over widgets made elsewhere: the host's graph charts are Qt widgets that the
// platform adopts as child windows, so that they have a handle like every other window.
// The plug-in moves and sizes them with MoveWindow, IsWindow answers for them, and they
// are destroyed with their parent. Platform- and host-side only (Qt types).
#pragma once

#include "platform/core/win32_types.h"

#include <functional>

class QWidget;

namespace platform {

// Makes `widget` the widget of a new child window of `parent` with control id `id` and the
// given style (WS_CHILD is implied; WS_VISIBLE shows it). When the window is destroyed
// (with its parent or by DestroyWindow), `onDestroy` runs during WM_DESTROY, the window's
// timers stop, and the widget is deleted once control is back in the event loop. Answers
// the handle, or NULL with the widget deleted when `parent` is not a window.
HWND AdoptWidget(QWidget* widget, HWND parent, UINT id, DWORD style,
                 std::function<void()> onDestroy = {});

} // namespace platform
