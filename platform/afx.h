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

#include "platform/cdc.h"
#include "platform/extension_module.h"
#include "platform/frame_wnd.h"
#include "platform/gdi_object.h"
#include "platform/mdi_child_wnd.h"
#include "platform/mdi_frame_wnd.h"
#include "platform/menu.h"
#include "platform/scroll_bar.h"
#include "platform/sec_mdi_frame_wnd.h"
#include "platform/sec_tab_wnd.h"
#include "platform/sec_worksheet.h"
#include "platform/timer_clock.h"
