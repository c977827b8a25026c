// SECMDIFrameWnd: the toolkit's multi-document frame; the framework's frame with nothing
// added that the plug-in uses.
#pragma once

#include "platform/framework/mdi_frame_wnd.h"

class SECMDIFrameWnd : public CMDIFrameWnd {
    DECLARE_DYNCREATE(SECMDIFrameWnd)
  public:
    SECMDIFrameWnd();
    ~SECMDIFrameWnd() override;
};
