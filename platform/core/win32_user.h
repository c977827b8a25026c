// Window-manager services: windows, messages, painting, timers, input state, cursors,
// system colours and metrics, rectangles and bounded strings. Every call validates its
// handles and answers the Win32 failure value (0, FALSE or NULL) for a null or stale one.
#pragma once

#include "platform/core/win32_constants.h"
#include "platform/core/win32_types.h"

// Windows.
BOOL IsWindow(HWND hWnd);
BOOL DestroyWindow(HWND hWnd);
HWND GetParent(HWND hWnd);
HWND SetParent(HWND hWndChild, HWND hWndNewParent);
BOOL IsChild(HWND hWndParent, HWND hWnd);
HWND GetWindow(HWND hWnd, UINT relation);
HWND GetDlgItem(HWND hDlg, int id);
int GetDlgCtrlID(HWND hWnd);
LONG GetWindowLong(HWND hWnd, int index);
LONG SetWindowLong(HWND hWnd, int index, LONG newLong);
LONG_PTR GetWindowLongPtr(HWND hWnd, int index);
LONG_PTR SetWindowLongPtr(HWND hWnd, int index, LONG_PTR newLong);
BOOL GetClientRect(HWND hWnd, LPRECT rect);
BOOL GetWindowRect(HWND hWnd, LPRECT rect);
BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL ShowWindow(HWND hWnd, int cmdShow);
BOOL IsWindowVisible(HWND hWnd);
BOOL IsIconic(HWND hWnd);
BOOL IsZoomed(HWND hWnd);
BOOL EnableWindow(HWND hWnd, BOOL enable);
BOOL IsWindowEnabled(HWND hWnd);
BOOL SetWindowText(HWND hWnd, LPCSTR text);
int GetWindowText(HWND hWnd, LPSTR text, int maxCount);
int GetWindowTextLength(HWND hWnd);
BOOL ClientToScreen(HWND hWnd, LPPOINT point);
BOOL ScreenToClient(HWND hWnd, LPPOINT point);
int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT points, UINT count);

// Keyboard focus, mouse capture, cursors and input state.
HWND SetFocus(HWND hWnd);
HWND GetFocus();
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();
HCURSOR LoadCursor(HINSTANCE hInstance, LPCSTR cursorName);
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();
BOOL GetCursorPos(LPPOINT point);
// High bit set while the key is down, as the last input message saw it.
SHORT GetKeyState(int virtKey);
SHORT GetAsyncKeyState(int virtKey);

// Messages. SendMessage calls the window procedure at once; PostMessage queues the message
// behind those already posted and delivers it from the event loop.
LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// Painting. WM_PAINT is sent only while part of a visible window is invalid.
BOOL InvalidateRect(HWND hWnd, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND hWnd, const RECT* rect);
BOOL UpdateWindow(HWND hWnd);
BOOL GetUpdateRect(HWND hWnd, LPRECT rect, BOOL erase);
BOOL RedrawWindow(HWND hWnd, const RECT* rectUpdate, HRGN hrgnUpdate, UINT flags);
HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* paint);
HDC GetDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);
HWND WindowFromDC(HDC hDC);

// Timers. A timer of a window sends it WM_TIMER (wParam the id) every elapse milliseconds;
// setting an id again replaces its timer; destroying the window kills its timers.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR idEvent, UINT elapse, TIMERPROC timerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR idEvent);
// Milliseconds of the timer clock (the manual clock in tests).
DWORD GetTickCount();

// System colours and metrics: the fixed classic Windows values.
DWORD GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);
int GetSystemMetrics(int index);
void MessageBeep(UINT type);

// Rectangles.
BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL SetRectEmpty(LPRECT rect);
BOOL CopyRect(LPRECT dst, const RECT* src);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL InflateRect(LPRECT rect, int dx, int dy);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
BOOL IntersectRect(LPRECT dst, const RECT* src1, const RECT* src2);
BOOL UnionRect(LPRECT dst, const RECT* src1, const RECT* src2);
BOOL EqualRect(const RECT* rect1, const RECT* rect2);

// Bounded strings. lstrcpyn copies at most maxLength - 1 characters and always ends the
// copy with a NUL; it answers NULL for a null pointer or a maxLength below 1.
LPSTR lstrcpyn(LPSTR dst, LPCSTR src, int maxLength);
int lstrlen(LPCSTR text);
int lstrcmp(LPCSTR text1, LPCSTR text2);
int lstrcmpi(LPCSTR text1, LPCSTR text2);
