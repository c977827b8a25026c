// Painting: invalid regions, WM_ERASEBKGND and WM_PAINT, device contexts over the backing
// image, and putting the image on screen.
#include "platform/core/window_internal.h"

#include "platform/core/win32_user.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_surface.h"
#include "platform/toolkit/painting_widget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

struct HandedDC {
    HDC hdc;
    HWND hwnd;
};
std::vector<HandedDC> g_handedDCs;

QRect ToQRect(const RECT& rect) {
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

RECT ToRECT(const QRect& rect) {
    if (rect.isEmpty()) {
        return RECT{0, 0, 0, 0};
    }
    return RECT{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

QRect ClientQRect(const WindowRecord* record) {
    return QRect(QPoint(0, 0), ClientSize(record));
}

// The part of the client area a rectangle names; NULL names all of it.
QRect ClientPart(const WindowRecord* record, const RECT* rect) {
    QRect client = ClientQRect(record);
    return rect == nullptr ? client : client.intersected(ToQRect(*rect));
}

HDC HandOut(HDC hdc, HWND hWnd) {
    if (hdc != nullptr) {
        g_handedDCs.push_back(HandedDC{hdc, hWnd});
    }
    return hdc;
}

bool TakeBack(HDC hdc) {
    auto it = std::find_if(g_handedDCs.begin(), g_handedDCs.end(),
                           [hdc](const HandedDC& handed) { return handed.hdc == hdc; });
    if (it == g_handedDCs.end()) {
        return false;
    }
    g_handedDCs.erase(it);
    DeleteDC(hdc);
    return true;
}

QImage& ScreenImage() {
    static QImage image(1, 1, QImage::Format_RGB32);
    return image;
}

} // namespace

QSize ClientSize(const WindowRecord* record) {
    if (record->client != nullptr && record->client != record->widget) {
        return record->client->size();
    }
    return QSize(record->rect.right - record->rect.left, record->rect.bottom - record->rect.top);
}

bool IsShown(const WindowRecord* record) {
    while (record != nullptr) {
        if (!(record->style & WS_VISIBLE)) {
            return false;
        }
        if (!(record->style & WS_CHILD)) {
            return true;
        }
        record = LookupWindow(record->parent);
    }
    return false;
}

void InvalidateWhole(WindowRecord* record, bool erase) {
    InvalidateRect(record->hwnd, nullptr, erase);
}

QSize BackingImageSize(const WindowRecord* record) {
    return record->imageReleased ? record->releasedSize : record->image.size();
}

// The new image keeps the old pixels where they overlap; the rest is the window colour. A
// released image stays released until the window paints; only its size follows the client.
void ResizeBackingImage(WindowRecord* record) {
    QSize size = ClientSize(record).expandedTo(QSize(0, 0));
    if (record->imageReleased) {
        record->releasedSize = size;
        return;
    }
    if (record->image.size() == size) {
        return;
    }
    QImage next(size, QImage::Format_RGB32);
    DWORD color = GetSysColor(COLOR_WINDOW);
    next.fill(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    if (!record->image.isNull() && !next.isNull()) {
        QPainter painter(&next);
        painter.drawImage(0, 0, record->image);
    }
    GdiReleaseSurface(&record->image);
    record->image = next;
}

void ReleaseBackingImage(WindowRecord* record) {
    GdiReleaseSurface(&record->image);
    record->image = QImage();
}

void EnsureBackingImage(WindowRecord* record) {
    if (record->imageReleased) {
        record->imageReleased = false;
        ResizeBackingImage(record);
    }
}

bool PaintIfInvalid(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || record->invalid.isEmpty() || !IsShown(record)) {
        return false;
    }
    Dispatch(record, WM_PAINT, 0, 0);
    return true;
}

namespace {

// A window that nothing of shows on screen (its frame minimised, or a sibling such as a
// maximised child window over it) is not painted until it shows: the widget's paint event
// delivers the WM_PAINT then. A desk of node windows otherwise paints every table behind the
// one in front each time its rows change.
bool Covered(const WindowRecord* record) {
    const QWidget* widget = PaintingWidgetOf(record);
    return widget != nullptr && widget->visibleRegion().isEmpty();
}

// A covered window gives its backing image back and becomes wholly invalid: it is painted
// afresh when it shows, as a window on Windows is. The images of the frame, tab window,
// view and table of each node window behind the one in front took 11 MB a window.
void ReleaseIfCovered(WindowRecord* record) {
    if (record->destroyed || record->image.isNull() || !Covered(record)) {
        return;
    }
    record->releasedSize = record->image.size();
    ReleaseBackingImage(record);
    record->imageReleased = true;
    record->invalid = QRegion(ClientQRect(record));
    record->erasePending = true;
}

// A window that gave its image back waits for Qt's paint event without asking Qt again on
// every pass whether it shows (5 % of the processor time of a desk of twenty nodes).
bool PaintDue(const WindowRecord* record) {
    return !record->destroyed && !record->imageReleased && !record->invalid.isEmpty() &&
           IsShown(record) && !Covered(record);
}

} // namespace

// WM_PAINT goes to every shown window with an invalid region, in handle order.
int DeliverPaints() {
    std::vector<HWND> due;
    WindowTable().ForEach([&due](uintptr_t, WindowRecord* record) {
        if (PaintDue(record)) {
            due.push_back(record->hwnd);
        }
    });
    int painted = 0;
    for (HWND hWnd : due) {
        painted += PaintIfInvalid(hWnd) ? 1 : 0;
    }
    CountDelivered(painted);
    return painted;
}

void ScheduleReleaseOfCoveredImages() {
    static bool scheduled = false;
    if (scheduled || QCoreApplication::instance() == nullptr) {
        return;
    }
    scheduled = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        scheduled = false;
        WindowTable().ForEach([](uintptr_t, WindowRecord* record) { ReleaseIfCovered(record); });
    });
}

