// GDI device contexts and drawing: memory and window DCs, object selection, attributes,
// lines, shapes, fills, block transfers and icons, all on 32-bit images.
//
// Pixel rules follow Windows: a line leaves out its last pixel; Rectangle and Ellipse put a
// one-pixel outline on left..right-1 and top..bottom-1 and, with the null pen, fill one
// pixel less to the right and bottom; raster operations other than R2_COPYPEN are applied
// per pixel to exactly the pixels the shape covers, so drawing twice with R2_NOT or
// R2_XORPEN restores the picture.
#include "platform/core/win32_user.h"
#include "platform/gdi/gdi_private.h"
#include "platform/gdi/gdi_surface.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

namespace {

std::vector<std::weak_ptr<DcObject>>& SurfaceDcs() {
    static std::vector<std::weak_ptr<DcObject>> dcs;
    return dcs;
}

HBITMAP StockBitmap() {
    static HBITMAP bitmap = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.fill(Qt::black);
        HBITMAP handle = GdiCreateBitmapFromImage(image);
        GdiLookup(handle)->permanent = true;
        return handle;
    }();
    return bitmap;
}

template <class T> void Assign(HGDIOBJ handle, GdiKind kind, std::shared_ptr<T>& object) {
    object = GdiLookupAs<T>(handle, kind);
}

DcState DefaultState(bool memory) {
    DcState state;
    state.penHandle = static_cast<HPEN>(GetStockObject(BLACK_PEN));
    Assign(state.penHandle, GdiKind::Pen, state.pen);
    state.brushHandle = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    Assign(state.brushHandle, GdiKind::Brush, state.brush);
    state.fontHandle = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    Assign(state.fontHandle, GdiKind::Font, state.font);
    if (memory) {
        state.bitmapHandle = StockBitmap();
        Assign(state.bitmapHandle, GdiKind::Bitmap, state.bitmap);
    }
    return state;
}

HDC InsertDc(std::shared_ptr<DcObject> dc) {
    return static_cast<HDC>(GdiInsert(std::move(dc)));
}

// Result of a binary raster operation: R2 code - 1 is the truth table indexed by
// (pen bit << 1) | destination bit.
QRgb Rop2Pixel(int rop2, QRgb pen, QRgb dest) {
    unsigned table = static_cast<unsigned>(rop2 - 1);
    QRgb result = 0;
    if (table & 1) {
        result |= ~pen & ~dest;
    }
    if (table & 2) {
        result |= ~pen & dest;
    }
    if (table & 4) {
        result |= pen & ~dest;
    }
    if (table & 8) {
        result |= pen & dest;
    }
    return (result & 0x00FFFFFF) | 0xFF000000;
}

void ApplyLayer(QImage& target, QPoint at, const QImage& layer, int rop2) {
    for (int y = 0; y < layer.height(); ++y) {
        auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(target.scanLine(y + at.y())) + at.x();
        for (int x = 0; x < layer.width(); ++x) {
            if (qAlpha(src[x]) != 0) {
                dst[x] = Rop2Pixel(rop2, src[x], dst[x]);
            }
        }
    }
}

// Runs `paint` with a painter in the DC's logical coordinates and applies the DC's ROP2.
// `bounds` (logical) must hold everything `paint` draws; it limits the per-pixel work.
template <class Paint> BOOL DrawThrough(DcObject& dc, QRect bounds, Paint&& paint) {
    QImage* target = dc.DrawTarget();
    QRect clip = dc.DeviceClip();
    int rop2 = dc.state.rop2;
    if (!target || clip.isEmpty() || rop2 == R2_NOP) {
        return TRUE;
    }
    if (rop2 == R2_COPYPEN) {
        GdiPaint(dc, paint);
        return TRUE;
    }
    QRect area = bounds.translated(dc.DeviceOffset()) & clip;
    if (area.isEmpty()) {
        return TRUE;
    }
    QImage layer(area.size(), QImage::Format_ARGB32);
    layer.fill(0);
    {
        QPainter painter(&layer);
        painter.translate(dc.DeviceOffset() - area.topLeft());
        paint(painter);
    }
    ApplyLayer(*target, area.topLeft(), layer, rop2);
    return TRUE;
}

bool IsNullPen(const DcState& state) {
    return !state.pen || state.pen->log.lopnStyle == PS_NULL;
}

int PenWidth(const DcState& state) {
    return IsNullPen(state) ? 0 : std::max<int>(1, state.pen->log.lopnWidth.x);
}

