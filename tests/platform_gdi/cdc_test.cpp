// Framework wrappers: CDC selection answers framework objects, owners free their handles.
#include "canvas.h"
#include "platform/framework/cdc.h"
#include "platform/gdi/gdi_private.h"

#include <gtest/gtest.h>

namespace {

TEST(CDC, SelectObjectAnswersThePreviousFrameworkObject) {
    Canvas canvas;
    CDC dc;
    ASSERT_TRUE(dc.Attach(canvas.dc));
    EXPECT_EQ(CDC::FromHandle(canvas.dc), &dc);
    CPen red(PS_SOLID, 1, RGB(255, 0, 0));
    CPen blue(PS_SOLID, 1, RGB(0, 0, 255));

    CPen* stock = dc.SelectObject(&red);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(stock->m_hObject, GetStockObject(BLACK_PEN));
    EXPECT_EQ(dc.SelectObject(&blue), &red);
    EXPECT_EQ(dc.GetCurrentPen(), &blue);
    EXPECT_EQ(dc.SelectObject(stock), &blue);

    CBrush* oldBrush = static_cast<CBrush*>(dc.SelectStockObject(NULL_BRUSH));
    EXPECT_EQ(oldBrush->m_hObject, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(oldBrush->IsKindOf(RUNTIME_CLASS(CBrush)));
    dc.Detach(); // the canvas owns the handle
}

TEST(CDC, OwnersReleaseTheirHandles) {
    Canvas canvas;
    DeleteDC(CreateCompatibleDC(nullptr)); // makes the stock bitmap of memory DCs
    size_t before = GdiLiveObjectCount();
    {
        CDC screen;
        screen.Attach(canvas.dc);
        CDC memory;
        ASSERT_TRUE(memory.CreateCompatibleDC(&screen));
        CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 30, 20));
        BITMAP info;
        ASSERT_EQ(bitmap.GetBitmap(&info), int(sizeof info));
        EXPECT_EQ(info.bmWidth, 30);
        EXPECT_EQ(info.bmHeight, 20);
        CBitmap* old = memory.SelectObject(&bitmap);

        CFont font;
        LOGFONT log{};
        log.lfHeight = 14;
        ASSERT_TRUE(font.CreateFontIndirect(&log));
        EXPECT_FALSE(font.CreateFontIndirect(&log)); // a second object is refused, not leaked
        LOGFONT back;
        ASSERT_EQ(font.GetLogFont(&back), int(sizeof back));
        EXPECT_EQ(back.lfHeight, 14);
        CBrush brush(RGB(1, 2, 3));
        CPen pen(PS_DOT, 1, 0);

        memory.SelectObject(old);
        screen.Detach();
    }
    EXPECT_EQ(GdiLiveObjectCount(), before);
}

// Filling a solid rectangle leaves its colour as the DC's background colour, so text drawn
// afterwards sits on the same colour.
TEST(CDC, FillSolidRectSetsTheBackgroundColour) {
    Canvas canvas;
    CDC dc;
    dc.Attach(canvas.dc);
    CRect rect(0, 0, 120, 80);
    dc.FillSolidRect(&rect, RGB(192, 192, 192));
    EXPECT_EQ(dc.GetBkColor(), RGB(192, 192, 192));
    EXPECT_EQ(canvas.At(119, 79), RGB(192, 192, 192));
    EXPECT_TRUE(dc.TextOut(5, 5, std::string("node")));
    EXPECT_EQ(canvas.At(5, 5), RGB(192, 192, 192));
    EXPECT_EQ(canvas.Ink(RGB(192, 192, 192)).isEmpty(), false);
    dc.Detach();
}

} // namespace