bool HasPendingPaints() {
    bool pending = false;
    WindowTable().ForEach(
        [&pending](uintptr_t, WindowRecord* record) { pending = pending || PaintDue(record); });
    return pending;
}

QImage* WindowImage(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return nullptr;
    }
    EnsureBackingImage(record);
    return &record->image;
}

// Each window's unflushed region goes to its widget as one update; a hidden widget, or one
// that its siblings cover, gets nothing (Qt paints it when it is exposed again).
void FlushFrame() {
    WindowTable().ForEach([](uintptr_t, WindowRecord* record) {
        QRegion region = record->unflushed;
        record->unflushed = QRegion();
        QWidget* widget = record->destroyed ? nullptr : PaintingWidgetOf(record);
        if (region.isEmpty() || widget == nullptr || !widget->isVisible()) {
            return;
        }
        region &= widget->visibleRegion();
        if (!region.isEmpty()) {
            widget->update(region);
        }
    });
}

// One single-shot timer for the next frame; it starts kFrameMs after the last frame
// began, or at once when that is long past.
void ScheduleFrame() {
    static QElapsedTimer sinceFrame;
    static QPointer<QTimer> timer;
    if (timer == nullptr) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, [] {
            sinceFrame.start();
            FlushFrame();
        });
    }
    if (timer->isActive()) {
        return;
    }
    qint64 wait = sinceFrame.isValid() ? kFrameMs - sinceFrame.elapsed() : 0;
    timer->start(int(std::max<qint64>(0, wait)));
}

void FlushWindow(HWND hWnd, const QRect& dirty) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || PaintingWidgetOf(record) == nullptr) {
        return;
    }
    record->unflushed += dirty.isNull() ? ClientQRect(record) : dirty;
    if (QCoreApplication::instance() != nullptr) {
        ScheduleFrame();
    }
}

} // namespace platform

using namespace platform;

