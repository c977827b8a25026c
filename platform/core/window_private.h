// Platform-private view of windows (Qt types; never included by the plug-in).
//
// Every window is a WindowRecord in one handle table. A record has two widgets:
// `widget`, the Qt widget that stands for the window (placed inside the parent's client
// widget, or top-level), and `client`, the widget inside which the children's widgets go.
// Both are the same unless a window class says otherwise. Window classes over native Qt
// widgets override the two CWnd hooks:
//
//     QWidget* CreateNativeWidget(QWidget* parentWidget) override;
//         // make and answer the widget (QScrollBar, QMdiSubWindow, ...); parentWidget is the
//         // parent window's client widget, NULL for a top-level window. It may embed the
//         // painting widget made by CreatePaintingWidget(m_hWnd, ...) as its content.
//     QWidget* NativeClientWidget() const override;
//         // the widget for children (e.g. the painting widget inside a QMdiSubWindow).
//
// m_hWnd is already set when the hook runs. The platform watches the widget: Qt resizes
// and moves become the record's rectangle with WM_SIZE/WM_MOVE, and its deletion by Qt
// (say a closed QMdiSubWindow) is reported with WindowWidgetGone.
//
// The backing image: a window painted by the platform's painting widget draws into
// `image` (client size, Format_RGB32) through device contexts; the widget shows it.
#pragma once

#include "platform/core/win32.h"
#include "platform/core/window_object.h"

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <string>
#include <vector>

namespace platform {

struct WindowRecord {
    HWND hwnd = nullptr;
    WindowObject* wnd = nullptr; // NULL once the object has let go of the window
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children; // in creation order
    UINT id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect = {0, 0, 0, 0}; // in the parent's client coordinates (screen for top-level)
    std::string text;
    std::string className;
    LONG_PTR userData = 0;
    HFONT font = nullptr;
    HINSTANCE instance = nullptr;

    QPointer<QWidget> widget;
    QPointer<QWidget> client;
    QPointer<QWidget> painting; // the painting widget made for the window, when one was
    QImage image;
    bool imageReleased = false; // given back while nothing of the window showed
    QSize releasedSize;         // the client size a released image would have now
    QRegion invalid;
    QRegion unflushed; // drawn into the image, not yet put on screen
    bool erasePending = false;
    bool destroying = false; // inside DestroyWindow
    bool destroyed = false;  // after WM_NCDESTROY: stale for every call, released later
};

// The record of a live window; nullptr for NULL, stale or destroyed handles.
WindowRecord* LookupWindow(HWND hWnd);
// The window a widget stands for (its own widget or client widget), NULL if none.
HWND WindowFromWidget(const QWidget* widget);
QWidget* WindowWidget(HWND hWnd);
QWidget* WindowClientWidget(HWND hWnd);

// The painting widget: shows the backing image and turns Qt input into messages.
QWidget* CreatePaintingWidget(HWND hWnd, QWidget* parentWidget);
// The menu bar of the window's top-level window takes the keyboard, as F10 does on Windows.
void EnterMenuBarMode(HWND hWnd);
// The backing image of the client area, sized to it; nullptr for a bad handle.
QImage* WindowImage(HWND hWnd);
// Puts the given part of the backing image (a null rectangle: all of it) on screen at the
// next frame. Frames come at most every kFrameMs, however many flushes arrive between them.
void FlushWindow(HWND hWnd, const QRect& dirty);
constexpr int kFrameMs = 16;
// Soon, once Qt has stacked and shown the windows anew: every window that nothing of shows
// gives its backing image back (see paint.cpp). Called when the frontmost or minimised
// multi-document children change.
void ScheduleReleaseOfCoveredImages();

// A native widget's geometry changed under Qt: take it as the window's rectangle, sending
// WM_SIZE/WM_MOVE when they changed.
void SyncGeometryFromWidget(HWND hWnd);
// The widget of a window was deleted by Qt: the window is destroyed as by DestroyWindow.
void WindowWidgetGone(HWND hWnd);

// The Qt application, made if there is none.
void EnsureApplication();
// Makes the Qt application unless one exists or the program is ending; argc must outlive it.
void CreateApplication(int& argc, char** argv);
// Whether the program is ending (see window.cpp); window calls are refused from then on.
BOOL ApplicationEnded();

} // namespace platform
