// Text: DrawText placement and wrapping, TextOut alignment, background modes, font mapping.
#include "canvas.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct FontScope {
    FontScope(HDC dc, const LOGFONT& log) : dc(dc), font(CreateFontIndirect(&log)) {
        old = SelectObject(dc, font);
    }
    ~FontScope() {
        SelectObject(dc, old);
        DeleteObject(font);
    }
    HDC dc;
    HFONT font;
    HGDIOBJ old;
};

LOGFONT Font(LONG height, LONG weight = FW_NORMAL, const char* face = "Arial") {
    LOGFONT log{};
    log.lfHeight = height;
    log.lfWeight = weight;
    std::strncpy(log.lfFaceName, face, LF_FACESIZE - 1);
    return log;
}

struct AlignCase {
    UINT format;
    int expected; // 0 left, 1 centre, 2 right
};

TEST(DrawText, SingleLineAlignmentInsideTheRectangle) {
    const AlignCase cases[] = {{DT_LEFT, 0}, {DT_CENTER, 1}, {DT_RIGHT, 2}};
    for (const AlignCase& c : cases) {
        SCOPED_TRACE(c.format);
        Canvas canvas(200, 60);
        SetBkMode(canvas.dc, TRANSPARENT);
        RECT rect{20, 10, 180, 50};
        int height = DrawText(canvas.dc, "Bytes", -1, &rect,
                              c.format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        QRect ink = canvas.Ink();
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(QRect(20, 10, 160, 40).contains(ink));
        EXPECT_GT(height, 0);
        int expectedCentre[] = {20 + ink.width() / 2, 100, 180 - ink.width() / 2};
        EXPECT_NEAR(ink.center().x(), expectedCentre[c.expected], 3);
        EXPECT_NEAR(ink.center().y(), 30, 4);
    }
}

TEST(DrawText, WordBreakWrapsAndStaysInside) {
    Canvas canvas(200, 120);
    FontScope font(canvas.dc, Font(-12));
    SetBkMode(canvas.dc, TRANSPARENT);
    const char* text = "Source Destination Bytes Packets Errors";
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(canvas.dc, &tm));

    RECT measure{10, 10, 90, 10};
    int calcHeight = DrawText(canvas.dc, text, -1, &measure, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(calcHeight % tm.tmHeight, 0);
    EXPECT_GE(calcHeight / tm.tmHeight, 3);
    EXPECT_EQ(measure.bottom - measure.top, calcHeight);
    EXPECT_LE(measure.right, 90);
    EXPECT_TRUE(canvas.Ink().isEmpty()); // DT_CALCRECT draws nothing

    RECT rect{10, 10, 90, 110};
    EXPECT_EQ(DrawText(canvas.dc, text, -1, &rect, DT_WORDBREAK | DT_CENTER), calcHeight);
    QRect ink = canvas.Ink();
    EXPECT_TRUE(QRect(10, 10, 80, 100).contains(ink));
    EXPECT_GT(ink.height(), 2 * tm.tmHeight);

    RECT oneLine{10, 10, 90, 110};
    EXPECT_EQ(DrawText(canvas.dc, text, -1, &oneLine, DT_CALCRECT), tm.tmHeight);
    SIZE extent;
    GetTextExtentPoint32(canvas.dc, text, static_cast<int>(std::strlen(text)), &extent);
    EXPECT_EQ(oneLine.right - oneLine.left, extent.cx);
    EXPECT_EQ(extent.cy, tm.tmHeight);
}

TEST(DrawText, EllipsisKeepsTheTextInsideEvenUnclipped) {
    for (UINT ellipsis : {0u, UINT(DT_END_ELLIPSIS)}) {
        Canvas canvas(200, 40);
        RECT rect{10, 5, 60, 35};
        DrawText(canvas.dc, "a long conversation name", -1, &rect,
                 DT_SINGLELINE | DT_NOCLIP | ellipsis);
        if (ellipsis) {
            EXPECT_LT(canvas.Ink().right(), 60);
        } else {
            EXPECT_GT(canvas.Ink().right(), 60);
        }
    }
}

struct TextAlignCase {
    UINT align;
    QRect expectedSide; // the ink must lie in this area around the reference point (100, 40)
};

TEST(TextOut, AlignmentPlacesTheCellAroundThePoint) {
    const TextAlignCase cases[] = {
        {TA_LEFT | TA_TOP, QRect(100, 40, 100, 40)},
        {TA_RIGHT | TA_BOTTOM, QRect(0, 0, 100, 40)},
        {TA_CENTER | TA_TOP, QRect(60, 40, 80, 40)},
        {TA_LEFT | TA_BASELINE, QRect(100, 20, 100, 24)},
    };
    for (const TextAlignCase& c : cases) {
        SCOPED_TRACE(c.align);
        Canvas canvas(200, 80);
        SetBkMode(canvas.dc, TRANSPARENT);
        SetTextAlign(canvas.dc, c.align);
        EXPECT_TRUE(TextOut(canvas.dc, 100, 40, "Wq", 2));
        QRect ink = canvas.Ink();
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(c.expectedSide.contains(ink))
            << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    }
}

TEST(TextOut, OpaqueModeFillsTheCellWithTheBackgroundColour) {
    Canvas canvas(100, 40);
    SetBkColor(canvas.dc, RGB(0, 0, 255));
    TextOut(canvas.dc, 10, 5, "ab", 2);
    SIZE extent;
    GetTextExtentPoint32(canvas.dc, "ab", 2, &extent);
    EXPECT_EQ(canvas.Ink(), QRect(10, 5, extent.cx, extent.cy));
    EXPECT_EQ(canvas.At(10, 5), RGB(0, 0, 255));
}

TEST(Fonts, HeightsWeightsAndFamilies) {
    Canvas canvas;
    TEXTMETRIC tm;
    {
        FontScope font(canvas.dc, Font(20)); // cell height
        GetTextMetrics(canvas.dc, &tm);
        EXPECT_NEAR(tm.tmHeight, 20, 1);
        EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    }
    SIZE normal, bold;
    {
        FontScope font(canvas.dc, Font(-20)); // character height: the cell is taller
        GetTextMetrics(canvas.dc, &tm);
        EXPECT_GT(tm.tmHeight, 20);
        EXPECT_EQ(tm.tmInternalLeading, tm.tmHeight - 20);
        GetTextExtentPoint32(canvas.dc, "Matrix", 6, &normal);
    }
    {
        FontScope font(canvas.dc, Font(-20, FW_BOLD));
        GetTextExtentPoint32(canvas.dc, "Matrix", 6, &bold);
    }
    EXPECT_GT(bold.cx, normal.cx);

    SIZE natural, narrow; // an average width of 5 squeezes a 15-pixel serif font
    LOGFONT times = Font(15, FW_NORMAL, "Times New Roman");
    {
        FontScope font(canvas.dc, times);
        GetTextExtentPoint32(canvas.dc, "conversation", 12, &natural);
    }
    times.lfWidth = 5;
    {
        FontScope font(canvas.dc, times);
        GetTextExtentPoint32(canvas.dc, "conversation", 12, &narrow);
        GetTextMetrics(canvas.dc, &tm);
    }
    EXPECT_LT(narrow.cx, natural.cx);
    EXPECT_NEAR(tm.tmAveCharWidth, 5, 1);

    const std::pair<const char*, const char*> families[] = {
        {"Times New Roman", "DejaVu Serif"},
        {"Courier New", "DejaVu Sans Mono"},
        {"MS Sans Serif", "DejaVu Sans"},
        {"", "DejaVu Sans"},
    };
    for (const auto& [face, family] : families) {
        LOGFONT log = Font(15, FW_NORMAL, face);
        HFONT font = CreateFontIndirect(&log);
        EXPECT_EQ(QFontInfo(GdiQFont(font)).family().toStdString(), family) << face;
        DeleteObject(font);
    }

    LOGFONT gui;
    ASSERT_EQ(GetObject(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui), int(sizeof gui));
    EXPECT_EQ(gui.lfHeight, -11);
}

} // namespace
