// Scroll bar controls: the SCROLLINFO model and the notifications a person's actions send.
#include "framework_test_util.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/logging_wnd.h"

#include <gtest/gtest.h>

namespace {

using framework_test::L;
using framework_test::Params;
using framework_test::Received;

class ScrollBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateTopLevel(CRect(0, 0, 300, 200)));
        ASSERT_TRUE(
            bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(280, 0, 297, 200), &owner, 1));
        PlatformApp::PumpMessages();
        MessageLog::Clear();
    }
    void TearDown() override { MessageLog::Clear(); }

    SCROLLINFO Info() {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
        bar.GetScrollInfo(&info);
        return info;
    }

    LoggingWnd owner;
    CScrollBar bar;
};

TEST_F(ScrollBarTest, InfoKeepsPageAndPositionInsideTheInclusiveRange) {
    struct {
        const char* name;
        UINT mask;
        int min, max;
        UINT page;
        int pos;
        // what GetScrollInfo answers afterwards
        int wantMin, wantMax;
        UINT wantPage;
        int wantPos;
    } const steps[] = {
        {"new bar", 0, 0, 0, 0, 0, 0, 100, 0, 0},
        {"range and page", SIF_RANGE | SIF_PAGE, 0, 99, 10, 0, 0, 99, 10, 0},
        {"last position is max - page + 1", SIF_POS, 0, 0, 0, 1000, 0, 99, 10, 90},
        {"below min", SIF_POS, 0, 0, 0, -5, 0, 99, 10, 0},
        {"page larger than the range", SIF_PAGE, 0, 0, 500, 0, 0, 99, 100, 0},
        {"page zero allows max", SIF_PAGE | SIF_POS, 0, 0, 0, 99, 0, 99, 0, 99},
        {"shrinking range moves position", SIF_RANGE, 10, 20, 0, 0, 10, 20, 0, 20},
        {"reversed range empties the bar", SIF_RANGE, 5, 1, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        SCROLLINFO info{sizeof(SCROLLINFO), step.mask, step.min, step.max, step.page, step.pos, 0};
        bar.SetScrollInfo(&info);
        SCROLLINFO got = Info();
        EXPECT_EQ(got.nMin, step.wantMin);
        EXPECT_EQ(got.nMax, step.wantMax);
        EXPECT_EQ(got.nPage, step.wantPage);
        EXPECT_EQ(got.nPos, step.wantPos);
        EXPECT_EQ(bar.GetScrollPos(), step.wantPos);
    }
}

TEST_F(ScrollBarTest, Win32CallsReachTheControlAndRejectOtherWindows) {
    EXPECT_TRUE(SetScrollRange(bar.m_hWnd, SB_CTL, 0, 50, TRUE));
    EXPECT_EQ(SetScrollPos(bar.m_hWnd, SB_CTL, 30, TRUE), 0);
    EXPECT_EQ(SetScrollPos(bar.m_hWnd, SB_CTL, 60, TRUE), 30);
    EXPECT_EQ(GetScrollPos(bar.m_hWnd, SB_CTL), 50);
    int min = -1, max = -1;
    bar.GetScrollRange(&min, &max);
    EXPECT_EQ(max, 50);
    EXPECT_EQ(bar.GetScrollLimit(), 50);

    // SB_CTL needs a scroll bar control; a stale bar answers the failure values.
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_FALSE(GetScrollInfo(owner.m_hWnd, SB_CTL, &info));
    HWND stale = bar.m_hWnd;
    bar.DestroyWindow();
    EXPECT_FALSE(GetScrollInfo(stale, SB_CTL, &info));
    EXPECT_EQ(SetScrollPos(stale, SB_CTL, 3, TRUE), 0);
    EXPECT_FALSE(EnableScrollBar(stale, SB_CTL, ESB_DISABLE_BOTH));
}

TEST_F(ScrollBarTest, PersonsActionsNotifyTheOwnerWithCodeAndThumb) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 500, 0};
    bar.SetScrollInfo(&info);
    struct {
        UINT code;
        int thumb;
        Params sent;
    } const actions[] = {
        {SB_LINEDOWN, 0, {{SB_LINEDOWN, L(bar.m_hWnd)}, {SB_ENDSCROLL, L(bar.m_hWnd)}}},
        {SB_LINEUP, 0, {{SB_LINEUP, L(bar.m_hWnd)}, {SB_ENDSCROLL, L(bar.m_hWnd)}}},
        {SB_PAGEDOWN, 0, {{SB_PAGEDOWN, L(bar.m_hWnd)}, {SB_ENDSCROLL, L(bar.m_hWnd)}}},
        {SB_TOP, 0, {{SB_TOP, L(bar.m_hWnd)}, {SB_ENDSCROLL, L(bar.m_hWnd)}}},
        {SB_BOTTOM, 0, {{SB_BOTTOM, L(bar.m_hWnd)}, {SB_ENDSCROLL, L(bar.m_hWnd)}}},
        {SB_THUMBTRACK, 700, {{MAKEWPARAM(SB_THUMBTRACK, 700), L(bar.m_hWnd)}}},
        {SB_THUMBPOSITION,
         800,
         {{MAKEWPARAM(SB_THUMBTRACK, 800), L(bar.m_hWnd)},
          {MAKEWPARAM(SB_THUMBPOSITION, 800), L(bar.m_hWnd)},
          {SB_ENDSCROLL, L(bar.m_hWnd)}}},
    };
    for (const auto& action : actions) {
        SCOPED_TRACE(action.code);
        ASSERT_TRUE(platform::ScrollBarUserAction(bar.m_hWnd, action.code, action.thumb));
        EXPECT_EQ(Received(owner.m_hWnd, WM_VSCROLL), action.sent);
        // The bar does not move by itself: only the owner sets the position.
        EXPECT_EQ(bar.GetScrollPos(), 500);
        MessageLog::Clear();
    }
}

