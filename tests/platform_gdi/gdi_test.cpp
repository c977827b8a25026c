// Pixel tests of the GDI drawing calls: raster operations, shapes, block transfers, focus
// rectangles, saved states, clipping and handle validation.
#include "canvas.h"
#include "platform/core/win32_constants.h"
#include "platform/gdi/gdi_private.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);

struct Selected {
    Selected(HDC dc, HGDIOBJ pen, HGDIOBJ brush) : dc(dc), pen(pen), brush(brush) {
        oldPen = SelectObject(dc, pen);
        oldBrush = SelectObject(dc, brush);
    }
    ~Selected() {
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        DeleteObject(pen);
        DeleteObject(brush);
    }
    HDC dc;
    HGDIOBJ pen, brush, oldPen = nullptr, oldBrush = nullptr;
};

using Draw = std::function<void(HDC)>;

struct RopCase {
    const char* name;
    int rop2;
    COLORREF penColor;
    Draw draw;
    QPoint covered; // a pixel the drawing covers (the polyline's corner)
};

void Line(HDC dc) {
    MoveToEx(dc, 10, 10, nullptr);
    LineTo(dc, 60, 10);
    LineTo(dc, 60, 50); // the shared corner must be inverted once, not twice
    LineTo(dc, 15, 70);
}

const RopCase kRopCases[] = {
    {"not_polyline", R2_NOT, RGB(0, 0, 0), Line, {60, 10}},
    {"xor_white_polyline", R2_XORPEN, kWhite, Line, {60, 50}},
    {"not_rectangle", R2_NOT, RGB(0, 0, 0), [](HDC dc) { Rectangle(dc, 5, 5, 70, 40); }, {5, 5}},
    {"xor_ellipse", R2_XORPEN, kWhite, [](HDC dc) { Ellipse(dc, 20, 10, 100, 70); }, {60, 40}},
    {"xor_polygon",
     R2_XORPEN,
     kWhite,
     [](HDC dc) {
         POINT points[] = {{10, 60}, {50, 5}, {90, 60}};
         Polygon(dc, points, 3);
     },
     {50, 40}},
};

// Each raster operation is an involution here: drawing the same shape twice restores every
// pixel, and a single drawing inverts exactly the pixels it covers.
TEST(RasterOps, DrawingTwiceRestoresAndOnceInverts) {
    for (const RopCase& c : kRopCases) {
        SCOPED_TRACE(c.name);
        Canvas canvas;
        canvas.Pattern();
        const QImage original = canvas.image.copy();
        Selected objects(canvas.dc, CreatePen(PS_SOLID, 1, c.penColor), CreateSolidBrush(kWhite));
        SetROP2(canvas.dc, c.rop2);

        c.draw(canvas.dc);
        int changed = 0;
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                QRgb before = original.pixel(x, y), after = canvas.image.pixel(x, y);
                if (before == after) {
                    continue;
                }
                ++changed;
                ASSERT_EQ((before ^ after) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
            }
        }
        EXPECT_GT(changed, 40);
        EXPECT_NE(canvas.image.pixel(c.covered), original.pixel(c.covered));
        c.draw(canvas.dc);
        EXPECT_EQ(canvas.image, original);
    }
}

TEST(RasterOps, LineLeavesOutItsLastPixelAndNopDrawsNothing) {
    Canvas canvas;
    Selected objects(canvas.dc, CreatePen(PS_SOLID, 1, kRed), GetStockObject(NULL_BRUSH));
    MoveToEx(canvas.dc, 10, 10, nullptr);
    LineTo(canvas.dc, 20, 10);
    EXPECT_EQ(canvas.At(10, 10), kRed);
    EXPECT_EQ(canvas.At(19, 10), kRed);
    EXPECT_EQ(canvas.At(20, 10), kWhite);

    SetROP2(canvas.dc, R2_NOP);
    Rectangle(canvas.dc, 30, 30, 60, 60);
    EXPECT_EQ(canvas.Ink(), QRect(10, 10, 10, 1));
}