// Windows dash lengths of one-pixel styled pens; wider styled pens draw solid.
QList<qreal> DashPattern(UINT style) {
    switch (style) {
    case PS_DASH:
        return {18, 6};
    case PS_DOT:
        return {3, 3};
    case PS_DASHDOT:
        return {9, 6, 3, 6};
    case PS_DASHDOTDOT:
        return {9, 3, 3, 3, 3, 3};
    default:
        return {};
    }
}

QPen MakeQPen(const DcState& state) {
    if (IsNullPen(state)) {
        return Qt::NoPen;
    }
    int width = PenWidth(state);
    QPen pen(GdiColor(state.pen->log.lopnColor));
    pen.setWidth(width == 1 ? 0 : width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(width == 1 ? Qt::MiterJoin : Qt::RoundJoin);
    auto dashes = width == 1 ? DashPattern(state.pen->log.lopnStyle) : QList<qreal>{};
    if (!dashes.isEmpty()) {
        pen.setDashPattern(dashes);
    }
    return pen;
}

QBrush MakeQBrush(const DcState& state) {
    if (!state.brush || state.brush->log.lbStyle == BS_NULL) {
        return Qt::NoBrush;
    }
    return QBrush(GdiColor(state.brush->log.lbColor));
}

// Styled lines fill their gaps with the background colour in OPAQUE mode.
void StrokePath(QPainter& painter, const DcState& state, const QPainterPath& path) {
    QPen pen = MakeQPen(state);
    painter.setBrush(Qt::NoBrush);
    if (pen.style() == Qt::CustomDashLine && state.bkMode == OPAQUE) {
        QPen gap = pen;
        gap.setStyle(Qt::SolidLine);
        gap.setColor(GdiColor(state.bkColor));
        painter.setPen(gap);
        painter.drawPath(path);
    }
    painter.setPen(pen);
    painter.drawPath(path);
}

QRect Normalized(int left, int top, int right, int bottom) {
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Bounds of a shape's pixels grown by the pen's reach.
QRect Reach(QRect shape, const DcState& state) {
    int grow = PenWidth(state) / 2 + 1;
    return shape.adjusted(-grow, -grow, grow, grow);
}

// The geometry Qt strokes for an outline on shape's left..right-1 and top..bottom-1.
QRect OutlineRect(QRect shape) {
    return QRect(shape.topLeft(), shape.size() - QSize(1, 1));
}

// The pixels from one point to another, both included (QRect::normalized would drop one).
QRect Span(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// Pixels of a one-pixel line from `from` towards `to`, the last one left out (Bresenham).
// Qt's own aliased lines leave out the right or bottom end whatever the direction, which
// would break the shared corners of LineTo chains drawn with R2_NOT.
QPolygon LinePixels(QPoint from, QPoint to) {
    QPolygon pixels;
    int dx = std::abs(to.x() - from.x()), dy = -std::abs(to.y() - from.y());
    int sx = from.x() < to.x() ? 1 : -1, sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    for (QPoint p = from; p != to;) {
        pixels << p;
        int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            p.rx() += sx;
        }
        if (twice <= dx) {
            error += dx;
            p.ry() += sy;
        }
    }
    return pixels;
}

// Splits line pixels into the pen's dashes and the gaps between them.
std::pair<QPolygon, QPolygon> SplitDashes(const QPolygon& pixels, const QList<qreal>& dashes) {
    if (dashes.isEmpty()) {
        return {pixels, {}};
    }
    int period = 0;
    for (qreal length : dashes) {
        period += static_cast<int>(length);
    }
    QPolygon on, off;
    for (int i = 0; i < pixels.size(); ++i) {
        int phase = i % period, segment = 0;
        while (phase >= dashes[segment]) {
            phase -= static_cast<int>(dashes[segment]);
            ++segment;
        }
        (segment % 2 == 0 ? on : off) << pixels[i];
    }
    return {on, off};
}

BOOL DrawThinLine(DcObject& dc, QPoint from, QPoint to) {
    const DcState& state = dc.state;
    // Named members, not a structured binding: clang before 16 cannot capture those.
    const std::pair<QPolygon, QPolygon> dashes =
        SplitDashes(LinePixels(from, to), DashPattern(state.pen->log.lopnStyle));
    const QPolygon& on = dashes.first;
    const QPolygon& off = dashes.second;
    QRect bounds = Span(from, to);
    return DrawThrough(dc, bounds, [&](QPainter& p) {
        if (!off.isEmpty() && state.bkMode == OPAQUE) {
            p.setPen(QPen(GdiColor(state.bkColor), 0));
            p.drawPoints(off);
        }
        p.setPen(QPen(GdiColor(state.pen->log.lopnColor), 0));
        p.drawPoints(on);
    });
}

BOOL DrawLine(DcObject& dc, QPoint to) {
    QPoint from = dc.state.position;
    dc.state.position = to;
    if (from == to || IsNullPen(dc.state)) {
        return TRUE;
    }
    if (PenWidth(dc.state) == 1) {
        return DrawThinLine(dc, from, to);
    }
    QPainterPath path(from);
    path.lineTo(to);
    QRect bounds = Reach(Span(from, to), dc.state);
    return DrawThrough(dc, bounds, [&](QPainter& p) { StrokePath(p, dc.state, path); });
}

// Walks the device pixels of a logical rectangle inside the clip.
template <class Visit> BOOL ForEachPixel(HDC hdc, QRect logical, Visit&& visit) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    QImage* target = dc->DrawTarget();
    QRect area = logical.translated(dc->DeviceOffset()) & dc->DeviceClip();
    if (!target || area.isEmpty()) {
        return TRUE;
    }
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(target->scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            visit(line[x], x, y);
        }
    }
    return TRUE;
}

