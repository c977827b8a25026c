#include "canvas.h"

Canvas::Canvas(int width, int height) : image(width, height, QImage::Format_RGB32) {
    image.fill(Qt::white);
    dc = GdiCreateSurfaceDC(&image, QPoint(0, 0), image.rect());
}

Canvas::~Canvas() {
    DeleteDC(dc);
}

COLORREF Canvas::At(int x, int y) const {
    QRgb pixel = image.pixel(x, y);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

QRect Canvas::Ink(COLORREF background) const {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (At(x, y) != background) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

void Canvas::Pattern() {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb((x * 7) & 0xFF, (y * 13) & 0xFF, (x * y) & 0xFF));
        }
    }
}
