// CWnd: a window object bound to an HWND, with its message map, creation, destruction,
// geometry, painting, focus, capture, timers and messages.
//
// Lifetime: DestroyWindow sends WM_DESTROY to the window and then to its children, kills
// their timers, then sends WM_NCDESTROY to the children and last to the window; from then
// on the handle is stale everywhere and m_hWnd is NULL. PostNcDestroy (which may delete the
// object) runs only after the outermost message being dispatched has returned, so a handler
// that destroys its own window never touches freed state.
#pragma once

#include "platform/core/win32.h"
#include "platform/core/window_object.h"
#include "platform/framework/cmd_target.h"
#include "platform/framework/menu_api.h"
#include "platform/framework/message_box.h"
#include "platform/framework/module.h"
#include "platform/framework/point.h"
#include "platform/framework/profile.h"
#include "platform/framework/rect.h"
#include "platform/framework/resource.h"

#include <string>

class CDC;
class CFont;
class CMenu;
class CRgn;
class CScrollBar;
struct CCreateContext;
class QWidget;

// The window layer reaches the object through WindowObject; every WindowObject is a CWnd.
class CWnd : public CCmdTarget, public WindowObject {
    DECLARE_DYNCREATE(CWnd)
  public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    // Destroys the window if it still exists.
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }
    // Unlike the framework's, not callable through a null pointer.
    HWND GetSafeHwnd() const { return m_hWnd; }
    // The object of a live window, NULL for a null or stale handle.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Creation. A class name is accepted and kept but selects nothing: every window is
    // drawn by its own message map. A child needs a live parent. FALSE when WM_NCCREATE or
    // WM_CREATE refuses (the window is then destroyed again) or the arguments are bad.
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID,
                        CCreateContext* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                  LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    // Called after WM_NCDESTROY; the default does nothing. Frames override it to delete this.
    void PostNcDestroy() override;

    // Message dispatch: WindowProc tries the message map (OnWndMsg) and gives the rest to
    // DefWindowProc. Default() passes the message being handled to DefWindowProc.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Relations and attributes.
    CWnd* GetParent() const;
    CWnd* SetParent(CWnd* pWndNewParent);
    CWnd* GetTopLevelParent() const;
    // The owner, or the parent when no owner was set.
    CWnd* GetOwner() const;
    void SetOwner(CWnd* pOwnerWnd);
    BOOL IsChild(const CWnd* pWnd) const;
    CWnd* GetWindow(UINT nCmd) const;
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void SetWindowText(LPCSTR lpszString);
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(std::string& text) const;
    int GetWindowTextLength() const;

    // Geometry. The client area covers the whole window rectangle: frames, captions and
    // scroll bars of top-level and multi-document windows are drawn by Qt around it.
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;

    // Visibility and state.
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsIconic() const;
    BOOL IsZoomed() const;

    // Painting (GetDC, ReleaseDC, BeginPaint and EndPaint hand out the GDI's CDC objects).
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL GetUpdateRect(LPRECT lpRect, BOOL bErase = FALSE);
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, CRgn* prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    CDC* BeginPaint(LPPAINTSTRUCT lpPaint);
    void EndPaint(LPPAINTSTRUCT lpPaint);
    // The font is sent as WM_SETFONT; the window keeps the handle, the caller the object.
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;

    // Focus and capture.
    CWnd* SetFocus();
    static CWnd* GetFocus();
    CWnd* SetCapture();
    static CWnd* GetCapture();

    // Timers.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Scroll bars: the control GetScrollBarCtrl answers (none by default) or the window's
    // own bar. The scroll-bar module implements these.
    virtual CScrollBar* GetScrollBarCtrl(int nBar) const;
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
    int GetScrollPos(int nBar) const;
    int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
    void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
    BOOL EnableScrollBar(int nSBFlags, UINT nArrowFlags = ESB_ENABLE_BOTH);

    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // Message handlers. Each passes its message to DefWindowProc; a derived class declares
    // the same name, lists it in its message map and may call the base version.
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnClose();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnMove(int x, int y);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnTimer(UINT nIDEvent);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDblClk(UINT nFlags, CPoint point);
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnCaptureChanged(CWnd* pWnd);
    afx_msg void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd);
    afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);

  protected:
    // Platform-private hook: makes the Qt widget that stands for this window, a child of
    // parentWidget (NULL for a top-level window). The default is the platform's painting
    // widget (backing image, input turned into messages); window classes over native Qt
    // widgets override it. See platform/core/window_private.h.
    QWidget* CreateNativeWidget(QWidget* parentWidget) override;
    // Platform-private hook: the widget inside which children's widgets are placed; the
    // default is the window's own widget.
    QWidget* NativeClientWidget() const override;

    DECLARE_MESSAGE_MAP()

  private:
    void AttachWindowHandle(HWND hWnd) override { m_hWnd = hWnd; }
    HWND AttachedWindowHandle() const override { return m_hWnd; }
};

// The application's main window (multi-document children without a parent go into it).
CWnd* AfxGetMainWnd();
void AfxSetMainWnd(CWnd* pMainWnd);
