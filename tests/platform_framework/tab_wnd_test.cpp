// The tab window: pages, activation told to the parent, and the shared scroll bars.
#include "framework_test_util.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/input_simulator.h"
#include "tests/support/logging_wnd.h"

#include <gtest/gtest.h>

namespace {

using framework_test::L;
using framework_test::Params;
using framework_test::Received;

class TabWndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 400, 300)));
        ASSERT_TRUE(tabs.Create(&parent, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL));
        tabs.MoveWindow(0, 0, 400, 300);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(pages[i].CreateChild(&tabs, 6001 + i, CRect(0, 0, 0, 0)));
        }
        ASSERT_EQ(tabs.AddTab(&pages[0], "Matrix"), 0);
        ASSERT_EQ(tabs.AddTab(&pages[1], "Nodes"), 1);
        ASSERT_EQ(tabs.AddTab(&pages[2], "Errors"), 2);
        PlatformApp::PumpMessages();
        MessageLog::Clear();
    }
    void TearDown() override { MessageLog::Clear(); }

    LoggingWnd parent;
    SECTabWnd tabs;
    LoggingWnd pages[3];
};

TEST_F(TabWndTest, FirstPageIsActiveWithoutNotice) {
    EXPECT_EQ(tabs.GetDlgCtrlID(), 59648);
    int active = -1;
    ASSERT_TRUE(tabs.GetActiveTab(active));
    EXPECT_EQ(active, 0);
    EXPECT_TRUE(pages[0].IsWindowVisible());
    EXPECT_FALSE(pages[1].IsWindowVisible());
    EXPECT_EQ(tabs.GetTabCount(), 3);
    EXPECT_TRUE(Received(parent.m_hWnd, TCM_TABSEL).empty());
}

TEST_F(TabWndTest, ActivationSendsPositionToParentAndShowsOnlyThatPage) {
    ASSERT_TRUE(tabs.ActivateTab(2));
    EXPECT_EQ(Received(parent.m_hWnd, TCM_TABSEL), (Params{{2, L(&pages[2])}}));
    CWnd* page = nullptr;
    ASSERT_TRUE(tabs.GetActiveTab(page));
    EXPECT_EQ(page, &pages[2]);
    EXPECT_TRUE(pages[2].IsWindowVisible());
    EXPECT_FALSE(pages[0].IsWindowVisible());
    // The active page fills the tab window above the tab row, left of the vertical bar.
    CRect rect;
    pages[2].GetWindowRect(&rect);
    tabs.ScreenToClient(&rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 400 - GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_LT(rect.bottom, 300);

    MessageLog::Clear();
    ASSERT_TRUE(tabs.ActivateTab(&pages[1]));
    ASSERT_TRUE(tabs.ActivateTab(&pages[1]));
    EXPECT_EQ(Received(parent.m_hWnd, TCM_TABSEL), (Params{{1, L(&pages[1])}, {1, L(&pages[1])}}));
    EXPECT_FALSE(tabs.ActivateTab(3));
    EXPECT_FALSE(tabs.ActivateTab(&parent));
}

// As a Windows tab control: the count, and activation answering the tab active before.
TEST_F(TabWndTest, MessagesCountAndActivateTabs) {
    EXPECT_EQ(::SendMessage(tabs.m_hWnd, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(::SendMessage(tabs.m_hWnd, TCM_SETCURSEL, 2, 0), 0);
    EXPECT_EQ(Received(parent.m_hWnd, TCM_TABSEL), (Params{{2, L(&pages[2])}}));
    EXPECT_EQ(::SendMessage(tabs.m_hWnd, TCM_SETCURSEL, 3, 0), -1);
    EXPECT_TRUE(pages[2].IsWindowVisible());
}

TEST_F(TabWndTest, ClickOnTabActivatesIt) {
    // Tabs run left to right along the bottom row; the last one lies furthest right.
    input::Press(tabs.m_hWnd, 5, 295);
    input::Release(tabs.m_hWnd, 5, 295);
    EXPECT_EQ(Received(parent.m_hWnd, TCM_TABSEL), (Params{{0, L(&pages[0])}}));
    MessageLog::Clear();
    for (int x = 20; x < 200; x += 10) {
        input::Press(tabs.m_hWnd, x, 295);
        input::Release(tabs.m_hWnd, x, 295);
    }
    Params seen = Received(parent.m_hWnd, TCM_TABSEL);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().first, 2u);
}

TEST_F(TabWndTest, MembershipInfoAndRemovedPages) {
    LoggingWnd stranger;
    ASSERT_TRUE(stranger.CreateChild(&parent, 9, CRect(0, 0, 10, 10)));
    EXPECT_TRUE(tabs.TabExists(&pages[1]));
    EXPECT_FALSE(tabs.TabExists(&stranger));
    EXPECT_FALSE(tabs.TabExists(3));
    int position = -1;
    EXPECT_TRUE(tabs.FindTab(&pages[2], position));
    EXPECT_EQ(position, 2);

    LPCSTR label = nullptr;
    BOOL selected = TRUE;
    CWnd* page = nullptr;
    void* extra = &position;
    ASSERT_TRUE(tabs.GetTabInfo(1, label, selected, page, extra));
    EXPECT_STREQ(label, "Nodes");
    EXPECT_FALSE(selected);
    EXPECT_EQ(page, &pages[1]);
    EXPECT_EQ(tabs.GetTabWnd(2), &pages[2]);

    // A page whose window is gone is no longer a member.
    pages[1].DestroyWindow();
    EXPECT_FALSE(tabs.TabExists(&pages[1]));
    EXPECT_EQ(tabs.GetTabWnd(1), nullptr);
    // Removing the active tab activates the next live page.
    ASSERT_TRUE(tabs.RemoveTab(0));
    ASSERT_TRUE(tabs.GetActiveTab(position));
    EXPECT_EQ(position, 1);
    EXPECT_EQ(tabs.GetTabWnd(1), &pages[2]);
}

TEST_F(TabWndTest, SharedScrollBarsTalkToTheActivePage) {
    CScrollBar* vert = tabs.GetScrollBar(SB_VERT, &pages[0]);
    CScrollBar* horz = tabs.GetScrollBar(SB_HORZ);
    ASSERT_NE(vert, nullptr);
    ASSERT_NE(horz, nullptr);
    EXPECT_NE(vert, horz);
    LoggingWnd stranger;
    ASSERT_TRUE(stranger.CreateChild(&parent, 9, CRect(0, 0, 10, 10)));
    EXPECT_EQ(tabs.GetScrollBar(SB_VERT, &stranger), nullptr);
    EXPECT_EQ(tabs.GetScrollBar(SB_CTL), nullptr);

    tabs.ActivateTab(1);
    MessageLog::Clear();
    platform::ScrollBarUserAction(vert->m_hWnd, SB_LINEDOWN);
    platform::ScrollBarUserAction(horz->m_hWnd, SB_PAGEUP);
    EXPECT_EQ(Received(pages[1].m_hWnd, WM_VSCROLL),
              (Params{{SB_LINEDOWN, L(vert->m_hWnd)}, {SB_ENDSCROLL, L(vert->m_hWnd)}}));
    EXPECT_EQ(Received(pages[1].m_hWnd, WM_HSCROLL).size(), 2u);
    EXPECT_TRUE(Received(pages[0].m_hWnd, WM_VSCROLL).empty());

    SECTabWnd plain;
    ASSERT_TRUE(plain.Create(&parent));
    EXPECT_EQ(plain.GetScrollBar(SB_VERT), nullptr);
    EXPECT_EQ(plain.GetScrollBar(SB_HORZ), nullptr);
}

} // namespace
