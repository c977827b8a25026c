// Platform-private seam between GDI and the rest of the platform (Qt types; never included
// by the plug-in). The windows layer makes device contexts over a window's backing image;
// the resource loader makes bitmaps and icons from decoded images.
#pragma once

#include "platform/gdi/gdi.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>

// A DC that draws into `image` (converted to Format_RGB32 if needed): logical (0, 0) is
// `origin` in image pixels and nothing is drawn outside `clip` (image pixels). Free it with
// DeleteDC. The image must outlive the DC or be released with GdiReleaseSurface first.
HDC GdiCreateSurfaceDC(QImage* image, QPoint origin, QRect clip);

// Whether anything was drawn through a DC since it was made.
bool GdiSurfaceDrawn(HDC hdc);

// Every DC still drawing into `image` stops drawing (calls succeed and draw nothing). Call
// before a backing image is destroyed.
void GdiReleaseSurface(const QImage* image);

// Bitmaps and icons from images: a bitmap is opaque RGB32, an icon keeps its alpha.
HBITMAP GdiCreateBitmapFromImage(const QImage& image);
HICON GdiCreateIconFromImage(const QImage& image);

// Read access for widgets that show GDI objects; null/empty for a bad handle.
const QImage* GdiBitmapImage(HBITMAP bitmap);
const QImage* GdiIconImage(HICON icon);
QFont GdiQFont(HFONT font); // the Qt font a GDI font draws with (default font for a bad one)

// A brush for GetSysColorBrush: DeleteObject leaves it alive, like a stock object.
HBRUSH GdiCreatePermanentBrush(COLORREF color);
