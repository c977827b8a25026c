// Renders a frame with a child frame holding a two-page tab window into a PNG that a person
// can look at (framework_render.png in this test's build folder).
#include "platform/afx.h"
#include "platform/platform_app.h"
#include "platform/window_private.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const COLORREF kEllipseFill = RGB(255, 200, 0);

// A page painted with lines, text and an ellipse through the device-context classes.
class DrawingPage : public CWnd {
  protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect client;
        GetClientRect(&client);
        dc.FillSolidRect(&client, RGB(255, 255, 255));
        CPen pen(PS_SOLID, 2, RGB(0, 0, 160));
        CBrush fill(kEllipseFill);
        CPen* oldPen = dc.SelectObject(&pen);
        CBrush* oldBrush = dc.SelectObject(&fill);
        for (int x = 10; x < client.right; x += 40) {
            dc.MoveTo(x, 10);
            dc.LineTo(client.right - x, client.bottom - 10);
        }
        dc.Ellipse(client.right / 4, client.bottom / 4, client.right * 3 / 4,
                   client.bottom * 3 / 4);
        dc.SetBkMode(TRANSPARENT);
        dc.TextOut(20, 20, std::string("Matrix page: lines, text and an ellipse"));
        dc.SelectObject(oldBrush);
        dc.SelectObject(oldPen);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DrawingPage, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

TEST(RenderTest, FrameChildTabWindowAndPaintedPage) {
    SECMDIFrameWnd frame;
    ASSERT_TRUE(
        frame.Create(nullptr, "Quillon", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 640, 480)));
    HMENU bar = CreateMenu();
    HMENU matrix = CreatePopupMenu();
    AppendMenu(matrix, MF_STRING, 32786, "&Utilization");
    AppendMenu(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(matrix), "&Matrix");
    ASSERT_TRUE(SetMenu(frame.m_hWnd, bar));

    auto* child = new SECWorksheet;
    ASSERT_TRUE(child->Create(nullptr, "Node 10.0.0.1", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                              CRect(10, 10, 560, 380), &frame));
    SECTabWnd tabs;
    ASSERT_TRUE(tabs.Create(child, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL));
    CRect client;
    child->GetClientRect(&client);
    tabs.MoveWindow(&client);
    DrawingPage drawing;
    CWnd plain;
    ASSERT_TRUE(drawing.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &tabs, 6001));
    ASSERT_TRUE(plain.Create(nullptr, "", WS_CHILD, CRect(0, 0, 0, 0), &tabs, 6002));
    tabs.AddTab(&drawing, "Matrix");
    tabs.AddTab(&plain, "Nodes");
    PlatformApp::PumpMessages();

    QImage image = platform::WindowWidget(frame.m_hWnd)->grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(FRAMEWORK_RENDER_PNG));
    QColor fill(GetRValue(kEllipseFill), GetGValue(kEllipseFill), GetBValue(kEllipseFill));
    int filled = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            filled += image.pixelColor(x, y) == fill ? 1 : 0;
        }
    }
    EXPECT_GT(filled, 1000); // the page's ellipse reached the screen
    frame.DestroyWindow();
    PlatformApp::PumpMessages();
}

} // namespace