// A NULL window would mean every window on the desktop; there is none here: refused.
BOOL InvalidateRect(HWND hWnd, const RECT* rect, BOOL erase) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    QRect part = ClientPart(record, rect);
    if (part.isEmpty()) {
        return TRUE;
    }
    record->invalid += part;
    record->erasePending = record->erasePending || erase != FALSE;
    SchedulePump();
    return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* rect) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    if (rect == nullptr) {
        record->invalid = QRegion();
    } else {
        record->invalid -= ToQRect(*rect);
    }
    if (record->invalid.isEmpty()) {
        record->erasePending = false;
    }
    return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        return FALSE;
    }
    PaintIfInvalid(hWnd);
    return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT rect, BOOL erase) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    bool invalid = !record->invalid.isEmpty();
    if (rect != nullptr) {
        *rect = ToRECT(record->invalid.boundingRect());
    }
    if (invalid && erase && record->erasePending) {
        record->erasePending = false;
        HDC hdc = GetDC(hWnd);
        SendMessage(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
        ReleaseDC(hWnd, hdc);
    }
    return invalid;
}

// Regions are not kept as objects here: an update region counts as the whole client area.
BOOL RedrawWindow(HWND hWnd, const RECT* rectUpdate, HRGN hrgnUpdate, UINT flags) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    const RECT* rect = hrgnUpdate != nullptr ? nullptr : rectUpdate;
    if (flags & RDW_INVALIDATE) {
        InvalidateRect(hWnd, rect, (flags & RDW_ERASE) != 0);
    }
    if (flags & RDW_VALIDATE) {
        ValidateRect(hWnd, rect);
    }
    if (flags & RDW_UPDATENOW) {
        UpdateWindow(hWnd);
        if ((flags & RDW_ALLCHILDREN) && IsWindow(hWnd)) {
            std::vector<HWND> children = LookupWindow(hWnd)->children;
            for (HWND child : children) {
                RedrawWindow(child, nullptr, nullptr, flags & ~RDW_INVALIDATE);
            }
        }
    }
    return TRUE;
}

// The update region is validated here, before WM_ERASEBKGND, so that invalidation during
// painting is kept for the next WM_PAINT, as on Windows.
HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT paint) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || paint == nullptr) {
        return nullptr;
    }
    EnsureBackingImage(record);
    QRect bounds = record->invalid.boundingRect();
    bool erase = record->erasePending;
    record->invalid = QRegion();
    record->erasePending = false;
    HDC hdc = HandOut(GdiCreateSurfaceDC(&record->image, QPoint(0, 0), bounds), hWnd);
    *paint = PAINTSTRUCT{};
    paint->hdc = hdc;
    paint->rcPaint = ToRECT(bounds);
    if (erase && hdc != nullptr) {
        paint->fErase = SendMessage(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) == 0;
    }
    return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* paint) {
    if (paint == nullptr) {
        return FALSE;
    }
    TakeBack(paint->hdc);
    FlushWindow(hWnd, ToQRect(paint->rcPaint));
    return TRUE;
}

// GetDC(NULL) stands for the screen: a one-pixel surface that DCs and bitmaps are made
// compatible with and that text is measured on.
HDC GetDC(HWND hWnd) {
    if (hWnd == nullptr) {
        return HandOut(GdiCreateSurfaceDC(&ScreenImage(), QPoint(0, 0), QRect(0, 0, 1, 1)),
                       nullptr);
    }
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return nullptr;
    }
    // A window without area, or whose image was released while it was covered, still
    // measures text, as on Windows: its DC draws into the 1x1 scratch image, clipped away.
    // (A released window is wholly invalid: it is painted in full when it shows.)
    if (record->image.isNull()) {
        return HandOut(GdiCreateSurfaceDC(&ScreenImage(), QPoint(0, 0), QRect()), hWnd);
    }
    return HandOut(GdiCreateSurfaceDC(&record->image, QPoint(0, 0), ClientQRect(record)), hWnd);
}

// Only a DC that drew puts the window on screen again: measuring text copies nothing.
int ReleaseDC(HWND hWnd, HDC hDC) {
    bool drew = GdiSurfaceDrawn(hDC);
    if (!TakeBack(hDC)) {
        return 0;
    }
    if (drew) {
        FlushWindow(hWnd, QRect());
    }
    return 1;
}

HWND WindowFromDC(HDC hDC) {
    for (const HandedDC& handed : g_handedDCs) {
        if (handed.hdc == hDC) {
            return IsWindow(handed.hwnd) ? handed.hwnd : nullptr;
        }
    }
    return nullptr;
}