BOOL FillColor(HDC hdc, QRect logical, COLORREF color) {
    QRgb pixel = GdiColor(color).rgb();
    return ForEachPixel(hdc, logical, [pixel](QRgb& px, int, int) { px = pixel; });
}

std::optional<COLORREF> BrushColor(HBRUSH brush) {
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_INFOBK + 1) {
        return GetSysColor(static_cast<int>(value - 1));
    }
    auto object = GdiLookupAs<BrushObject>(brush, GdiKind::Brush);
    if (!object) {
        return std::nullopt;
    }
    if (object->log.lbStyle == BS_NULL) {
        return CLR_INVALID;
    }
    return object->log.lbColor;
}

QRect FromRect(const RECT& rect) {
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

struct CopySource {
    QRgb operator()(QRgb s, QRgb) const { return s; }
};

template <class Op> BOOL Transfer(HDC dest, QRect destRect, HDC src, QPoint srcPos, Op&& op) {
    auto to = GdiDc(dest);
    auto from = GdiDc(src);
    if (!to || !from) {
        return FALSE;
    }
    QImage* target = to->DrawTarget();
    QImage* source = from->Target();
    if (!target || !source) {
        return TRUE;
    }
    QRect device = destRect.translated(to->DeviceOffset());
    QPoint shift = srcPos + from->DeviceOffset() - device.topLeft();
    QRect area = device & to->DeviceClip() & source->rect().translated(-shift);
    if (area.isEmpty()) {
        return TRUE;
    }
    if constexpr (std::is_same_v<std::decay_t<Op>, CopySource>) {
        // A plain copy between two opaque images of one format is a copy of rows.
        if (source != target && source->format() == QImage::Format_RGB32 &&
            target->format() == QImage::Format_RGB32) {
            const size_t bytes = static_cast<size_t>(area.width()) * sizeof(QRgb);
            for (int y = 0; y < area.height(); ++y) {
                const auto* s = reinterpret_cast<const QRgb*>(
                                    source->constScanLine(area.top() + shift.y() + y)) +
                                area.left() + shift.x();
                auto* d = reinterpret_cast<QRgb*>(target->scanLine(area.top() + y)) + area.left();
                std::memcpy(d, s, bytes);
            }
            return TRUE;
        }
    }
    QImage copy = source->copy(area.translated(shift)); // source and target may be one image
    for (int y = 0; y < area.height(); ++y) {
        auto* s = reinterpret_cast<const QRgb*>(copy.constScanLine(y));
        auto* d = reinterpret_cast<QRgb*>(target->scanLine(area.top() + y)) + area.left();
        for (int x = 0; x < area.width(); ++x) {
            d[x] = op(s[x], d[x]) | 0xFF000000;
        }
    }
    return TRUE;
}

} // namespace

void GdiPaint(DcObject& dc, const std::function<void(QPainter&)>& paint) {
    QImage* target = dc.DrawTarget();
    QRect clip = dc.DeviceClip();
    if (!target || clip.isEmpty()) {
        return;
    }
    QPainter painter(target);
    painter.setClipRect(clip);
    painter.translate(dc.DeviceOffset());
    paint(painter);
}

