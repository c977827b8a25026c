// Scroll bar controls: CScrollBar and the Win32 calls on a scroll bar control (SB_CTL).
//
// Model as on Windows: the maximum is inclusive; the page is at most max - min + 1; the
// position lies in [min, max - max(page - 1, 0)]. The bar does not move by itself: a user
// action sends WM_HSCROLL (SBS_HORZ) or WM_VSCROLL (SBS_VERT) with the SB_ code in the low
// word of wParam, the thumb position above it (all 32 bits) for SB_THUMBPOSITION and SB_THUMBTRACK,
// and the bar's HWND in lParam, to the owner (the parent unless SetNotifyWnd named another
// window); the owner sets the new position. SIF_TRACKPOS reads where the thumb is being
// dragged (the position when no drag is on).
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/wnd.h"

#define SBS_HORZ 0x0000L
#define SBS_VERT 0x0001L

// nBar must be SB_CTL and window a scroll bar control; other bars answer the failure value.
int SetScrollInfo(HWND window, int nBar, const SCROLLINFO* info, BOOL redraw);
BOOL GetScrollInfo(HWND window, int nBar, SCROLLINFO* info);
int SetScrollPos(HWND window, int nBar, int pos, BOOL redraw);
int GetScrollPos(HWND window, int nBar);
BOOL SetScrollRange(HWND window, int nBar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND window, int nBar, int* minPos, int* maxPos);
BOOL EnableScrollBar(HWND window, UINT nBar, UINT arrows);

class CScrollBar : public CWnd {
    DECLARE_DYNAMIC(CScrollBar)
  public:
    CScrollBar();
    ~CScrollBar() override;

    // style: WS_CHILD | WS_VISIBLE | SBS_HORZ or SBS_VERT.
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    BOOL SetScrollInfo(LPSCROLLINFO info, BOOL redraw = TRUE);
    BOOL GetScrollInfo(LPSCROLLINFO info, UINT mask = SIF_ALL);
    int GetScrollPos() const;
    int SetScrollPos(int pos, BOOL redraw = TRUE); // returns the previous position
    void GetScrollRange(LPINT minPos, LPINT maxPos) const;
    void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE);
    int GetScrollLimit();
    void ShowScrollBar(BOOL show = TRUE);
    BOOL EnableScrollBar(UINT arrows = ESB_ENABLE_BOTH);

    // The window that gets this bar's WM_HSCROLL/WM_VSCROLL; NULL means the parent.
    void SetNotifyWnd(HWND target);
    HWND GetNotifyWnd() const;

  protected:
    QWidget* CreateNativeWidget(QWidget* parentWidget) override;

  private:
    bool m_vertical = false;
};

namespace platform {

// Acts on the bar as a person would, through its Qt widget: SB_LINEUP ... SB_PAGEDOWN,
// SB_TOP, SB_BOTTOM click the bar (then SB_ENDSCROLL); SB_THUMBTRACK drags the thumb to
// thumbPos and holds it; SB_THUMBPOSITION drags to thumbPos and releases (then SB_ENDSCROLL).
BOOL ScrollBarUserAction(HWND bar, UINT code, int thumbPos = 0);

} // namespace platform
