// SECWorksheet: the toolkit's multi-document child frame; the framework's child frame with
// nothing added that the plug-in uses.
#pragma once

#include "platform/framework/mdi_child_wnd.h"

class SECWorksheet : public CMDIChildWnd {
    DECLARE_DYNCREATE(SECWorksheet)
  public:
    SECWorksheet();
    ~SECWorksheet() override;
};
