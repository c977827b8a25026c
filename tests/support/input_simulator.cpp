#include "tests/support/input_simulator.h"

#include "platform/core/window_private.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace input {

namespace {

void SendMouse(HWND hWnd, QEvent::Type type, int x, int y, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    QWidget* widget = platform::WindowClientWidget(hWnd);
    if (widget == nullptr) {
        return;
    }
    QPointF local(x, y);
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, modifiers);
    QApplication::sendEvent(widget, &event);
}

} // namespace

void Press(HWND hWnd, int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    SendMouse(hWnd, QEvent::MouseButtonPress, x, y, button, button, modifiers);
}

void Release(HWND hWnd, int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
    SendMouse(hWnd, QEvent::MouseButtonRelease, x, y, button, Qt::NoButton, modifiers);
}

// Qt's order for a double click: press, release, double click, release.
void DoubleClick(HWND hWnd, int x, int y, Qt::MouseButton button) {
    Press(hWnd, x, y, button);
    Release(hWnd, x, y, button);
    SendMouse(hWnd, QEvent::MouseButtonDblClick, x, y, button, button, Qt::NoModifier);
    Release(hWnd, x, y, button);
}

void Move(HWND hWnd, int x, int y, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    SendMouse(hWnd, QEvent::MouseMove, x, y, Qt::NoButton, buttons, modifiers);
}

void Wheel(HWND hWnd, int x, int y, int notches, Qt::KeyboardModifiers modifiers) {
    QWidget* widget = platform::WindowClientWidget(hWnd);
    if (widget == nullptr) {
        return;
    }
    QPointF local(x, y);
    QWheelEvent event(local, widget->mapToGlobal(local), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void KeyPress(HWND hWnd, int qtKey, const char* text, Qt::KeyboardModifiers modifiers,
              bool autoRepeat) {
    QWidget* widget = platform::WindowClientWidget(hWnd);
    if (widget == nullptr) {
        return;
    }
    QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, QString::fromLatin1(text), autoRepeat);
    QApplication::sendEvent(widget, &event);
}

void KeyRelease(HWND hWnd, int qtKey, Qt::KeyboardModifiers modifiers) {
    QWidget* widget = platform::WindowClientWidget(hWnd);
    if (widget == nullptr) {
        return;
    }
    QKeyEvent event(QEvent::KeyRelease, qtKey, modifiers);
    QApplication::sendEvent(widget, &event);
}

} // namespace input
