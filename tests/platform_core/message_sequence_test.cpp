// Message sequences of window actions, compared with the messages Windows sends for them.
#include "platform/core/timer_clock.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/input_simulator.h"
#include "tests/support/logging_wnd.h"

#include "platform/core/window_private.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

LPARAM Pt(int x, int y) {
    return MAKELPARAM(x, y);
}
WPARAM H(HWND hWnd) {
    return reinterpret_cast<WPARAM>(hWnd);
}
LPARAM L(HWND hWnd) {
    return reinterpret_cast<LPARAM>(hWnd);
}

// A visible top-level window at (10, 20), 300 x 200, with a visible child 7 at (5, 5),
// 100 x 50; so the child's client origin is (15, 25) on the screen.
class MessageSequence : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateTopLevel(CRect(10, 20, 310, 220)));
        ASSERT_TRUE(child.CreateChild(&parent, 7, CRect(5, 5, 105, 55)));
        PlatformApp::PumpMessages();
        MessageLog::Clear();
    }
    void TearDown() override {
        ReleaseCapture();
        SetFocus(nullptr);
        MessageLog::Clear();
    }

    LoggingWnd parent;
    LoggingWnd child;
};

TEST(MessageSequenceCreate, CreateThenShowThenPaint) {
    MessageLog::Clear();
    LoggingWnd parent;
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 200, 100), WS_OVERLAPPED));
    EXPECT_MESSAGES(parent.m_hWnd, {{WM_NCCREATE},
                                    {WM_CREATE},
                                    {WM_SIZE, kParams, SIZE_RESTORED, Pt(200, 100)},
                                    {WM_MOVE, kLParam, 0, Pt(0, 0)}});

    LoggingWnd child;
    ASSERT_TRUE(child.CreateChild(&parent, 42, CRect(1, 2, 11, 22)));
    EXPECT_MESSAGES(nullptr, {{WM_NCCREATE},
                              {WM_CREATE},
                              {WM_SIZE, kParams, SIZE_RESTORED, Pt(10, 20)},
                              {WM_MOVE, kLParam, 0, Pt(1, 2)},
                              {WM_PARENTNOTIFY, kParams, MAKEWPARAM(WM_CREATE, 42), L(child)},
                              {WM_SHOWWINDOW, kParams, TRUE, 0}});

    // Neither paints while the parent is hidden; showing it paints both.
    EXPECT_EQ(PlatformApp::PumpMessages(), 0);
    parent.ShowWindow(SW_SHOW);
    EXPECT_MESSAGES(parent.m_hWnd, {{WM_SHOWWINDOW, kParams, TRUE, 0}});
    PlatformApp::PumpMessages();
    EXPECT_MESSAGES(parent.m_hWnd, {{WM_PAINT}, {WM_ERASEBKGND}});
}

TEST_F(MessageSequence, MoveAndSizeReportOnlyWhatChanged) {
    child.MoveWindow(5, 5, 100, 50);
    EXPECT_MESSAGES(child.m_hWnd, {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}});
    child.MoveWindow(8, 9, 100, 50);
    EXPECT_MESSAGES(
        child.m_hWnd,
        {{WM_WINDOWPOSCHANGING}, {WM_WINDOWPOSCHANGED}, {WM_MOVE, kLParam, 0, Pt(8, 9)}});
    child.MoveWindow(8, 9, 60, 30);
    EXPECT_MESSAGES(child.m_hWnd, {{WM_WINDOWPOSCHANGING},
                                   {WM_WINDOWPOSCHANGED},
                                   {WM_SIZE, kParams, SIZE_RESTORED, Pt(60, 30)}});
    CRect rect;
    child.GetClientRect(&rect);
    EXPECT_EQ(rect, CRect(0, 0, 60, 30));
    child.GetWindowRect(&rect);
    EXPECT_EQ(rect, CRect(18, 29, 78, 59));
}

TEST_F(MessageSequence, ShowAndHideSendShowWindowOnlyOnChange) {
    EXPECT_TRUE(child.ShowWindow(SW_HIDE));
    EXPECT_FALSE(child.ShowWindow(SW_HIDE));
    EXPECT_FALSE(child.IsWindowVisible());
    EXPECT_FALSE(child.ShowWindow(SW_SHOW));
    EXPECT_MESSAGES(child.m_hWnd,
                    {{WM_SHOWWINDOW, kParams, FALSE, 0}, {WM_SHOWWINDOW, kParams, TRUE, 0}});
}

