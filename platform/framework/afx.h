// The class framework of the platform; includes the Win32 API.
#pragma once

#include "platform/core/win32.h"

#include "platform/framework/cmd_target.h"
#include "platform/framework/msg_map.h"
#include "platform/framework/object.h"
#include "platform/framework/point.h"
#include "platform/framework/rect.h"
#include "platform/framework/size.h"
#include "platform/framework/wnd.h"

#include "platform/core/timer_clock.h"
#include "platform/framework/cdc.h"
#include "platform/framework/extension_module.h"
#include "platform/framework/frame_wnd.h"
#include "platform/framework/gdi_object.h"
#include "platform/framework/mdi_child_wnd.h"
#include "platform/framework/mdi_frame_wnd.h"
#include "platform/framework/menu.h"
#include "platform/framework/scroll_bar.h"
#include "platform/framework/sec_mdi_frame_wnd.h"
#include "platform/framework/sec_tab_wnd.h"
#include "platform/framework/sec_worksheet.h"
