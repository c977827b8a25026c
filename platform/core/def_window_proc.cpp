// The default window procedure: what a window does with a message its map leaves alone.
#include "platform/core/window_internal.h"

#include "platform/core/win32_user.h"
#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cstring>

using namespace platform;

namespace {

LRESULT SendToParent(WindowRecord* record, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!(record->style & WS_CHILD)) {
        return 0;
    }
    return SendMessage(record->parent, msg, wParam, lParam);
}

// The parent decides first; then the client area gets the arrow (the class cursor of
// every window here).
LRESULT OnSetCursor(WindowRecord* record, WPARAM wParam, LPARAM lParam) {
    if (SendToParent(record, WM_SETCURSOR, wParam, lParam) != 0) {
        return TRUE;
    }
    if (LOWORD(lParam) != HTCLIENT) {
        return FALSE;
    }
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
}

LRESULT OnRButtonUp(HWND hWnd, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(hWnd, &point);
    SendMessage(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(point.x, point.y));
    return 0;
}

// The keyboard's context-menu keys: Shift+F10 (a system key) when pressed, the menu key
// when released; the menu goes where the window puts it for keys, lParam (-1, -1). F10
// alone, when released, gives the keyboard to the menu bar.
LRESULT OnContextKey(HWND hWnd, UINT msg, WPARAM key) {
    const bool shifted = GetKeyState(VK_SHIFT) < 0;
    const bool shiftF10 = msg == WM_SYSKEYDOWN && key == VK_F10 && shifted;
    const bool menuKey = msg == WM_KEYUP && key == VK_APPS;
    if (shiftF10 || menuKey) {
        SendMessage(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), MAKELPARAM(-1, -1));
    }
    if (msg == WM_SYSKEYUP && key == VK_F10 && !shifted) {
        EnterMenuBarMode(hWnd);
    }
    return 0;
}

LRESULT OnWindowPosChanged(HWND hWnd, const WINDOWPOS* pos) {
    if (pos == nullptr) {
        return 0;
    }
    if (!(pos->flags & SWP_NOMOVE)) {
        WindowRecord* record = LookupWindow(hWnd);
        if (record == nullptr) {
            return 0;
        }
        SendMessage(hWnd, WM_MOVE, 0, MAKELPARAM(record->rect.left, record->rect.top));
    }
    if (!(pos->flags & SWP_NOSIZE)) {
        WindowRecord* record = LookupWindow(hWnd);
        if (record == nullptr) {
            return 0;
        }
        QSize size = ClientSize(record);
        SendMessage(hWnd, WM_SIZE, SizeType(record), MAKELPARAM(size.width(), size.height()));
    }
    return 0;
}

LRESULT OnGetText(WindowRecord* record, WPARAM wParam, LPARAM lParam) {
    LPSTR buffer = reinterpret_cast<LPSTR>(lParam);
    if (buffer == nullptr || wParam == 0) {
        return 0;
    }
    lstrcpyn(buffer, record->text.c_str(), int(std::min<WPARAM>(wParam, 0x7fffffff)));
    return lstrlen(buffer);
}

LRESULT OnSetFont(WindowRecord* record, WPARAM wParam, LPARAM lParam) {
    record->font = reinterpret_cast<HFONT>(wParam);
    if (LOWORD(lParam) != 0) {
        InvalidateRect(record->hwnd, nullptr, TRUE);
    }
    return 0;
}

// Every window here has the window colour as its class background.
LRESULT OnEraseBkgnd(HDC hDC) {
    RECT box;
    if (hDC == nullptr || GetClipBox(hDC, &box) == 0) {
        return 0;
    }
    FillRect(hDC, &box, GetSysColorBrush(COLOR_WINDOW));
    return 1;
}

LRESULT OnPaint(HWND hWnd) {
    PAINTSTRUCT paint;
    BeginPaint(hWnd, &paint);
    EndPaint(hWnd, &paint);
    return 0;
}

} // namespace

LRESULT DefWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return 0;
    }
    switch (msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_PAINT:
        return OnPaint(hWnd);
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_SETCURSOR:
        return OnSetCursor(record, wParam, lParam);
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
        return SendToParent(record, msg, wParam, lParam);
    case WM_RBUTTONUP:
        return OnRButtonUp(hWnd, lParam);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return OnContextKey(hWnd, msg, wParam);
    case WM_WINDOWPOSCHANGED:
        return OnWindowPosChanged(hWnd, reinterpret_cast<const WINDOWPOS*>(lParam));
    case WM_SETTEXT:
        record->text = lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : "";
        return TRUE;
    case WM_GETTEXT:
        return OnGetText(record, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return LRESULT(record->text.size());
    case WM_SETFONT:
        return OnSetFont(record, wParam, lParam);
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(record->font);
    default:
        return 0;
    }
}