TEST_F(MessageSequence, ClickAndDoubleClick) {
    input::Press(child, 10, 12);
    input::Release(child, 10, 12);
    EXPECT_MESSAGES(child.m_hWnd,
                    {{WM_SETCURSOR, kParams, H(child), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)},
                     {WM_LBUTTONDOWN, kParams, MK_LBUTTON, Pt(10, 12)},
                     {WM_SETCURSOR, kOptional},
                     {WM_LBUTTONUP, kParams, 0, Pt(10, 12)}});

    MessageLog::Ignore({WM_SETCURSOR});
    input::DoubleClick(child, 3, 4);
    input::Press(child, 3, 4, Qt::RightButton, Qt::ControlModifier);
    MessageLog::Ignore({});
    EXPECT_MESSAGES(child.m_hWnd, {{WM_LBUTTONDOWN, kParams, MK_LBUTTON, Pt(3, 4)},
                                   {WM_LBUTTONUP},
                                   {WM_LBUTTONDBLCLK, kParams, MK_LBUTTON, Pt(3, 4)},
                                   {WM_LBUTTONUP},
                                   {WM_RBUTTONDOWN, kParams, MK_RBUTTON | MK_CONTROL, Pt(3, 4)}});
}

// The default procedure turns a right-button release into WM_CONTEXTMENU at the screen
// point, and a child's unhandled WM_CONTEXTMENU goes up to its parent.
TEST_F(MessageSequence, RightButtonUpMakesContextMenu) {
    MessageLog::Ignore({WM_SETCURSOR});
    input::Release(child, 10, 12, Qt::RightButton);
    MessageLog::Ignore({});
    EXPECT_MESSAGES(nullptr, {{WM_RBUTTONUP, kParams, 0, Pt(10, 12)},
                              {WM_CONTEXTMENU, kParams, H(child), Pt(25, 37)},
                              {WM_CONTEXTMENU, kParams, H(child), Pt(25, 37)}});
}

// Once captured, moves outside the window still come to it, with negative coordinates and
// without WM_SETCURSOR; releasing the capture sends WM_CAPTURECHANGED.
TEST_F(MessageSequence, DragWithCapture) {
    child.SetHandler([](LoggingWnd& self, UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_LBUTTONDOWN) {
            self.SetCapture();
        }
        if (message == WM_LBUTTONUP) {
            ReleaseCapture();
        }
        return false;
    });
    MessageLog::Ignore({WM_SETCURSOR});
    input::Press(child, 50, 20);
    MessageLog::Ignore({});
    EXPECT_EQ(GetCapture(), child.m_hWnd);
    input::Move(child, -10, 70, Qt::LeftButton);
    // Qt delivered this one to the parent's widget: the capture takes it to the child.
    input::Move(parent, 200, 100, Qt::LeftButton, Qt::ShiftModifier);
    input::Release(child, -10, 70);
    EXPECT_MESSAGES(nullptr, {{WM_LBUTTONDOWN, kParams, MK_LBUTTON, Pt(50, 20)},
                              {WM_MOUSEMOVE, kParams, MK_LBUTTON, Pt(-10, 70)},
                              {WM_MOUSEMOVE, kParams, MK_LBUTTON | MK_SHIFT, Pt(195, 95)},
                              {WM_LBUTTONUP, kParams, 0, Pt(-10, 70)},
                              {WM_CAPTURECHANGED, kParams, 0, 0}});
    EXPECT_EQ(GetCapture(), nullptr);
}

