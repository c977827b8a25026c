// Qt input delivered to a window's widget, as a user would give it, so that tests see the
// messages the platform makes of it. Points are in the window's client coordinates.
#pragma once

#include "platform/core/win32_types.h"

#include <Qt>

namespace input {

void Press(HWND hWnd, int x, int y, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void Release(HWND hWnd, int x, int y, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void DoubleClick(HWND hWnd, int x, int y, Qt::MouseButton button = Qt::LeftButton);
// A move with the buttons held.
void Move(HWND hWnd, int x, int y, Qt::MouseButtons buttons = Qt::NoButton,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Notches of the wheel, positive away from the user.
void Wheel(HWND hWnd, int x, int y, int notches, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void KeyPress(HWND hWnd, int qtKey, const char* text = "",
              Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false);
void KeyRelease(HWND hWnd, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace input