// The sort arrows are one-pixel diagonals: a line of slope 1:2 meets a midpoint tie at
// every other step, and each tie steps diagonally at once.
TEST(RasterOps, ShallowLinePixelsOnMidpointTies) {
    const struct {
        POINT from, to;
        std::vector<QPoint> pixels;
    } lines[] = {
        {{10, 10}, {14, 12}, {{10, 10}, {11, 11}, {12, 11}, {13, 12}}},
        {{34, 12}, {30, 10}, {{34, 12}, {33, 11}, {32, 11}, {31, 10}}},
        {{50, 10}, {52, 14}, {{50, 10}, {51, 11}, {51, 12}, {52, 13}}},
    };
    Canvas canvas;
    Selected objects(canvas.dc, CreatePen(PS_SOLID, 1, kRed), GetStockObject(NULL_BRUSH));
    std::vector<QPoint> expected;
    for (const auto& line : lines) {
        MoveToEx(canvas.dc, line.from.x, line.from.y, nullptr);
        LineTo(canvas.dc, line.to.x, line.to.y);
        expected.insert(expected.end(), line.pixels.begin(), line.pixels.end());
    }
    std::vector<QPoint> drawn;
    for (int y = 0; y < canvas.image.height(); ++y) {
        for (int x = 0; x < canvas.image.width(); ++x) {
            if (canvas.At(x, y) == kRed) {
                drawn.emplace_back(x, y);
            }
        }
    }
    auto byRow = [](QPoint a, QPoint b) {
        return std::pair(a.y(), a.x()) < std::pair(b.y(), b.x());
    };
    std::sort(expected.begin(), expected.end(), byRow);
    EXPECT_EQ(drawn, expected);
}

struct Sample {
    int x, y;
    COLORREF color;
};

struct ShapeCase {
    const char* name;
    bool nullPen;
    BOOL (*shape)(HDC, int, int, int, int);
    std::vector<Sample> samples;
};

// Shapes over (10, 10, 50, 40): a one-pixel outline on 10..49 x 10..39 around the fill;
// with the null pen the fill alone covers 10..48 x 10..38, as on Windows.
const ShapeCase kShapeCases[] = {
    {"rectangle",
     false,
     Rectangle,
     {{10, 25, kRed},
      {49, 25, kRed},
      {30, 10, kRed},
      {30, 39, kRed},
      {11, 11, kBlue},
      {30, 25, kBlue},
      {48, 38, kBlue},
      {50, 25, kWhite},
      {30, 40, kWhite},
      {9, 25, kWhite}}},
    {"rectangle_null_pen",
     true,
     Rectangle,
     {{10, 10, kBlue}, {48, 38, kBlue}, {49, 25, kWhite}, {30, 39, kWhite}}},
    {"ellipse",
     false,
     Ellipse,
     {{10, 25, kRed},
      {49, 25, kRed},
      {30, 10, kRed},
      {30, 39, kRed},
      {30, 25, kBlue},
      {11, 11, kWhite},
      {48, 38, kWhite},
      {50, 25, kWhite},
      {30, 40, kWhite}}},
    {"ellipse_null_pen",
     true,
     Ellipse,
     {{10, 24, kBlue}, {30, 25, kBlue}, {49, 25, kWhite}, {11, 11, kWhite}}},
};

TEST(Shapes, OutlineWithThePenAndFillWithTheBrush) {
    for (const ShapeCase& c : kShapeCases) {
        SCOPED_TRACE(c.name);
        Canvas canvas;
        HGDIOBJ pen = c.nullPen ? CreatePen(PS_NULL, 1, 0) : CreatePen(PS_SOLID, 1, kRed);
        Selected objects(canvas.dc, pen, CreateSolidBrush(kBlue));
        EXPECT_TRUE(c.shape(canvas.dc, 10, 10, 50, 40));
        for (const Sample& s : c.samples) {
            EXPECT_EQ(canvas.At(s.x, s.y), s.color) << s.x << "," << s.y;
        }
        if (c.nullPen) {
            EXPECT_EQ(canvas.Ink().right(), 48);
        }
    }
}

