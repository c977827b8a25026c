// Keyboard focus, mouse capture, cursors and the key state of the last input.
#include "platform/core/window_internal.h"

#include "platform/core/win32_user.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <bitset>

namespace platform {

namespace {

HWND g_focus = nullptr;
HWND g_capture = nullptr;
HWND g_mouseWindow = nullptr;
POINT g_cursorPos = {0, 0};
HCURSOR g_cursor = nullptr;
std::bitset<256> g_keysDown;

struct CursorShape {
    WORD id;
    Qt::CursorShape shape;
};

const CursorShape kCursors[] = {
    {32512, Qt::ArrowCursor},     {32513, Qt::IBeamCursor},        {32514, Qt::WaitCursor},
    {32515, Qt::CrossCursor},     {32516, Qt::UpArrowCursor},      {32640, Qt::SizeAllCursor},
    {32641, Qt::ArrowCursor},     {32642, Qt::SizeFDiagCursor},    {32643, Qt::SizeBDiagCursor},
    {32644, Qt::SizeHorCursor},   {32645, Qt::SizeVerCursor},      {32646, Qt::SizeAllCursor},
    {32648, Qt::ForbiddenCursor}, {32649, Qt::PointingHandCursor}, {32650, Qt::BusyCursor},
    {32651, Qt::WhatsThisCursor},
};

const CursorShape* FindCursor(uintptr_t id) {
    for (const CursorShape& cursor : kCursors) {
        if (cursor.id == id) {
            return &cursor;
        }
    }
    return nullptr;
}

// Keys reach a window through Qt's focus widget: it must be the window's own widget.
void TakeQtFocus(HWND hWnd) {
    QWidget* widget = WindowClientWidget(hWnd);
    if (widget != nullptr && !widget->hasFocus()) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

bool InSubtree(HWND root, HWND hWnd) {
    return hWnd == root || IsChild(root, hWnd);
}

} // namespace

void ForgetInputWindow(HWND hWnd) {
    if (g_capture == hWnd) {
        ReleaseCapture();
    }
    if (g_focus != nullptr && InSubtree(hWnd, g_focus)) {
        HWND focus = g_focus;
        g_focus = nullptr;
        SendMessage(focus, WM_KILLFOCUS, 0, 0);
    }
    if (g_mouseWindow == hWnd) {
        g_mouseWindow = nullptr;
    }
}

// Qt gives the focus to containers on its own: at the first activation of the main window
// the MDI area handed it to the active child's frame, which takes no keys, while the window
// inside it kept the platform's focus (the Nodes list ignored Enter and Down until clicked).
// Once a top-level window is activated and Qt is done, focus that Qt left on a container
// of the focus window goes on down to it.
void FollowQtFocus() {
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow* window) {
        if (window == nullptr) {
            return;
        }
        QTimer::singleShot(0, qApp, [] {
            QWidget* focus = WindowClientWidget(GetFocus());
            QWidget* holder = QApplication::focusWidget();
            if (focus != nullptr && holder != nullptr && holder != focus &&
                holder->isAncestorOf(focus) && focus->isVisible()) {
                focus->setFocus(Qt::OtherFocusReason);
            }
        });
    });
}

void NoteMouseWindow(HWND hWnd, POINT screenPoint) {
    g_mouseWindow = hWnd;
    g_cursorPos = screenPoint;
}

void NoteKeyState(int virtKey, bool down) {
    g_keysDown[size_t(virtKey) & 0xff] = down;
}

void ApplyCursorTo(QWidget* widget) {
    if (widget == nullptr) {
        return;
    }
    const CursorShape* cursor = FindCursor(reinterpret_cast<uintptr_t>(g_cursor));
    widget->setCursor(cursor != nullptr ? cursor->shape : Qt::BlankCursor);
}

} // namespace platform

using namespace platform;

// WM_KILLFOCUS to the window losing the focus, then WM_SETFOCUS to the one gaining it, each
// naming the other. Answers the previous focus window.
HWND SetFocus(HWND hWnd) {
    if (hWnd != nullptr && !IsWindow(hWnd)) {
        return nullptr;
    }
    HWND previous = GetFocus();
    if (hWnd == previous) {
        // The window keeps the focus without messages, but Qt's focus may have gone to
        // another window's widget meanwhile (observed: after a graph's frame was active, a
        // click on the table left Qt's focus in the MDI frame and Down went nowhere).
        TakeQtFocus(hWnd);
        return previous;
    }
    DispatchScope scope;
    g_focus = hWnd;
    if (previous != nullptr) {
        SendMessage(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    }
    if (hWnd != nullptr && g_focus == hWnd && IsWindow(hWnd)) {
        TakeQtFocus(hWnd);
        SendMessage(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND GetFocus() {
    return IsWindow(g_focus) ? g_focus : nullptr;
}

// The capture redirects the messages to the capturing window, and its widget grabs the
// pointer (an X pointer grab) so that the window also gets the moves and the button-up
// that happen outside the program's windows, whatever widget the press went to.
HWND SetCapture(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        return nullptr;
    }
    HWND previous = GetCapture();
    g_capture = hWnd;
    QWidget* widget = WindowClientWidget(hWnd);
    if (widget != nullptr && widget->isVisible()) {
        widget->grabMouse();
    }
    if (previous != nullptr && previous != hWnd) {
        SendMessage(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    }
    return previous;
}

BOOL ReleaseCapture() {
    HWND previous = GetCapture();
    g_capture = nullptr;
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    if (previous != nullptr) {
        SendMessage(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND GetCapture() {
    return IsWindow(g_capture) ? g_capture : nullptr;
}

// Only the system cursors exist (LoadCursor(NULL, IDC_...)); a cursor's handle is its id.
HCURSOR LoadCursor(HINSTANCE hInstance, LPCSTR cursorName) {
    uintptr_t id = reinterpret_cast<uintptr_t>(cursorName);
    if (hInstance != nullptr || !IS_INTRESOURCE(cursorName) || FindCursor(id) == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(id);
}

// The cursor shows over the window that got the last mouse message (or holds the capture).
HCURSOR SetCursor(HCURSOR hCursor) {
    HCURSOR previous = g_cursor;
    g_cursor = hCursor;
    HWND target = GetCapture() != nullptr ? GetCapture() : g_mouseWindow;
    ApplyCursorTo(WindowClientWidget(target));
    return previous;
}

HCURSOR GetCursor() {
    return g_cursor;
}

BOOL GetCursorPos(LPPOINT point) {
    if (point == nullptr) {
        return FALSE;
    }
    *point = g_cursorPos;
    return TRUE;
}

SHORT GetKeyState(int virtKey) {
    if (virtKey < 0 || virtKey > 0xff) {
        return 0;
    }
    return g_keysDown[size_t(virtKey)] ? SHORT(0x8000) : SHORT(0);
}

SHORT GetAsyncKeyState(int virtKey) {
    return GetKeyState(virtKey);
}
