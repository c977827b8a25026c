// A white RGB32 image with a device context drawing into it, and pixel helpers.
#pragma once

#include "platform/gdi/gdi_surface.h"

#include <QImage>

struct Canvas {
    explicit Canvas(int width = 120, int height = 80);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    COLORREF At(int x, int y) const; // image pixel as COLORREF
    // Bounding box of every pixel that differs from `background`; empty when none.
    QRect Ink(COLORREF background = RGB(255, 255, 255)) const;
    // Fills the image with a pattern where neighbouring pixels differ.
    void Pattern();

    QImage image;
    HDC dc = nullptr;
};
