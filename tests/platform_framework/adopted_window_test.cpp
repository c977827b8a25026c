// Widgets made outside the platform, adopted as child windows (the host's graph charts).
#include "platform/core/timer_clock.h"
#include "platform/core/window_private.h"
#include "platform/framework/adopted_window.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/logging_wnd.h"

#include <QLabel>
#include <QPointer>

#include <gtest/gtest.h>

namespace {

int g_ticks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    ++g_ticks;
}

class AdoptedWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 400, 300))); }
    void TearDown() override {
        if (IsWindow(parent.m_hWnd)) {
            parent.DestroyWindow();
        }
        PlatformApp::PumpMessages();
    }

    LoggingWnd parent;
};

TEST_F(AdoptedWindowTest, AdoptedWidgetIsAChildWindowPlacedByMoveWindow) {
    auto* label = new QLabel("chart");
    HWND child = platform::AdoptWidget(label, parent.m_hWnd, 7, WS_VISIBLE);
    ASSERT_TRUE(IsWindow(child));
    EXPECT_EQ(GetParent(child), parent.m_hWnd);
    EXPECT_EQ(GetDlgItem(parent.m_hWnd, 7), child);
    EXPECT_EQ(platform::WindowWidget(child), label);
    EXPECT_EQ(label->parentWidget(), platform::WindowClientWidget(parent.m_hWnd));
    MoveWindow(child, -2, -2, 302, 202, TRUE);
    EXPECT_EQ(label->geometry(), QRect(-2, -2, 302, 202));
    RECT rect{};
    GetClientRect(child, &rect);
    EXPECT_EQ(rect.right, 302);
}

TEST_F(AdoptedWindowTest, DestroyedWithItsParentWidgetAndTimersGo) {
    QPointer<QLabel> label = new QLabel("chart");
    int destroyed = 0;
    HWND child = platform::AdoptWidget(label, parent.m_hWnd, 7, WS_VISIBLE, [&] { ++destroyed; });
    g_ticks = 0;
    SetTimer(child, 1, 100, &CountTick);
    TimerClock::Advance(100);
    EXPECT_EQ(g_ticks, 1);
    parent.DestroyWindow();
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(destroyed, 1);
    TimerClock::Advance(500);
    EXPECT_EQ(g_ticks, 1);
    PlatformApp::PumpMessages();
    EXPECT_TRUE(label.isNull());
}

TEST_F(AdoptedWindowTest, NoParentNoWindowAndTheWidgetIsDeleted) {
    QPointer<QLabel> label = new QLabel("chart");
    EXPECT_EQ(platform::AdoptWidget(label, nullptr, 7, WS_VISIBLE), nullptr);
    EXPECT_TRUE(label.isNull());
}

} // namespace
