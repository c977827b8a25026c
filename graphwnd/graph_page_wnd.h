// CGraphPageWnd: one page of a multi-tab graph frame, a plain child window that keeps the
// graph in its user-data slot (GWL_USERDATA) filling it.
#pragma once

#include "platform/framework/afx.h"

class CGraphPageWnd : public CWnd {
  public:
    CGraphPageWnd();
    ~CGraphPageWnd() override;

  protected:
    afx_msg void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};
