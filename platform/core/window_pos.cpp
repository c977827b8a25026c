// Window geometry and visibility: rectangles, moving and sizing, showing, and mapping
// points between windows.
#include "platform/core/window_internal.h"

#include "platform/core/win32_user.h"
#include "platform/toolkit/painting_widget.h"

#include <algorithm>

namespace platform {

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Takes a new rectangle: the image follows the client size and a resized window is wholly
// invalid (every window here redraws on resize).
void ApplyRect(WindowRecord* record, const RECT& rect, bool redraw) {
    QSize oldSize = ClientSize(record);
    const bool moved = rect.left != record->rect.left || rect.top != record->rect.top;
    record->rect = rect;
    ResizeBackingImage(record);
    if (record->widget != nullptr) {
        PlaceWidget(record->widget, rect, moved);
    }
    if (redraw && ClientSize(record) != oldSize) {
        InvalidateWhole(record, true);
    }
}

void ApplyVisibility(WindowRecord* record, bool show) {
    if (show) {
        record->style |= WS_VISIBLE;
    } else {
        record->style &= ~WS_VISIBLE;
    }
    if (record->widget != nullptr) {
        record->widget->setVisible(show);
    }
    if (show) {
        InvalidateWhole(record, true);
    }
}

UINT StateStyle(int cmdShow) {
    switch (cmdShow) {
    case SW_SHOWMAXIMIZED:
        return WS_MAXIMIZE;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        return WS_MINIMIZE;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        return 0;
    default:
        return ~0u; // keeps the state
    }
}

// A maximized child fills its parent's client area; top-level and native windows ask Qt.
void ApplyState(WindowRecord* record, UINT state) {
    if (state == ~0u || (record->style & (WS_MAXIMIZE | WS_MINIMIZE)) == state) {
        return;
    }
    record->style = (record->style & ~(WS_MAXIMIZE | WS_MINIMIZE)) | state;
    bool painted = PaintingWidgetOf(record) == record->widget;
    if ((record->style & WS_CHILD) && painted) {
        WindowRecord* parent = LookupWindow(record->parent);
        if (state == WS_MAXIMIZE && parent != nullptr) {
            QSize size = ClientSize(parent);
            SetWindowPos(record->hwnd, nullptr, 0, 0, size.width(), size.height(),
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return;
    }
    if (record->widget == nullptr) {
        return;
    }
    if (state == WS_MAXIMIZE) {
        record->widget->showMaximized();
    } else if (state == WS_MINIMIZE) {
        record->widget->showMinimized();
    } else {
        record->widget->showNormal();
    }
}

} // namespace

// Qt's setGeometry places a top-level window's client area there (observed under openbox: a
// window made at (0, 0) had its caption at y = -20, off screen); move places the frame. Once
// shown, a top-level's rectangle is its client area as the window manager put it, so an
// unmoved top-level is only resized, never moved by that rectangle again.
void PlaceWidget(QWidget* widget, const RECT& rect, bool moved) {
    const QSize size(rect.right - rect.left, rect.bottom - rect.top);
    if (!widget->isWindow()) {
        widget->setGeometry(QRect(QPoint(rect.left, rect.top), size));
        return;
    }
    if (moved) {
        widget->move(rect.left, rect.top);
    }
    widget->resize(size);
}

POINT ClientOrigin(const WindowRecord* record) {
    POINT origin = {0, 0};
    while (record != nullptr) {
        origin.x += record->rect.left;
        origin.y += record->rect.top;
        if (record->client != nullptr && record->widget != nullptr &&
            record->client != record->widget) {
            QPoint inner = record->client->mapTo(record->widget, QPoint(0, 0));
            origin.x += inner.x();
            origin.y += inner.y();
        }
        if (!(record->style & WS_CHILD)) {
            break;
        }
        record = LookupWindow(record->parent);
    }
    return origin;
}

UINT SizeType(const WindowRecord* record) {
    if (record->style & WS_MAXIMIZE) {
        return SIZE_MAXIMIZED;
    }
    if (record->style & WS_MINIMIZE) {
        return SIZE_MINIMIZED;
    }
    return SIZE_RESTORED;
}

void SyncGeometryFromWidget(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || record->widget == nullptr) {
        return;
    }
    QRect geometry = record->widget->geometry();
    RECT rect = {geometry.left(), geometry.top(), geometry.left() + geometry.width(),
                 geometry.top() + geometry.height()};
    bool moved = rect.left != record->rect.left || rect.top != record->rect.top;
    bool sized = ClientSize(record) != BackingImageSize(record) ||
                 (rect.right - rect.left) != (record->rect.right - record->rect.left) ||
                 (rect.bottom - rect.top) != (record->rect.bottom - record->rect.top);
    if (!moved && !sized) {
        return;
    }
    record->rect = rect;
    ResizeBackingImage(record);
    if (sized) {
        InvalidateWhole(record, true);
    }
    WINDOWPOS pos = {
        hWnd,
        nullptr,
        int(rect.left),
        int(rect.top),
        int(rect.right - rect.left),
        int(rect.bottom - rect.top),
        UINT(SWP_NOZORDER | SWP_NOACTIVATE | (moved ? 0 : SWP_NOMOVE) | (sized ? 0 : SWP_NOSIZE))};
    SendMessage(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
}

} // namespace platform

using namespace platform;

BOOL GetClientRect(HWND hWnd, LPRECT rect) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || rect == nullptr) {
        return FALSE;
    }
    QSize size = ClientSize(record);
    *rect = RECT{0, 0, size.width(), size.height()};
    return TRUE;
}

