// The painting widget: the Qt widget of an ordinary window. It shows the window's backing
// image and turns Qt's mouse, wheel and key events into the window's messages with their
// Win32 encodings. Platform-private.
#pragma once

#include "platform/core/window_private.h"

#include <QWidget>

namespace platform {

class PaintingWidget : public QWidget {
  public:
    PaintingWidget(HWND hWnd, QWidget* parent);

    HWND Window() const { return m_hWnd; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    HWND m_hWnd;
};

// What painting widgets put on screen since the program began: paint events and the
// pixels they copied from backing images. Tests and benchmarks read it.
struct FlushCounts {
    uint64_t paints = 0;
    uint64_t pixels = 0;
};
FlushCounts& PaintingFlushCounts();

// The painting widget of a window (its client or its widget), nullptr if it has none.
PaintingWidget* PaintingWidgetOf(const WindowRecord* record);

// Win32 encodings of Qt input, kept apart for tests.
UINT VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
// The WM_CHAR code a key press types, 0 for none.
UINT CharCodeFromQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers);
UINT MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

} // namespace platform
