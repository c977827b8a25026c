// SECTabWnd: a tab window whose tabs each show one page window.
//
// Pages are child windows of the tab window (create them with the tab window as parent, then
// AddTab). The active page fills the page area and is shown; the others are hidden. The tab
// strip runs along the bottom edge, workbook style; with WS_HSCROLL the shared horizontal
// scroll bar takes the rest of the bottom row, right of the tabs, and with WS_VSCROLL the
// shared vertical scroll bar runs down the right edge of the page area. The shared bars send
// their WM_HSCROLL/WM_VSCROLL to the active page.
//
// Activation: the first page added becomes the active one without notice. ActivateTab (and a
// click on a tab) shows the page and sends TCM_TABSEL to the parent with wParam = the tab's
// position and lParam = the page's CWnd*, also when the tab was already active, so a parent
// can follow the active tab from the first ActivateTab on.
//
// Tab fonts by state: the active tab, the selected (but not active) tabs and the others each
// have their own font. The tab window copies each font given to it.
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/frame_wnd.h"
#include "platform/framework/msg_map.h"
#include "platform/framework/wnd.h"

#include <memory>

class CFont;
class CScrollBar;

#define TCM_TABSEL (WM_USER + 1000)
// Read and driven by message as a Windows tab control is: TCM_GETITEMCOUNT answers the
// number of tabs; TCM_SETCURSEL (wParam: position) activates the tab as ActivateTab does
// and answers the position active before, or -1 when there is no such tab.
#define TCM_GETITEMCOUNT 0x1304
#define TCM_SETCURSEL 0x130C

class SECTabWnd : public CWnd {
    DECLARE_DYNCREATE(SECTabWnd)
  public:
    SECTabWnd();
    ~SECTabWnd() override;

    // style: WS_CHILD | WS_VISIBLE, plus WS_HSCROLL and/or WS_VSCROLL for shared scroll bars.
    virtual BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE,
                        UINT id = AFX_IDW_PANE_FIRST);

    // Adds a page at the end; returns its position, -1 when page is not a window.
    int AddTab(CWnd* page, LPCSTR label);
    // Removes the tab (the page window stays); the next tab becomes active if it was.
    BOOL RemoveTab(int position);
    BOOL RenameTab(int position, LPCSTR label);

    BOOL ActivateTab(int position);
    BOOL ActivateTab(CWnd* page);
    BOOL GetActiveTab(int& position) const;
    BOOL GetActiveTab(CWnd*& page) const;
    BOOL SelectTab(int position, BOOL selected = TRUE);

    int GetTabCount() const;
    BOOL TabExists(int position) const;
    BOOL TabExists(const CWnd* page) const;
    BOOL FindTab(const CWnd* page, int& position) const;
    CWnd* GetTabWnd(int position) const;
    // label points into the tab window and stays valid until the tab changes.
    BOOL GetTabInfo(int position, LPCSTR& label, BOOL& selected, CWnd*& page, void*& extra) const;

    void SetFontActiveTab(CFont* font, BOOL redraw = TRUE);
    void SetFontSelectedTab(CFont* font, BOOL redraw = TRUE);
    void SetFontInactiveTab(CFont* font, BOOL redraw = TRUE);

    // The shared scroll bar of that direction (SB_HORZ, SB_VERT) when the tab window was
    // created with its style and tab (if given) is one of its pages; else NULL.
    CScrollBar* GetScrollBar(int bar, const CWnd* tab = nullptr) const;

  protected:
    afx_msg int OnCreate(LPCREATESTRUCT createStruct);
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg LRESULT OnGetItemCount(WPARAM, LPARAM);
    afx_msg LRESULT OnSetCurSel(WPARAM position, LPARAM);
    DECLARE_MESSAGE_MAP()

  private:
    struct Impl;
    void SetTabFont(int state, CFont* font, BOOL redraw);
    void Layout();
    void PaintTab(CDC& dc, int position);

    std::unique_ptr<Impl> m_impl;
};