QImage* DcObject::Target() const {
    if (memory) {
        return state.bitmap ? &state.bitmap->image : nullptr;
    }
    return surface;
}

QImage* DcObject::DrawTarget() {
    drew = true;
    return Target();
}

bool GdiSurfaceDrawn(HDC hdc) {
    auto dc = GdiDc(hdc);
    return dc && dc->drew;
}

QRect DcObject::DeviceClip() const {
    QImage* target = Target();
    if (!target) {
        return {};
    }
    QRect area = memory ? target->rect() : bounds & target->rect();
    if (state.clip) {
        area &= *state.clip;
    }
    return area;
}

HDC GdiCreateSurfaceDC(QImage* image, QPoint origin, QRect clip) {
    if (!image || image->isNull()) {
        return nullptr;
    }
    if (image->format() != QImage::Format_RGB32) {
        *image = image->convertToFormat(QImage::Format_RGB32);
    }
    auto dc = std::make_shared<DcObject>();
    dc->surface = image;
    dc->origin = origin;
    dc->bounds = clip;
    dc->state = DefaultState(false);
    auto& dcs = SurfaceDcs();
    std::erase_if(dcs, [](const auto& weak) { return weak.expired(); });
    dcs.push_back(dc);
    return InsertDc(std::move(dc));
}

void GdiReleaseSurface(const QImage* image) {
    for (auto& weak : SurfaceDcs()) {
        auto dc = weak.lock();
        if (dc && dc->surface == image) {
            dc->surface = nullptr;
        }
    }
}

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !GdiDc(hdc)) {
        return nullptr;
    }
    auto dc = std::make_shared<DcObject>();
    dc->memory = true;
    dc->state = DefaultState(true);
    return InsertDc(std::move(dc));
}

BOOL DeleteDC(HDC hdc) {
    if (!GdiDc(hdc)) {
        return FALSE;
    }
    return GdiRemove(hdc);
}

int SaveDC(HDC hdc) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return 0;
    }
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int savedDc) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    int count = static_cast<int>(dc->saved.size());
    int level = savedDc < 0 ? count + 1 + savedDc : savedDc;
    if (level < 1 || level > count) {
        return FALSE;
    }
    dc->state = dc->saved[level - 1];
    dc->saved.resize(level - 1);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ handle) {
    auto dc = GdiDc(hdc);
    auto object = GdiLookup(handle);
    if (!dc || !object) {
        return nullptr;
    }
    DcState& state = dc->state;
    switch (object->kind) {
    case GdiKind::Pen:
        state.pen = std::static_pointer_cast<PenObject>(object);
        return std::exchange(state.penHandle, static_cast<HPEN>(handle));
    case GdiKind::Brush:
        state.brush = std::static_pointer_cast<BrushObject>(object);
        return std::exchange(state.brushHandle, static_cast<HBRUSH>(handle));
    case GdiKind::Font:
        state.font = std::static_pointer_cast<FontObject>(object);
        return std::exchange(state.fontHandle, static_cast<HFONT>(handle));
    case GdiKind::Bitmap:
        if (!dc->memory) {
            return nullptr;
        }
        state.bitmap = std::static_pointer_cast<BitmapObject>(object);
        return std::exchange(state.bitmapHandle, static_cast<HBITMAP>(handle));
    default:
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return nullptr;
    }
    switch (type) {
    case OBJ_PEN:
        return dc->state.penHandle;
    case OBJ_BRUSH:
        return dc->state.brushHandle;
    case OBJ_FONT:
        return dc->state.fontHandle;
    case OBJ_BITMAP:
        return dc->state.bitmapHandle;
    default:
        return nullptr;
    }
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    auto dc = GdiDc(hdc);
    return dc ? std::exchange(dc->state.textColor, color & 0xFFFFFF) : CLR_INVALID;
}

COLORREF GetTextColor(HDC hdc) {
    auto dc = GdiDc(hdc);
    return dc ? dc->state.textColor : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    auto dc = GdiDc(hdc);
    return dc ? std::exchange(dc->state.bkColor, color & 0xFFFFFF) : CLR_INVALID;
}

COLORREF GetBkColor(HDC hdc) {
    auto dc = GdiDc(hdc);
    return dc ? dc->state.bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
    auto dc = GdiDc(hdc);
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    return std::exchange(dc->state.bkMode, mode);
}

int GetBkMode(HDC hdc) {
    auto dc = GdiDc(hdc);
    return dc ? dc->state.bkMode : 0;
}

