// The Win32 API of the platform: types, constants and free functions.
#pragma once

#include "platform/core/win32_constants.h"
#include "platform/core/win32_types.h"
#include "platform/core/win32_user.h"

#include "platform/framework/menu_api.h"
#include "platform/framework/message_box.h"
#include "platform/framework/module.h"
#include "platform/framework/profile.h"
#include "platform/framework/resource.h"
#include "platform/gdi/gdi.h"