TEST(Shapes, DottedPenFillsGapsOnlyWhenOpaque) {
    for (int mode : {OPAQUE, TRANSPARENT}) {
        Canvas canvas;
        Selected objects(canvas.dc, CreatePen(PS_DOT, 1, kRed), GetStockObject(NULL_BRUSH));
        SetBkMode(canvas.dc, mode);
        SetBkColor(canvas.dc, kBlue);
        MoveToEx(canvas.dc, 0, 5, nullptr);
        LineTo(canvas.dc, 40, 5);
        int red = 0, blue = 0, white = 0;
        for (int x = 0; x < 40; ++x) {
            COLORREF c = canvas.At(x, 5);
            red += c == kRed;
            blue += c == kBlue;
            white += c == kWhite;
        }
        EXPECT_GT(red, 10);
        EXPECT_EQ(blue, mode == OPAQUE ? 40 - red : 0);
        EXPECT_EQ(white, mode == OPAQUE ? 0 : 40 - red);
    }
}

TEST(BitBlt, CopiesExactPixelsFromAMemoryDc) {
    Canvas canvas;
    canvas.Pattern();
    const QImage source = canvas.image.copy();
    HDC memory = CreateCompatibleDC(canvas.dc);
    HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc, 120, 80);
    HGDIOBJ old = SelectObject(memory, bitmap);
    ASSERT_TRUE(BitBlt(memory, 0, 0, 120, 80, canvas.dc, 0, 0, SRCCOPY));
    canvas.image.fill(Qt::white);

    // From (10, 5) of the bitmap to (70, 50) of the canvas, running off its right and bottom.
    ASSERT_TRUE(BitBlt(canvas.dc, 70, 50, 60, 40, memory, 10, 5, SRCCOPY));
    EXPECT_EQ(canvas.image.copy(70, 50, 50, 30), source.copy(10, 5, 50, 30));
    EXPECT_EQ(canvas.Ink(), QRect(70, 50, 50, 30));

    // SRCINVERT twice restores the destination.
    const QImage before = canvas.image.copy();
    BitBlt(canvas.dc, 0, 0, 120, 80, memory, 0, 0, SRCINVERT);
    EXPECT_NE(canvas.image, before);
    BitBlt(canvas.dc, 0, 0, 120, 80, memory, 0, 0, SRCINVERT);
    EXPECT_EQ(canvas.image, before);

    EXPECT_EQ(SelectObject(memory, old), bitmap);
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST(FocusRect, DottedOutlineAndTwiceRestores) {
    Canvas canvas;
    canvas.Pattern();
    const QImage original = canvas.image.copy();
    RECT rect{10, 10, 40, 30};
    DrawFocusRect(canvas.dc, &rect);
    // Every other outline pixel is inverted; the inside is untouched.
    EXPECT_NE(canvas.image.pixel(10, 10), original.pixel(10, 10));
    EXPECT_EQ(canvas.image.pixel(11, 10), original.pixel(11, 10));
    EXPECT_NE(canvas.image.pixel(39, 29), original.pixel(39, 29));
    EXPECT_EQ(canvas.image.copy(11, 11, 28, 18), original.copy(11, 11, 28, 18));
    EXPECT_EQ(canvas.image.pixel(40, 10), original.pixel(40, 10));
    DrawFocusRect(canvas.dc, &rect);
    EXPECT_EQ(canvas.image, original);
}

TEST(SaveDc, RestoreBringsBackObjectsAndAttributes) {
    Canvas canvas;
    HDC dc = canvas.dc;
    HPEN first = CreatePen(PS_SOLID, 1, kRed), second = CreatePen(PS_SOLID, 3, kBlue);
    HGDIOBJ stockPen = SelectObject(dc, first);
    SetTextColor(dc, kRed);
    EXPECT_EQ(SaveDC(dc), 1);

    SelectObject(dc, second);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, kBlue);
    SetROP2(dc, R2_XORPEN);
    IntersectClipRect(dc, 0, 0, 10, 10);
    EXPECT_EQ(SaveDC(dc), 2);
    SelectObject(dc, GetStockObject(WHITE_PEN));

    EXPECT_TRUE(RestoreDC(dc, -1)); // the most recent state: second pen, clip 10 x 10
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), second);
    RECT clip;
    EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION);
    EXPECT_EQ(clip.right, 10);

    EXPECT_TRUE(RestoreDC(dc, 1));
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), first);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(GetTextColor(dc), kRed);
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    EXPECT_EQ(GetClipBox(dc, &clip), SIMPLEREGION);
    EXPECT_EQ(clip.right, 120);
    EXPECT_FALSE(RestoreDC(dc, 1)); // popped

    SelectObject(dc, stockPen);
    DeleteObject(first);
    DeleteObject(second);
}

