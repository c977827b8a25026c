// WindowObject: what the window layer calls on the object that stands behind a window (the
// framework's CWnd). The layer hands the object its handle when the window is made and
// takes it back when the window goes, sends it every message, asks it for the window's
// native widgets, and tells it when the window is gone for good.
#pragma once

#include "platform/core/win32_types.h"

class QWidget;

class WindowObject {
  public:
    // The window of this object, or NULL once the window has gone.
    virtual void AttachWindowHandle(HWND hWnd) = 0;
    virtual HWND AttachedWindowHandle() const = 0;
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The widget that stands for the window, made inside parentWidget (NULL for a plain
    // painting widget), and the widget its children go in.
    virtual QWidget* CreateNativeWidget(QWidget* parentWidget) = 0;
    virtual QWidget* NativeClientWidget() const = 0;
    // After the window's last message; the object may delete itself.
    virtual void PostNcDestroy() = 0;

  protected:
    ~WindowObject() = default;
};
