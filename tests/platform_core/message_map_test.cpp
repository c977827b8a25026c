// Message maps: crackers decode parameters once and correctly (signed coordinates, wheel
// deltas, key data), maps chain from the most derived class, commands and notifications
// match on their ids, and run-time class records answer IsKindOf and CreateObject.
#include "platform/framework/afx.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

class CBaseWnd : public CWnd {
    DECLARE_DYNAMIC(CBaseWnd)
  public:
    UINT sizeType = 0;
    int sizeCx = 0, sizeCy = 0;

  protected:
    afx_msg void OnSize(UINT nType, int cx, int cy) {
        sizeType = nType;
        sizeCx = cx;
        sizeCy = cy;
    }
    afx_msg void OnBaseCommand() { g_calls.push_back("base 100"); }
    afx_msg void OnBaseOnly() { g_calls.push_back("base 200"); }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNAMIC(CBaseWnd, CWnd)

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_WM_SIZE()
ON_COMMAND(100, OnBaseCommand)
ON_COMMAND(200, OnBaseOnly)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
    DECLARE_DYNCREATE(CDerivedWnd)
  public:
    bool refuseCreate = false;
    UINT flags = 0;
    CPoint point;
    short wheelDelta = 0;
    UINT keyChar = 0, keyRepeat = 0, keyFlags = 0;
    UINT timerId = 0;
    CWnd* contextWnd = nullptr;

  protected:
    afx_msg int OnCreate(LPCREATESTRUCT) { return refuseCreate ? -1 : 0; }
    afx_msg void OnLButtonDown(UINT nFlags, CPoint pt) {
        flags = nFlags;
        point = pt;
    }
    afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) {
        flags = nFlags;
        wheelDelta = zDelta;
        point = pt;
        return TRUE;
    }
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
        keyChar = nChar;
        keyRepeat = nRepCnt;
        keyFlags = nFlags;
    }
    afx_msg void OnTimer(UINT nIDEvent) { timerId = nIDEvent; }
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos) {
        contextWnd = pWnd;
        point = pos;
    }
    afx_msg void OnRange(UINT id) { g_calls.push_back("derived " + std::to_string(id)); }
    afx_msg LRESULT OnUserMessage(WPARAM wParam, LPARAM lParam) { return LRESULT(wParam + lParam); }
    afx_msg void OnBeginEdit(NMHDR* header, LRESULT* result) {
        g_calls.push_back("notify " + std::to_string(header->idFrom));
        *result = 7;
    }
    DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CDerivedWnd, CBaseWnd)

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_WM_CREATE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEWHEEL()
ON_WM_KEYDOWN()
ON_WM_TIMER()
ON_WM_CONTEXTMENU()
ON_COMMAND_RANGE(100, 110, OnRange)
ON_MESSAGE(WM_USER + 1, OnUserMessage)
ON_NOTIFY(1125, 6301, OnBeginEdit)
END_MESSAGE_MAP()

class MessageMapTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_calls.clear();
        ASSERT_TRUE(
            wnd.CreateEx(0, nullptr, "map", WS_OVERLAPPED, CRect(0, 0, 200, 100), nullptr, 0));
    }
    CDerivedWnd wnd;
};

TEST_F(MessageMapTest, MouseCrackersSignExtendCoordinates) {
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, -32768));
    EXPECT_EQ(wnd.flags, UINT(MK_LBUTTON | MK_SHIFT));
    EXPECT_EQ(wnd.point, CPoint(-5, -32768));

    wnd.SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(32767, 40));
    EXPECT_EQ(wnd.point, CPoint(32767, 40));
}

TEST_F(MessageMapTest, WheelKeyTimerAndContextMenuCrackers) {
    EXPECT_EQ(wnd.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -240), MAKELPARAM(300, -2)),
              TRUE);
    EXPECT_EQ(wnd.flags, UINT(MK_CONTROL));
    EXPECT_EQ(wnd.wheelDelta, -240);
    EXPECT_EQ(wnd.point, CPoint(300, -2));

    wnd.SendMessage(WM_KEYDOWN, VK_DOWN, LPARAM(0x40510003));
    EXPECT_EQ(wnd.keyChar, UINT(VK_DOWN));
    EXPECT_EQ(wnd.keyRepeat, 3u);
    EXPECT_EQ(wnd.keyFlags, 0x4051u);

    wnd.SendMessage(WM_TIMER, 99, 0);
    EXPECT_EQ(wnd.timerId, 99u);

    wnd.SendMessage(WM_CONTEXTMENU, WPARAM(wnd.m_hWnd), MAKELPARAM(-1, -1));
    EXPECT_EQ(wnd.contextWnd, &wnd);
    EXPECT_EQ(wnd.point, CPoint(-1, -1));
}

// The most derived map answers first; what it does not list falls to the base map, and
// what no map lists to the default procedure.
TEST_F(MessageMapTest, CommandsSearchTheChainFromTheDerivedClass) {
    wnd.SendMessage(WM_COMMAND, 100, 0);
    wnd.SendMessage(WM_COMMAND, 110, 0);
    wnd.SendMessage(WM_COMMAND, 200, 0);
    EXPECT_EQ(wnd.SendMessage(WM_COMMAND, 111, 0), 0);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), 0); // accelerator code: not CN_COMMAND
    EXPECT_EQ(g_calls, (std::vector<std::string>{"derived 100", "derived 110", "base 200"}));

    wnd.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480));
    EXPECT_EQ(wnd.sizeType, UINT(SIZE_MAXIMIZED));
    EXPECT_EQ(wnd.sizeCx, 640);
    EXPECT_EQ(wnd.sizeCy, 480);
}

TEST_F(MessageMapTest, MessagesAndNotificationsMatchTheirIds) {
    EXPECT_EQ(wnd.SendMessage(WM_USER + 1, 40, 2), 42);
    EXPECT_EQ(wnd.SendMessage(WM_USER + 2, 40, 2), 0);

    NMHDR header = {nullptr, 6301, 1125};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 6301, reinterpret_cast<LPARAM>(&header)), 7);
    NMHDR otherControl = {nullptr, 6302, 1125};
    NMHDR otherCode = {nullptr, 6301, 1126};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 6302, reinterpret_cast<LPARAM>(&otherControl)), 0);
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 6301, reinterpret_cast<LPARAM>(&otherCode)), 0);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"notify 6301"}));
}

TEST(MessageMapCreate, OnCreateRefusalFailsCreateAndLeavesNoWindow) {
    CDerivedWnd wnd;
    wnd.refuseCreate = true;
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, "", WS_OVERLAPPED, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST(RuntimeClass, KindsAndDynamicCreation) {
    CDerivedWnd derived;
    EXPECT_TRUE(derived.IsKindOf(RUNTIME_CLASS(CDerivedWnd)));
    EXPECT_TRUE(derived.IsKindOf(RUNTIME_CLASS(CBaseWnd)));
    EXPECT_TRUE(derived.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(derived.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(derived.IsKindOf(nullptr));
    CBaseWnd base;
    EXPECT_FALSE(base.IsKindOf(RUNTIME_CLASS(CDerivedWnd)));
    EXPECT_STREQ(derived.GetRuntimeClass()->m_lpszClassName, "CDerivedWnd");

    CObject* created = RUNTIME_CLASS(CDerivedWnd)->CreateObject();
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetRuntimeClass(), RUNTIME_CLASS(CDerivedWnd));
    delete created;
    EXPECT_EQ(RUNTIME_CLASS(CBaseWnd)->CreateObject(), nullptr);
}

} // namespace