TEST(Clipping, ClipViewportAndReleasedSurface) {
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    // A window DC whose logical origin is (10, 5) of the image, clipped to 10..39 x 5..24.
    HDC dc = GdiCreateSurfaceDC(&image, QPoint(10, 5), QRect(10, 5, 30, 20));
    HBRUSH red = CreateSolidBrush(kRed);
    RECT all{-100, -100, 100, 100};
    FillRect(dc, &all, red);
    QRect ink;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    EXPECT_EQ(ink, QRect(10, 5, 30, 20));

    RECT box;
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(QRect(box.left, box.top, box.right - box.left, box.bottom - box.top),
              QRect(0, 0, 30, 20));
    SetViewportOrgEx(dc, 5, 5, nullptr);
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, -5);
    EXPECT_EQ(SetPixel(dc, 0, 0, kBlue), kBlue);
    EXPECT_EQ(image.pixel(15, 10), qRgb(0, 0, 255));
    EXPECT_EQ(IntersectClipRect(dc, 100, 100, 200, 200), NULLREGION);
    EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);

    GdiReleaseSurface(&image);
    image = QImage(); // the DC must not draw into it any more
    EXPECT_TRUE(FillRect(dc, &all, red));
    EXPECT_TRUE(DeleteDC(dc));
    DeleteObject(red);
}

// Calls that take a handle reject a deleted one (and one of the wrong kind) with the Win32
// failure value; the slot is reused under a new generation.
TEST(Handles, StaleAndForeignHandlesAreRejected) {
    Canvas canvas;
    HPEN pen = CreatePen(PS_SOLID, 1, kRed);
    HBRUSH brush = CreateSolidBrush(kRed);
    HDC memory = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(pen && brush && memory);
    SelectObject(canvas.dc, brush);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush)); // still selected: the DC keeps drawing with it
    EXPECT_TRUE(DeleteDC(memory));
    HPEN reused = CreatePen(PS_SOLID, 1, kBlue);
    EXPECT_NE(reused, pen);

    RECT rect{0, 0, 10, 10};
    LOGPEN log;
    EXPECT_EQ(SelectObject(canvas.dc, pen), nullptr);
    EXPECT_FALSE(DeleteObject(pen));
    EXPECT_EQ(GetObject(pen, sizeof log, &log), 0);
    EXPECT_EQ(GetObjectType(brush), 0u);
    EXPECT_EQ(FillRect(canvas.dc, &rect, brush), 0);
    EXPECT_FALSE(DeleteDC(memory));
    EXPECT_EQ(SetTextColor(memory, 0), CLR_INVALID);
    EXPECT_EQ(SetBkMode(memory, OPAQUE), 0);
    EXPECT_FALSE(LineTo(memory, 5, 5));
    EXPECT_FALSE(BitBlt(canvas.dc, 0, 0, 5, 5, memory, 0, 0, SRCCOPY));
    EXPECT_EQ(SaveDC(memory), 0);
    EXPECT_EQ(CreateCompatibleDC(memory), nullptr);
    EXPECT_EQ(SelectObject(canvas.dc, canvas.dc), nullptr); // a DC is not selectable
    EXPECT_FALSE(DeleteDC(static_cast<HDC>(static_cast<void*>(reused))));
    EXPECT_EQ(SelectObject(canvas.dc, reinterpret_cast<HGDIOBJ>(1)), nullptr);

    EXPECT_TRUE(Rectangle(canvas.dc, 0, 0, 10, 10)); // the deleted brush is still selected
    EXPECT_EQ(canvas.At(5, 5), kRed);
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_PEN))); // stock: a no-op
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), DWORD(OBJ_PEN));
    DeleteObject(reused);
}

TEST(SystemColorBrush, ValueOfIndexPlusOneFillsWithTheSystemColour) {
    Canvas canvas;
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(FillRect(canvas.dc, &rect, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)), 1);
    EXPECT_EQ(canvas.At(5, 5), RGB(192, 192, 192));
}

} // namespace
