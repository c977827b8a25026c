// Where a context menu opens. A menu asked for from the keyboard (WM_CONTEXTMENU with the
// point -1,-1) opens 5 pixels right of and below the window's top-left corner, in screen
// coordinates, in the Matrix view and in the conversation window alike.
#pragma once

#include "platform/framework/afx.h"

constexpr int kKeyboardMenuOffset = 5;

// The screen point of a WM_CONTEXTMENU for window: point itself, or the keyboard point.
inline CPoint ContextMenuPoint(CWnd& window, CPoint point) {
    if (point.x != -1 || point.y != -1) {
        return point;
    }
    CRect client;
    window.GetClientRect(&client);
    point = client.TopLeft();
    window.ClientToScreen(&point);
    point.Offset(kKeyboardMenuOffset, kKeyboardMenuOffset);
    return point;
}