// The capturing window holds the pointer grab (under X: the button-up outside the program's
// windows comes to it), and lets it go with the capture.
TEST_F(MessageSequence, CaptureGrabsThePointer) {
    child.SetCapture();
    EXPECT_EQ(QWidget::mouseGrabber(), platform::WindowClientWidget(child.m_hWnd));
    parent.SetCapture();
    EXPECT_EQ(QWidget::mouseGrabber(), platform::WindowClientWidget(parent.m_hWnd));
    ReleaseCapture();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

struct KeyCase {
    const char* name;
    int qtKey;
    const char* text;
    Qt::KeyboardModifiers modifiers;
    UINT vk;
    UINT charCode; // 0: no WM_CHAR
};

const KeyCase kKeyCases[] = {
    {"letter", Qt::Key_A, "a", Qt::NoModifier, 'A', 'a'},
    {"shifted letter", Qt::Key_A, "A", Qt::ShiftModifier, 'A', 'A'},
    {"control letter", Qt::Key_C, "", Qt::ControlModifier, 'C', 3},
    {"digit", Qt::Key_7, "7", Qt::NoModifier, '7', '7'},
    {"return", Qt::Key_Return, "\r", Qt::NoModifier, VK_RETURN, 13},
    {"escape", Qt::Key_Escape, "", Qt::NoModifier, VK_ESCAPE, 27},
    {"tab", Qt::Key_Tab, "\t", Qt::NoModifier, VK_TAB, 9},
    {"space", Qt::Key_Space, " ", Qt::NoModifier, VK_SPACE, ' '},
    {"down arrow", Qt::Key_Down, "", Qt::NoModifier, VK_DOWN, 0},
    {"page up", Qt::Key_PageUp, "", Qt::NoModifier, VK_PRIOR, 0},
    {"home", Qt::Key_Home, "", Qt::NoModifier, VK_HOME, 0},
    {"delete", Qt::Key_Delete, "", Qt::NoModifier, VK_DELETE, 0},
    {"F2", Qt::Key_F2, "", Qt::NoModifier, VK_F2, 0},
    {"comma", Qt::Key_Comma, ",", Qt::NoModifier, VK_OEM_COMMA, ','},
    {"keypad 5", Qt::Key_5, "5", Qt::KeypadModifier, VK_NUMPAD5, '5'},
};

// Keys typed on any widget go to the focus window: WM_KEYDOWN, WM_CHAR when the key types
// a character, WM_KEYUP with the previous-state and transition bits.
TEST_F(MessageSequence, KeysGoToTheFocusWindow) {
    child.SetFocus();
    MessageLog::Clear();
    for (const KeyCase& key : kKeyCases) {
        SCOPED_TRACE(key.name);
        input::KeyPress(parent, key.qtKey, key.text, key.modifiers);
        input::KeyRelease(parent, key.qtKey, key.modifiers);
        std::vector<ExpectedMessage> expected = {{WM_KEYDOWN, kParams, key.vk, 1}};
        if (key.charCode != 0) {
            expected.push_back({WM_CHAR, kParams, key.charCode, 1});
        }
        expected.push_back({WM_KEYUP, kParams, key.vk, LPARAM(0xC0000001)});
        EXPECT_MESSAGES(nullptr, expected);
    }
}

// Shift+F10 (F10 comes as a system key) and the menu key's release make WM_CONTEXTMENU at
// the keyboard's point (-1, -1), which goes up to the parent; they made nothing before.
TEST_F(MessageSequence, ContextMenuKeysMakeContextMenu) {
    child.SetFocus();
    MessageLog::Clear();
    input::KeyPress(parent, Qt::Key_Shift, "", Qt::ShiftModifier);
    input::KeyPress(parent, Qt::Key_F10, "", Qt::ShiftModifier);
    input::KeyRelease(parent, Qt::Key_F10, Qt::ShiftModifier);
    input::KeyRelease(parent, Qt::Key_Shift);
    input::KeyPress(parent, Qt::Key_Menu);
    input::KeyRelease(parent, Qt::Key_Menu);
    input::KeyPress(parent, Qt::Key_F10);
    const ExpectedMessage menu = {WM_CONTEXTMENU, kParams, H(child), LPARAM(0xFFFFFFFF)};
    EXPECT_MESSAGES(nullptr, {{WM_KEYDOWN, kParams, VK_SHIFT, 1},
                              {WM_SYSKEYDOWN, kParams, VK_F10, 1},
                              menu,
                              menu,
                              {WM_SYSKEYUP},
                              {WM_KEYUP},
                              {WM_KEYDOWN, kParams, VK_APPS, 1},
                              {WM_KEYUP, kParams, VK_APPS, LPARAM(0xC0000001)},
                              menu,
                              menu,
                              {WM_SYSKEYDOWN, kParams, VK_F10, 1}});
}

// A modifier released while a popup had the keyboard sent no key-up: the next key or click
// that comes without it sends the missing one first (after Shift+F10 and Escape the table
// still took Shift as held).
TEST_F(MessageSequence, ModifierReleasedElsewhereIsReleasedBeforeTheNextInput) {
    child.SetFocus();
    MessageLog::Clear();
    MessageLog::Ignore({WM_SETCURSOR});
    input::KeyPress(parent, Qt::Key_Shift, "", Qt::ShiftModifier);
    input::KeyPress(parent, Qt::Key_Down, "", Qt::ShiftModifier);
    input::KeyPress(parent, Qt::Key_Down);
    input::KeyPress(parent, Qt::Key_Control, "", Qt::ControlModifier);
    input::Press(child, 5, 5);
    MessageLog::Ignore({});
    const LPARAM released = LPARAM(0xC0000001);
    EXPECT_MESSAGES(nullptr, {{WM_KEYDOWN, kParams, VK_SHIFT, 1},
                              {WM_KEYDOWN, kParams, VK_DOWN, 1},
                              {WM_KEYUP, kParams, VK_SHIFT, released},
                              {WM_KEYDOWN, kParams, VK_DOWN, LPARAM(0x40000001)},
                              {WM_KEYDOWN, kParams, VK_CONTROL, 1},
                              {WM_KEYUP, kParams, VK_CONTROL, released},
                              {WM_LBUTTONDOWN, kParams, MK_LBUTTON, Pt(5, 5)}});
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(GetKeyState(VK_CONTROL), 0);
    input::Release(child, 5, 5);
    input::KeyRelease(parent, Qt::Key_Down);
}

TEST_F(MessageSequence, AutoRepeatSetsThePreviousStateBit) {
    child.SetFocus();
    MessageLog::Clear();
    input::KeyPress(child, Qt::Key_Down);
    input::KeyPress(child, Qt::Key_Down, "", Qt::NoModifier, true);
    EXPECT_LT(GetKeyState(VK_DOWN), 0);
    input::KeyRelease(child, Qt::Key_Down);
    EXPECT_EQ(GetKeyState(VK_DOWN), 0);
    EXPECT_MESSAGES(nullptr, {{WM_KEYDOWN, kParams, VK_DOWN, 1},
                              {WM_KEYDOWN, kParams, VK_DOWN, LPARAM(0x40000001)},
                              {WM_KEYUP, kParams, VK_DOWN, LPARAM(0xC0000001)}});
}

TEST_F(MessageSequence, FocusMovesWithKillThenSet) {
    EXPECT_EQ(SetFocus(parent), nullptr);
    EXPECT_EQ(SetFocus(child), parent.m_hWnd);
    EXPECT_EQ(SetFocus(child), child.m_hWnd);
    EXPECT_MESSAGES(nullptr, {{WM_SETFOCUS, kParams, 0, 0},
                              {WM_KILLFOCUS, kParams, H(child), 0},
                              {WM_SETFOCUS, kParams, H(parent), 0}});
    EXPECT_EQ(GetFocus(), child.m_hWnd);
}

// The wheel goes to the focus window, with screen coordinates and 120 per notch; a child
// that leaves it alone passes it to its parent.
TEST_F(MessageSequence, WheelGoesToFocusThenUpToParent) {
    child.SetFocus();
    MessageLog::Clear();
    input::Wheel(parent, 100, 50, -1, Qt::ControlModifier);
    WPARAM wParam = MAKEWPARAM(MK_CONTROL, WORD(-120));
    EXPECT_MESSAGES(nullptr, {{WM_MOUSEWHEEL, kParams, wParam, Pt(110, 70)},
                              {WM_MOUSEWHEEL, kParams, wParam, Pt(110, 70)}});
}

TEST_F(MessageSequence, TimerSendsWmTimer) {
    child.SetTimer(5, 100);
    TimerClock::Advance(250);
    EXPECT_MESSAGES(child.m_hWnd, {{WM_TIMER, kParams, 5, 0}, {WM_TIMER, kParams, 5, 0}});
    child.KillTimer(5);
}

// WM_DESTROY from the top down, WM_NCDESTROY from the bottom up; the focus leaves first.
TEST_F(MessageSequence, DestroyOrderAndPostNcDestroy) {
    child.SetFocus();
    MessageLog::Clear();
    HWND childHandle = child.m_hWnd;
    parent.DestroyWindow();
    EXPECT_MESSAGES(nullptr, {{WM_KILLFOCUS, kParams, 0, 0},
                              {WM_DESTROY},
                              {WM_DESTROY},
                              {WM_NCDESTROY},
                              {WM_NCDESTROY}});
    EXPECT_EQ(parent.m_hWnd, nullptr);
    EXPECT_EQ(child.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(childHandle));
    EXPECT_EQ(parent.postNcDestroyCalls, 1);
    EXPECT_EQ(child.postNcDestroyCalls, 1);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(MessageSequence, CloseDestroysThroughTheDefaultProcedure) {
    HWND childHandle = child.m_hWnd;
    child.SendMessage(WM_CLOSE);
    EXPECT_MESSAGES(childHandle, {{WM_CLOSE}, {WM_DESTROY}, {WM_NCDESTROY}});
    EXPECT_EQ(child.m_hWnd, nullptr);
}

// Posted messages wait for the event loop and come in order; those for a window destroyed
// meanwhile are dropped.
TEST_F(MessageSequence, PostedMessagesKeepOrder) {
    EXPECT_TRUE(child.PostMessage(WM_USER + 1, 1, 0));
    EXPECT_TRUE(parent.PostMessage(WM_USER + 2, 2, 0));
    EXPECT_TRUE(child.PostMessage(WM_USER + 3, 3, 0));
    EXPECT_MESSAGES(nullptr, {});
    EXPECT_EQ(PlatformApp::PumpMessages(), 3);
    EXPECT_MESSAGES(
        nullptr, {{WM_USER + 1, kWParam, 1}, {WM_USER + 2, kWParam, 2}, {WM_USER + 3, kWParam, 3}});

    child.PostMessage(WM_USER + 4);
    parent.PostMessage(WM_USER + 5);
    child.DestroyWindow();
    MessageLog::Clear();
    EXPECT_EQ(PlatformApp::PumpMessages(), 1);
    EXPECT_MESSAGES(nullptr, {{WM_USER + 5}});
}

} // namespace
