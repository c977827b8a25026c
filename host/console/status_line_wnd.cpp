#include "host/console/status_line_wnd.h"

namespace {
constexpr int kTextIndent = 6;
}

BEGIN_MESSAGE_MAP(StatusLineWnd, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

BOOL StatusLineWnd::CreateLine(CWnd* parent, UINT id) {
    return Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, kHeight), parent, id);
}

void StatusLineWnd::Show(const std::string& text) {
    std::string shown;
    GetWindowText(shown);
    if (shown != text) {
        SetWindowText(text.c_str());
        Invalidate();
    }
}

BOOL StatusLineWnd::OnEraseBkgnd(CDC*) {
    return TRUE;
}

// Button face with a shadow line along the top, the text in the default GUI font.
void StatusLineWnd::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, GetSysColor(COLOR_BTNFACE));
    dc.FillSolidRect(0, 0, client.right, 1, GetSysColor(COLOR_BTNSHADOW));
    std::string text;
    GetWindowText(text);
    dc.SelectStockObject(DEFAULT_GUI_FONT);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
    client.left += kTextIndent;
    dc.DrawText(text, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
