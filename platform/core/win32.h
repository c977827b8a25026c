// The Win32 API of the window system: types, constants and the functions of windows,
// messages, painting, timers and input, with the drawing functions of gdi/. The Win32
// functions the framework serves (menus, message boxes, modules, the profile, resources)
// are declared in framework/ and come with framework/wnd.h and afx.h.
#pragma once

#include "platform/core/win32_constants.h"
#include "platform/core/win32_types.h"
#include "platform/core/win32_user.h"

#include "platform/gdi/gdi.h"
