// CPaintDC and CClientDC over a real window: painting lands in the window's backing image,
// and an inverting drag line drawn twice on a client DC leaves the picture as it was.
#include "platform/core/window_private.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"

#include <gtest/gtest.h>

namespace {

class CPaintedWnd : public CWnd {
  public:
    int paints = 0;

  protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        ++paints;
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(192, 192, 192));
        CBrush white(RGB(255, 255, 255));
        CBrush* old = dc.SelectObject(&white);
        dc.Ellipse(20, 10, 100, 70);
        dc.SelectObject(old);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPaintedWnd, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(WindowDc, PaintDcAndClientDcDrawIntoTheBackingImage) {
    CPaintedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "painted", WS_OVERLAPPED | WS_VISIBLE,
                             CRect(0, 0, 120, 80), nullptr, 0));
    wnd.Invalidate(FALSE);
    wnd.UpdateWindow();
    ASSERT_GE(wnd.paints, 1);
    const QImage* image = platform::WindowImage(wnd.m_hWnd);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixel(2, 2), qRgb(192, 192, 192));
    EXPECT_EQ(image->pixel(60, 40), qRgb(255, 255, 255));
    EXPECT_EQ(image->pixel(20, 40), qRgb(0, 0, 0)); // the default black pen

    const QImage before = image->copy();
    for (int pass = 0; pass < 2; ++pass) {
        CClientDC dc(&wnd);
        int oldRop = dc.SetROP2(R2_NOT);
        dc.MoveTo(5, 5);
        dc.LineTo(110, 70);
        dc.SetROP2(oldRop);
        if (pass == 0) {
            EXPECT_EQ(image->pixel(5, 5), qRgb(63, 63, 63));
        }
    }
    EXPECT_EQ(*image, before);
    wnd.DestroyWindow();
}

} // namespace