int SetROP2(HDC hdc, int rop2) {
    auto dc = GdiDc(hdc);
    if (!dc || rop2 < R2_BLACK || rop2 > R2_WHITE) {
        return 0;
    }
    return std::exchange(dc->state.rop2, rop2);
}

int GetROP2(HDC hdc) {
    auto dc = GdiDc(hdc);
    return dc ? dc->state.rop2 : 0;
}

UINT SetTextAlign(HDC hdc, UINT align) {
    auto dc = GdiDc(hdc);
    return dc ? std::exchange(dc->state.textAlign, align) : GDI_ERROR;
}

UINT GetTextAlign(HDC hdc) {
    auto dc = GdiDc(hdc);
    return dc ? dc->state.textAlign : GDI_ERROR;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT origin) {
    auto dc = GdiDc(hdc);
    if (!dc || !origin) {
        return FALSE;
    }
    *origin = {dc->state.viewportOrg.x(), dc->state.viewportOrg.y()};
    return TRUE;
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT oldOrigin) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    if (oldOrigin) {
        *oldOrigin = {dc->state.viewportOrg.x(), dc->state.viewportOrg.y()};
    }
    dc->state.viewportOrg = QPoint(x, y);
    return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT oldOrigin) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    QPoint origin = dc->state.viewportOrg;
    return SetViewportOrgEx(hdc, origin.x() + dx, origin.y() + dy, oldOrigin);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return 0;
    }
    QRect device =
        QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)).translated(dc->DeviceOffset());
    dc->state.clip = dc->state.clip ? (*dc->state.clip & device) : device;
    return dc->DeviceClip().isEmpty() ? NULLREGION : SIMPLEREGION;
}

int GetClipBox(HDC hdc, LPRECT rect) {
    auto dc = GdiDc(hdc);
    if (!dc || !rect) {
        return 0;
    }
    QRect clip = dc->DeviceClip();
    if (clip.isEmpty()) {
        *rect = {0, 0, 0, 0};
        return NULLREGION;
    }
    clip.translate(-dc->DeviceOffset());
    *rect = {clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1};
    return SIMPLEREGION;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT oldPoint) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    if (oldPoint) {
        *oldPoint = {dc->state.position.x(), dc->state.position.y()};
    }
    dc->state.position = QPoint(x, y);
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    auto dc = GdiDc(hdc);
    return dc ? DrawLine(*dc, QPoint(x, y)) : FALSE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
    auto dc = GdiDc(hdc);
    if (!dc || !points || count < 2) {
        return FALSE;
    }
    QPoint saved = dc->state.position;
    dc->state.position = QPoint(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i) {
        DrawLine(*dc, QPoint(points[i].x, points[i].y));
    }
    dc->state.position = saved; // Polyline leaves the current position alone
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
    auto dc = GdiDc(hdc);
    if (!dc || !points || count < 2) {
        return FALSE;
    }
    QPolygon polygon;
    for (int i = 0; i < count; ++i) {
        polygon << QPoint(points[i].x, points[i].y);
    }
    return DrawThrough(*dc, Reach(polygon.boundingRect(), dc->state), [&](QPainter& p) {
        p.setPen(MakeQPen(dc->state));
        p.setBrush(MakeQBrush(dc->state));
        p.drawPolygon(polygon, Qt::OddEvenFill);
    });
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    QRect shape = Normalized(left, top, right, bottom);
    if (shape.isEmpty()) {
        return TRUE;
    }
    const DcState& state = dc->state;
    return DrawThrough(*dc, Reach(shape, state), [&](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(MakeQBrush(state));
        p.drawRect(OutlineRect(shape));
        if (IsNullPen(state)) {
            return;
        }
        QPainterPath outline;
        outline.addRect(OutlineRect(shape));
        StrokePath(p, state, outline);
    });
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    QRect shape = Normalized(left, top, right, bottom);
    if (shape.isEmpty()) {
        return TRUE;
    }
    const DcState& state = dc->state;
    return DrawThrough(*dc, Reach(shape, state), [&](QPainter& p) {
        p.setPen(MakeQPen(state));
        p.setBrush(MakeQBrush(state));
        p.drawEllipse(OutlineRect(shape));
    });
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    COLORREF result = CLR_INVALID;
    BOOL ok = ForEachPixel(hdc, QRect(x, y, 1, 1), [&](QRgb& px, int, int) {
        px = GdiColor(color).rgb();
        result = color & 0xFFFFFF;
    });
    return ok ? result : CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    COLORREF result = CLR_INVALID;
    ForEachPixel(hdc, QRect(x, y, 1, 1), [&](QRgb& px, int, int) { result = GdiColorRef(px); });
    return result;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    auto color = BrushColor(brush);
    if (!rect || !color || !GdiDc(hdc)) {
        return 0;
    }
    if (*color == CLR_INVALID) {
        return 1;
    }
    return FillColor(hdc, FromRect(*rect), *color);
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
    auto color = BrushColor(brush);
    if (!rect || !color || !GdiDc(hdc)) {
        return 0;
    }
    if (*color == CLR_INVALID) {
        return 1;
    }
    QRect r = FromRect(*rect);
    if (r.isEmpty()) {
        return 1;
    }
    FillColor(hdc, QRect(r.left(), r.top(), r.width(), 1), *color);
    FillColor(hdc, QRect(r.left(), r.bottom(), r.width(), 1), *color);
    FillColor(hdc, QRect(r.left(), r.top(), 1, r.height()), *color);
    FillColor(hdc, QRect(r.right(), r.top(), 1, r.height()), *color);
    return 1;
}

