// The invalidation model: WM_PAINT only for an invalid region of a shown window, the erase
// flag, validation by BeginPaint, and device contexts drawing into the backing image that
// the widget shows.
#include "platform/core/window_private.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/painting_widget.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/logging_wnd.h"

#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QRgb Red() {
    return qRgb(255, 0, 0);
}
QRgb White() {
    return qRgb(255, 255, 255);
}

// Lets the event loop run, and frames go by, for `ms`.
void RunFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

class Paint : public ::testing::Test {
  protected:
    void SetUp() override {
        wnd.SetHandler([this](LoggingWnd& self, UINT message, WPARAM, LPARAM, LRESULT&) {
            if (message != WM_PAINT) {
                return false;
            }
            PAINTSTRUCT paint;
            self.BeginPaint(&paint);
            painted.push_back(CRect(paint.rcPaint));
            erasedByPaint.push_back(paint.fErase);
            if (onPaint) {
                onPaint();
            }
            self.EndPaint(&paint);
            return true;
        });
        ASSERT_TRUE(wnd.CreateTopLevel(CRect(0, 0, 120, 80)));
        PlatformApp::PumpMessages();
        painted.clear();
        erasedByPaint.clear();
        MessageLog::Clear();
    }

    QRgb Pixel(int x, int y) { return platform::WindowImage(wnd.m_hWnd)->pixel(x, y); }

    void FillWith(COLORREF color, const RECT& rect) {
        HDC hdc = GetDC(wnd.m_hWnd);
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(hdc, &rect, brush);
        DeleteObject(brush);
        ReleaseDC(wnd.m_hWnd, hdc);
    }

    LoggingWnd wnd;
    std::vector<CRect> painted;
    std::vector<BOOL> erasedByPaint;
    std::function<void()> onPaint;
};

TEST_F(Paint, InvalidRegionsCoalesceIntoOnePaint) {
    EXPECT_EQ(PlatformApp::PumpMessages(), 0);
    wnd.InvalidateRect(CRect(10, 10, 20, 20), FALSE);
    wnd.InvalidateRect(CRect(30, 5, 40, 15), FALSE);
    wnd.InvalidateRect(CRect(100, 70, 500, 500), FALSE); // cut to the client area
    CRect update;
    EXPECT_TRUE(wnd.GetUpdateRect(&update));
    EXPECT_EQ(update, CRect(10, 5, 120, 80));
    EXPECT_EQ(PlatformApp::PumpMessages(), 1);
    EXPECT_EQ(painted, std::vector<CRect>{CRect(10, 5, 120, 80)});
    EXPECT_MESSAGES(wnd.m_hWnd, {{WM_PAINT}});
    EXPECT_FALSE(wnd.GetUpdateRect(&update));
    EXPECT_EQ(PlatformApp::PumpMessages(), 0);
}

TEST_F(Paint, EraseFlagSendsEraseBackgroundInsideBeginPaint) {
    wnd.Invalidate(TRUE);
    wnd.UpdateWindow();
    EXPECT_MESSAGES(wnd.m_hWnd, {{WM_PAINT}, {WM_ERASEBKGND}});
    EXPECT_EQ(erasedByPaint, std::vector<BOOL>{FALSE}); // the default procedure erased
    wnd.UpdateWindow();
    EXPECT_MESSAGES(wnd.m_hWnd, {});
}

TEST_F(Paint, ValidatedOrHiddenWindowsGetNoPaint) {
    wnd.Invalidate(FALSE);
    wnd.ValidateRect(nullptr);
    EXPECT_EQ(PlatformApp::PumpMessages(), 0);

    wnd.ShowWindow(SW_HIDE);
    wnd.Invalidate(FALSE);
    EXPECT_EQ(PlatformApp::PumpMessages(), 0);
    wnd.ShowWindow(SW_SHOW);
    EXPECT_EQ(PlatformApp::PumpMessages(), 1);
}

// BeginPaint validates before the handler draws: what is invalidated while painting is
// painted next time, not lost.
TEST_F(Paint, InvalidationWhilePaintingIsKept) {
    bool again = true;
    onPaint = [&]() {
        if (again) {
            wnd.InvalidateRect(CRect(1, 1, 2, 2), FALSE);
        }
        again = false;
    };
    wnd.Invalidate(FALSE);
    PlatformApp::PumpMessages();
    EXPECT_EQ(painted, (std::vector<CRect>{CRect(0, 0, 120, 80), CRect(1, 1, 2, 2)}));
}