// A shown top-level window's rectangle is its frame as the window manager placed it, caption
// included, as on Windows.
BOOL GetWindowRect(HWND hWnd, LPRECT rect) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || rect == nullptr) {
        return FALSE;
    }
    if (!(record->style & WS_CHILD) && record->widget != nullptr && record->widget->isVisible()) {
        const QRect frame = record->widget->frameGeometry();
        *rect = RECT{frame.left(), frame.top(), frame.left() + frame.width(),
                     frame.top() + frame.height()};
        return TRUE;
    }
    POINT origin = {0, 0};
    if (record->style & WS_CHILD) {
        origin = ClientOrigin(LookupWindow(record->parent));
    }
    *rect = record->rect;
    OffsetRect(rect, origin.x, origin.y);
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hWnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

// WM_WINDOWPOSCHANGING may change the position; WM_WINDOWPOSCHANGED then reaches
// DefWindowProc, which sends WM_MOVE and WM_SIZE for what changed. The z-order is Qt's.
BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT flags) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    DispatchScope scope;
    const RECT& old = record->rect;
    WINDOWPOS pos = {hWnd, hWndInsertAfter, x, y, cx, cy, flags};
    if (flags & SWP_NOMOVE) {
        pos.x = old.left;
        pos.y = old.top;
    }
    if (flags & SWP_NOSIZE) {
        pos.cx = old.right - old.left;
        pos.cy = old.bottom - old.top;
    }
    SendMessage(hWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    RECT rect = {pos.x, pos.y, pos.x + std::max(pos.cx, 0), pos.y + std::max(pos.cy, 0)};
    if (rect.left == record->rect.left && rect.top == record->rect.top) {
        pos.flags |= SWP_NOMOVE;
    }
    if (rect.right - rect.left == record->rect.right - record->rect.left &&
        rect.bottom - rect.top == record->rect.bottom - record->rect.top) {
        pos.flags |= SWP_NOSIZE;
    }
    if (!SameRect(rect, record->rect)) {
        ApplyRect(record, rect, !(flags & SWP_NOREDRAW));
    }
    if ((flags & SWP_SHOWWINDOW) && !(record->style & WS_VISIBLE)) {
        ApplyVisibility(record, true);
    }
    if ((flags & SWP_HIDEWINDOW) && (record->style & WS_VISIBLE)) {
        ApplyVisibility(record, false);
    }
    SendMessage(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return TRUE;
}

// WM_SHOWWINDOW comes before the change, as on Windows; a window that becomes visible is
// wholly invalid. Answers whether the window was visible before.
BOOL ShowWindow(HWND hWnd, int cmdShow) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    DispatchScope scope;
    bool wasVisible = (record->style & WS_VISIBLE) != 0;
    bool show = cmdShow != SW_HIDE;
    if (show != wasVisible) {
        SendMessage(hWnd, WM_SHOWWINDOW, WPARAM(show), 0);
        record = LookupWindow(hWnd);
        if (record == nullptr) {
            return wasVisible;
        }
        ApplyVisibility(record, show);
    }
    ApplyState(record, StateStyle(cmdShow));
    return wasVisible;
}

BOOL IsWindowVisible(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    return record != nullptr && IsShown(record);
}

BOOL IsIconic(HWND hWnd) {
    return (GetWindowLong(hWnd, GWL_STYLE) & WS_MINIMIZE) != 0;
}

BOOL IsZoomed(HWND hWnd) {
    return (GetWindowLong(hWnd, GWL_STYLE) & WS_MAXIMIZE) != 0;
}

BOOL ClientToScreen(HWND hWnd, LPPOINT point) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || point == nullptr) {
        return FALSE;
    }
    POINT origin = ClientOrigin(record);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT point) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || point == nullptr) {
        return FALSE;
    }
    POINT origin = ClientOrigin(record);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

// NULL stands for the screen. Answers the offset in the low word (x) and high word (y), 0
// for a bad window.
int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT points, UINT count) {
    POINT from = {0, 0};
    POINT to = {0, 0};
    if ((hWndFrom != nullptr && !ClientToScreen(hWndFrom, &from)) ||
        (hWndTo != nullptr && !ClientToScreen(hWndTo, &to))) {
        return 0;
    }
    int dx = from.x - to.x;
    int dy = from.y - to.y;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(dx, dy);
}
