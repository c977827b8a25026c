// A one-line strip at the foot of a window that shows its window text (WM_SETTEXT), as a
// status bar pane does; WM_GETTEXT reads it back.
#pragma once

#include "platform/framework/afx.h"

#include <string>

class StatusLineWnd : public CWnd {
  public:
    static constexpr int kHeight = 20;

    BOOL CreateLine(CWnd* parent, UINT id);
    // Shows text; repaints only when it changed.
    void Show(const std::string& text);

  protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()
};