// GetDC draws into the backing image at once and the widget shows it; erasing restores the
// window colour.
TEST_F(Paint, DeviceContextsDrawIntoTheImageTheWidgetShows) {
    FillWith(RGB(255, 0, 0), CRect(10, 10, 30, 30));
    EXPECT_EQ(Pixel(10, 10), Red());
    EXPECT_EQ(Pixel(29, 29), Red());
    EXPECT_EQ(Pixel(30, 30), White());
    QImage shown = platform::WindowWidget(wnd.m_hWnd)->grab().toImage();
    EXPECT_EQ(shown.pixel(15, 15), Red());

    wnd.Invalidate(TRUE);
    PlatformApp::PumpMessages();
    EXPECT_EQ(Pixel(15, 15), White());
}

TEST_F(Paint, ResizingFollowsTheClientAreaAndInvalidatesIt) {
    FillWith(RGB(255, 0, 0), CRect(0, 0, 5, 5));
    wnd.MoveWindow(0, 0, 200, 150);
    const QImage* image = platform::WindowImage(wnd.m_hWnd);
    EXPECT_EQ(image->size(), QSize(200, 150));
    EXPECT_EQ(Pixel(2, 2), Red()); // kept until the window repaints
    PlatformApp::PumpMessages();
    EXPECT_EQ(painted, std::vector<CRect>{CRect(0, 0, 200, 150)});
}

// Forty small invalidations and forty text measurements put only the invalid pixels on
// screen, in as many flushes as frames went by (at most one per 16 ms).
TEST_F(Paint, FlushesCopyOnlyTheInvalidRegionOnceAFrame) {
    RunFor(60);
    platform::FlushCounts& counts = platform::PaintingFlushCounts();
    counts = {};
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 40; ++i) {
        wnd.InvalidateRect(CRect(10, 10, 20, 20), FALSE);
        PlatformApp::PumpMessages();
        SIZE size{};
        HDC hdc = GetDC(wnd.m_hWnd);
        GetTextExtentPoint32(hdc, "measure", 7, &size);
        ReleaseDC(wnd.m_hWnd, hdc);
    }
    qint64 frames = clock.elapsed() / platform::kFrameMs + 2;
    RunFor(60);
    EXPECT_EQ(painted.size(), 40u);
    EXPECT_GE(counts.paints, 1u);
    EXPECT_LE(counts.paints, uint64_t(frames));
    EXPECT_EQ(counts.pixels, counts.paints * 100u);
}

// A child under a sibling, and a hidden window, put nothing on screen; uncovered, the child
// is painted from its image.
TEST_F(Paint, HiddenOrCoveredWindowsCopyNothing) {
    LoggingWnd below, above;
    ASSERT_TRUE(below.CreateChild(&wnd, 1, CRect(0, 0, 60, 40)));
    ASSERT_TRUE(above.CreateChild(&wnd, 2, CRect(0, 0, 60, 40)));
    PlatformApp::PumpMessages();
    RunFor(60);
    // Its first paint waits until it shows; without it, what GetDC draws is what shows.
    below.ValidateRect(nullptr);
    platform::FlushCounts& counts = platform::PaintingFlushCounts();
    counts = {};
    HDC hdc = GetDC(below.m_hWnd);
    RECT rect = {0, 0, 60, 40};
    FillRect(hdc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(below.m_hWnd, hdc);
    RunFor(60);
    EXPECT_EQ(counts.pixels, 0u) << "covered";

    above.ShowWindow(SW_HIDE);
    RunFor(60);
    EXPECT_GE(counts.pixels, 60u * 40u) << "uncovered";
    EXPECT_EQ(platform::WindowWidget(below.m_hWnd)->grab().toImage().pixel(5, 5), qRgb(0, 0, 0));

    wnd.ShowWindow(SW_HIDE);
    RunFor(20);
    counts = {};
    FillWith(RGB(255, 0, 0), CRect(0, 0, 120, 80));
    wnd.Invalidate(TRUE);
    PlatformApp::PumpMessages();
    RunFor(60);
    EXPECT_EQ(counts.pixels, 0u) << "hidden";
}

} // namespace
