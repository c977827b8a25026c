// The Win32 API of the platform: types, constants and free functions.
#pragma once

#include "platform/win32_constants.h"
#include "platform/win32_types.h"
#include "platform/win32_user.h"

#include "platform/gdi.h"
#include "platform/menu_api.h"
#include "platform/message_box.h"
#include "platform/module.h"
#include "platform/profile.h"
#include "platform/resource.h"
