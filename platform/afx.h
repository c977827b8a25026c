// The class framework of the platform; includes the Win32 API.
#pragma once

#include "platform/win32.h"

#include "platform/cmd_target.h"
#include "platform/msg_map.h"
#include "platform/object.h"
#include "platform/point.h"
#include "platform/rect.h"
#include "platform/size.h"
#include "platform/wnd.h"