TEST_F(ScrollBarTest, TrackPositionFollowsTheDragUntilRelease) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_POS, 0, 1000, 0, 100, 0};
    bar.SetScrollInfo(&info);
    platform::ScrollBarUserAction(bar.m_hWnd, SB_THUMBTRACK, 300);
    SCROLLINFO during = Info();
    EXPECT_EQ(during.nTrackPos, 300);
    EXPECT_EQ(during.nPos, 100);
    platform::ScrollBarUserAction(bar.m_hWnd, SB_THUMBPOSITION, 400);
    EXPECT_EQ(Info().nTrackPos, 100);
}

// The thumb dragged past the end stops at the last position that shows a whole page:
// max - page + 1, not max.
TEST_F(ScrollBarTest, ThumbDraggedToTheEndStopsAPageBeforeTheMaximum) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 0, 0};
    bar.SetScrollInfo(&info);
    ASSERT_TRUE(platform::ScrollBarUserAction(bar.m_hWnd, SB_THUMBTRACK, 5000));
    EXPECT_EQ(Received(owner.m_hWnd, WM_VSCROLL),
              (Params{{MAKEWPARAM(SB_THUMBTRACK, 901), L(bar.m_hWnd)}}));
    EXPECT_EQ(Info().nTrackPos, 901);
}

TEST_F(ScrollBarTest, NotifyWindowAndDisabledBar) {
    LoggingWnd other;
    ASSERT_TRUE(other.CreateChild(&owner, 2, CRect(0, 0, 100, 100)));
    MessageLog::Clear();
    bar.SetNotifyWnd(other.m_hWnd);
    platform::ScrollBarUserAction(bar.m_hWnd, SB_LINEDOWN);
    EXPECT_TRUE(Received(owner.m_hWnd, WM_VSCROLL).empty());
    EXPECT_EQ(Received(other.m_hWnd, WM_VSCROLL).size(), 2u);

    EXPECT_TRUE(bar.EnableScrollBar(ESB_DISABLE_BOTH));
    EXPECT_FALSE(bar.IsWindowEnabled());
    EXPECT_FALSE(platform::ScrollBarUserAction(bar.m_hWnd, SB_LINEDOWN));
    // A range that cannot scroll disables the bar when asked to, and a usable one enables it.
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_DISABLENOSCROLL, 0, 10, 0, 0, 0};
    bar.SetScrollInfo(&info);
    EXPECT_TRUE(bar.IsWindowEnabled());
    info.nMax = 0;
    bar.SetScrollInfo(&info);
    EXPECT_FALSE(bar.IsWindowEnabled());
}

} // namespace
