#include "platform/framework/sec_mdi_frame_wnd.h"

IMPLEMENT_DYNCREATE(SECMDIFrameWnd, CMDIFrameWnd)

SECMDIFrameWnd::SECMDIFrameWnd() = default;

SECMDIFrameWnd::~SECMDIFrameWnd() = default;
