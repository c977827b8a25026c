// Message-map entries with their crackers. Each cracker unpacks wParam/lParam once
// (coordinates sign-extended) and calls the handler of the class being mapped with the
// framework's signature, given in the comment above it. A handler's result becomes the
// message's result where the message has one.
#pragma once

#include "platform/framework/cdc.h"
#include "platform/framework/wnd.h"

#define AFX_CRACK_(message, body)                                                                  \
    {message, 0, 0, 0,                                                                             \
     []([[maybe_unused]] CCmdTarget* target, [[maybe_unused]] WPARAM wParam,                       \
        [[maybe_unused]] LPARAM lParam) -> LRESULT {                                               \
         ThisClass* self = static_cast<ThisClass*>(target);                                        \
         body                                                                                      \
     }},

// int OnCreate(LPCREATESTRUCT lpCreateStruct): -1 refuses the creation.
#define ON_WM_CREATE()                                                                             \
    AFX_CRACK_(WM_CREATE, return (LRESULT)self->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));)
// void OnDestroy()
#define ON_WM_DESTROY() AFX_CRACK_(WM_DESTROY, self->OnDestroy(); return 0;)
// void OnNcDestroy()
#define ON_WM_NCDESTROY() AFX_CRACK_(WM_NCDESTROY, self->OnNcDestroy(); return 0;)
// void OnClose()
#define ON_WM_CLOSE() AFX_CRACK_(WM_CLOSE, self->OnClose(); return 0;)
// void OnSize(UINT nType, int cx, int cy)
#define ON_WM_SIZE()                                                                               \
    AFX_CRACK_(WM_SIZE, self->OnSize((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;)
// void OnMove(int x, int y)
#define ON_WM_MOVE()                                                                               \
    AFX_CRACK_(WM_MOVE, self->OnMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;)
// void OnPaint()
#define ON_WM_PAINT() AFX_CRACK_(WM_PAINT, self->OnPaint(); return 0;)
// BOOL OnEraseBkgnd(CDC* pDC): nonzero when the background is erased.
#define ON_WM_ERASEBKGND()                                                                         \
    AFX_CRACK_(WM_ERASEBKGND, return (LRESULT)self->OnEraseBkgnd(CDC::FromHandle((HDC)wParam));)
// void OnTimer(UINT nIDEvent)
#define ON_WM_TIMER() AFX_CRACK_(WM_TIMER, self->OnTimer((UINT)wParam); return 0;)
// void OnShowWindow(BOOL bShow, UINT nStatus)
#define ON_WM_SHOWWINDOW()                                                                         \
    AFX_CRACK_(WM_SHOWWINDOW, self->OnShowWindow((BOOL)wParam, (UINT)lParam); return 0;)
// void OnContextMenu(CWnd* pWnd, CPoint pos): pos in screen coordinates, (-1, -1) from keys.
#define ON_WM_CONTEXTMENU()                                                                        \
    AFX_CRACK_(WM_CONTEXTMENU,                                                                     \
               self->OnContextMenu(CWnd::FromHandle((HWND)wParam), CPoint(lParam));                \
               return 0;)
// void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar): the bar is NULL for a
// window's own scroll bar. WPARAM is 64 bits wide here, so nPos takes every bit above the
// low word: thumb positions beyond 65,535 arrive whole.
#define ON_WM_HSCROLL()                                                                            \
    AFX_CRACK_(WM_HSCROLL,                                                                         \
               self->OnHScroll(LOWORD(wParam), static_cast<UINT>(wParam >> 16),                    \
                               reinterpret_cast<CScrollBar*>(CWnd::FromHandle((HWND)lParam)));     \
               return 0;)
// void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
#define ON_WM_VSCROLL()                                                                            \
    AFX_CRACK_(WM_VSCROLL,                                                                         \
               self->OnVScroll(LOWORD(wParam), static_cast<UINT>(wParam >> 16),                    \
                               reinterpret_cast<CScrollBar*>(CWnd::FromHandle((HWND)lParam)));     \
               return 0;)
// void OnXxx(UINT nFlags, CPoint point): MK_ flags, client coordinates.
#define AFX_MOUSE_CRACK_(message, handler)                                                         \
    AFX_CRACK_(message, self->handler((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_MOUSEMOVE() AFX_MOUSE_CRACK_(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() AFX_MOUSE_CRACK_(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_MOUSE_CRACK_(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_MOUSE_CRACK_(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_MOUSE_CRACK_(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_MOUSE_CRACK_(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_RBUTTONDBLCLK() AFX_MOUSE_CRACK_(WM_RBUTTONDBLCLK, OnRButtonDblClk)
// BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt): pt in screen coordinates; the
// delta is WHEEL_DELTA (120) per notch, positive away from the user.
#define ON_WM_MOUSEWHEEL()                                                                         \
    AFX_CRACK_(WM_MOUSEWHEEL, return (LRESULT)self->OnMouseWheel(                                  \
                                  LOWORD(wParam), (short)HIWORD(wParam), CPoint(lParam));)
// void OnXxx(UINT nChar, UINT nRepCnt, UINT nFlags): repeat count and the key-data flags
// (scan code, previous state, transition) of lParam.
#define AFX_KEY_CRACK_(message, handler)                                                           \
    AFX_CRACK_(message, self->handler((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_KEYDOWN() AFX_KEY_CRACK_(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() AFX_KEY_CRACK_(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() AFX_KEY_CRACK_(WM_CHAR, OnChar)
// void OnSetFocus(CWnd* pOldWnd)
#define ON_WM_SETFOCUS()                                                                           \
    AFX_CRACK_(WM_SETFOCUS, self->OnSetFocus(CWnd::FromHandle((HWND)wParam)); return 0;)
// void OnKillFocus(CWnd* pNewWnd)
#define ON_WM_KILLFOCUS()                                                                          \
    AFX_CRACK_(WM_KILLFOCUS, self->OnKillFocus(CWnd::FromHandle((HWND)wParam)); return 0;)
// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message): nonzero stops the search.
#define ON_WM_SETCURSOR()                                                                          \
    AFX_CRACK_(WM_SETCURSOR, return (LRESULT)self->OnSetCursor(CWnd::FromHandle((HWND)wParam),     \
                                                               LOWORD(lParam), HIWORD(lParam));)
// UINT OnGetDlgCode()
#define ON_WM_GETDLGCODE() AFX_CRACK_(WM_GETDLGCODE, return (LRESULT)self->OnGetDlgCode();)
// void OnCaptureChanged(CWnd* pWnd): pWnd gains the capture.
#define ON_WM_CAPTURECHANGED()                                                                     \
    AFX_CRACK_(WM_CAPTURECHANGED, self->OnCaptureChanged(CWnd::FromHandle((HWND)lParam)); return 0;)
// void OnMDIActivate(BOOL bActivate, CWnd* pActivateWnd, CWnd* pDeactivateWnd): wParam is
// the child losing activation, lParam the one gaining it.
#define ON_WM_MDIACTIVATE()                                                                        \
    AFX_CRACK_(WM_MDIACTIVATE,                                                                     \
               self->OnMDIActivate((HWND)lParam == self->m_hWnd, CWnd::FromHandle((HWND)lParam),   \
                                   CWnd::FromHandle((HWND)wParam));                                \
               return 0;)
// void OnWindowPosChanging(WINDOWPOS* lpwndpos)
#define ON_WM_WINDOWPOSCHANGING()                                                                  \
    AFX_CRACK_(WM_WINDOWPOSCHANGING,                                                               \
               self->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam));                    \
               return 0;)
// void OnWindowPosChanged(WINDOWPOS* lpwndpos)
#define ON_WM_WINDOWPOSCHANGED()                                                                   \
    AFX_CRACK_(WM_WINDOWPOSCHANGED,                                                                \
               self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam));                     \
               return 0;)

// LRESULT memberFxn(WPARAM wParam, LPARAM lParam)
#define ON_MESSAGE(message, memberFxn) AFX_CRACK_(message, return self->memberFxn(wParam, lParam);)
// void memberFxn(): WM_COMMAND from a menu item or accelerator with this id.
#define ON_COMMAND(id, memberFxn)                                                                  \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id),                                               \
     [](CCmdTarget* target, WPARAM, LPARAM) -> LRESULT {                                           \
         static_cast<ThisClass*>(target)->memberFxn();                                             \
         return 0;                                                                                 \
     }},
// void memberFxn(UINT nID): WM_COMMAND for any id from id to idLast.
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                    \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast),                                           \
     [](CCmdTarget* target, WPARAM wParam, LPARAM) -> LRESULT {                                    \
         static_cast<ThisClass*>(target)->memberFxn(LOWORD(wParam));                               \
         return 0;                                                                                 \
     }},
// void memberFxn(NMHDR* pNotifyStruct, LRESULT* result): WM_NOTIFY with this code from
// the control with this id.
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                      \
    {WM_NOTIFY, (UINT)(wNotifyCode), (UINT)(id), (UINT)(id),                                       \
     [](CCmdTarget* target, WPARAM, LPARAM lParam) -> LRESULT {                                    \
         LRESULT result = 0;                                                                       \
         static_cast<ThisClass*>(target)->memberFxn(reinterpret_cast<NMHDR*>(lParam), &result);    \
         return result;                                                                            \
     }},