// The focus rectangle inverts every other pixel of the outline (a checkerboard aligned to
// the device), as the dotted XOR pattern brush of Windows does.
BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
    if (!rect || !GdiDc(hdc)) {
        return FALSE;
    }
    QRect r = FromRect(*rect);
    if (r.isEmpty()) {
        return TRUE;
    }
    auto invertDots = [&](QRect edge) {
        ForEachPixel(hdc, edge, [](QRgb& px, int x, int y) {
            if ((x + y) % 2 == 0) {
                px ^= 0x00FFFFFF;
            }
        });
    };
    invertDots(QRect(r.left(), r.top(), r.width(), 1));
    if (r.height() > 1) {
        invertDots(QRect(r.left(), r.bottom(), r.width(), 1));
    }
    if (r.height() > 2) {
        invertDots(QRect(r.left(), r.top() + 1, 1, r.height() - 2));
        if (r.width() > 1) {
            invertDots(QRect(r.right(), r.top() + 1, 1, r.height() - 2));
        }
    }
    return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
    auto dc = GdiDc(hdc);
    if (!dc) {
        return FALSE;
    }
    QRect area = Span(QPoint(x, y), QPoint(x + width, y + height)).adjusted(0, 0, -1, -1);
    QRgb brush = 0;
    if (auto color = BrushColor(dc->state.brushHandle); color && *color != CLR_INVALID) {
        brush = GdiColor(*color).rgb() & 0x00FFFFFF;
    }
    switch (rop) {
    case PATCOPY:
        return ForEachPixel(hdc, area, [&](QRgb& px, int, int) { px = brush | 0xFF000000; });
    case PATINVERT:
        return ForEachPixel(hdc, area, [&](QRgb& px, int, int) { px ^= brush; });
    case DSTINVERT:
        return ForEachPixel(hdc, area, [](QRgb& px, int, int) { px ^= 0x00FFFFFF; });
    case BLACKNESS:
        return ForEachPixel(hdc, area, [](QRgb& px, int, int) { px = 0xFF000000; });
    case WHITENESS:
        return ForEachPixel(hdc, area, [](QRgb& px, int, int) { px = 0xFFFFFFFF; });
    default:
        return FALSE;
    }
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
    if (width <= 0 || height <= 0) {
        return GdiDc(dest) ? TRUE : FALSE;
    }
    QRect area(x, y, width, height);
    QPoint from(srcX, srcY);
    switch (rop) {
    case SRCCOPY:
        return Transfer(dest, area, src, from, CopySource());
    case SRCPAINT:
        return Transfer(dest, area, src, from, [](QRgb s, QRgb d) { return s | d; });
    case SRCAND:
        return Transfer(dest, area, src, from, [](QRgb s, QRgb d) { return s & d; });
    case SRCINVERT:
        return Transfer(dest, area, src, from, [](QRgb s, QRgb d) { return s ^ d; });
    case NOTSRCCOPY:
        return Transfer(dest, area, src, from, [](QRgb s, QRgb) { return ~s; });
    default:
        return PatBlt(dest, x, y, width, height, rop);
    }
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
    auto dc = GdiDc(hdc);
    auto object = GdiLookupAs<IconObject>(icon, GdiKind::Icon);
    if (!dc || !object) {
        return FALSE;
    }
    GdiPaint(*dc, [&](QPainter& p) { p.drawImage(QPoint(x, y), object->image); });
    return TRUE;
}
