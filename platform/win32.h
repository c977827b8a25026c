// The Win32 API of the platform: types, constants and free functions.
#pragma once

#include "platform/win32_constants.h"
#include "platform/win32_types.h"
#include "platform/win32_user.h"
