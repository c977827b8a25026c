// Null, stale and garbage handles are answered with the Win32 failure value by every call,
// and windows destroyed from inside their own handlers never leave freed state behind.
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/input_simulator.h"
#include "tests/support/logging_wnd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

struct HandleCall {
    const char* name;
    std::function<bool(HWND)> rejects;
};

const HandleCall kCalls[] = {
    {"IsWindow", [](HWND h) { return !IsWindow(h); }},
    {"SendMessage", [](HWND h) { return SendMessage(h, WM_USER, 1, 2) == 0; }},
    {"PostMessage", [](HWND h) { return !PostMessage(h, WM_USER, 1, 2); }},
    {"DefWindowProc", [](HWND h) { return DefWindowProc(h, WM_GETTEXTLENGTH, 0, 0) == 0; }},
    {"DestroyWindow", [](HWND h) { return !DestroyWindow(h); }},
    {"GetParent", [](HWND h) { return GetParent(h) == nullptr; }},
    {"SetParent", [](HWND h) { return SetParent(h, nullptr) == nullptr; }},
    {"IsChild", [](HWND h) { return !IsChild(h, h); }},
    {"GetWindow", [](HWND h) { return GetWindow(h, GW_CHILD) == nullptr; }},
    {"GetDlgItem", [](HWND h) { return GetDlgItem(h, 1) == nullptr; }},
    {"GetDlgCtrlID", [](HWND h) { return GetDlgCtrlID(h) == 0; }},
    {"GetWindowLong", [](HWND h) { return GetWindowLong(h, GWL_STYLE) == 0; }},
    {"SetWindowLong", [](HWND h) { return SetWindowLong(h, GWL_USERDATA, 5) == 0; }},
    {"GetClientRect",
     [](HWND h) {
         RECT r;
         return !GetClientRect(h, &r);
     }},
    {"GetWindowRect",
     [](HWND h) {
         RECT r;
         return !GetWindowRect(h, &r);
     }},
    {"MoveWindow", [](HWND h) { return !MoveWindow(h, 0, 0, 5, 5, TRUE); }},
    {"SetWindowPos", [](HWND h) { return !SetWindowPos(h, nullptr, 0, 0, 5, 5, 0); }},
    {"ShowWindow", [](HWND h) { return !ShowWindow(h, SW_SHOW); }},
    {"IsWindowVisible", [](HWND h) { return !IsWindowVisible(h); }},
    {"EnableWindow", [](HWND h) { return !EnableWindow(h, FALSE); }},
    {"IsWindowEnabled", [](HWND h) { return !IsWindowEnabled(h); }},
    {"SetWindowText", [](HWND h) { return !SetWindowText(h, "x"); }},
    {"GetWindowText",
     [](HWND h) {
         char text[8] = "keep";
         return GetWindowText(h, text, sizeof text) == 0 && strcmp(text, "keep") == 0;
     }},
    {"ClientToScreen",
     [](HWND h) {
         POINT p = {1, 2};
         return !ClientToScreen(h, &p);
     }},
    {"ScreenToClient",
     [](HWND h) {
         POINT p = {1, 2};
         return !ScreenToClient(h, &p);
     }},
    {"SetFocus", [](HWND h) { return SetFocus(h) == nullptr && GetFocus() == nullptr; }},
    {"SetCapture", [](HWND h) { return SetCapture(h) == nullptr && GetCapture() == nullptr; }},
    {"SetTimer", [](HWND h) { return SetTimer(h, 1, 100, nullptr) == 0; }},
    {"KillTimer", [](HWND h) { return !KillTimer(h, 1); }},
    {"InvalidateRect", [](HWND h) { return !InvalidateRect(h, nullptr, TRUE); }},
    {"ValidateRect", [](HWND h) { return !ValidateRect(h, nullptr); }},
    {"UpdateWindow", [](HWND h) { return !UpdateWindow(h); }},
    {"GetUpdateRect",
     [](HWND h) {
         RECT r;
         return !GetUpdateRect(h, &r, TRUE);
     }},
    {"RedrawWindow", [](HWND h) { return !RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE); }},
    {"BeginPaint",
     [](HWND h) {
         PAINTSTRUCT p;
         return BeginPaint(h, &p) == nullptr;
     }},
    {"FromHandle", [](HWND h) { return CWnd::FromHandle(h) == nullptr; }},
};

HWND Stale() {
    LoggingWnd wnd;
    wnd.CreateTopLevel(CRect(0, 0, 10, 10));
    HWND handle = wnd.m_hWnd;
    wnd.DestroyWindow();
    return handle;
}

TEST(BadHandles, EveryCallAnswersTheFailureValue) {
    struct Kind {
        const char* name;
        HWND handle;
    } kinds[] = {
        {"null", nullptr},
        {"stale", Stale()},
        {"garbage", reinterpret_cast<HWND>(uintptr_t(0x12345678))},
        {"all ones", reinterpret_cast<HWND>(~uintptr_t(0))},
    };
    for (const Kind& kind : kinds) {
        for (const HandleCall& call : kCalls) {
            if (kind.handle == nullptr && std::strcmp(call.name, "SetFocus") == 0) {
                continue; // SetFocus(NULL) is valid: it takes the focus away
            }
            EXPECT_TRUE(call.rejects(kind.handle))
                << call.name << " with a " << kind.name << " handle";
        }
    }
    EXPECT_EQ(GetDC(reinterpret_cast<HWND>(uintptr_t(0x12345678))), nullptr);
    EXPECT_EQ(PlatformApp::PumpMessages(), 0);
}

TEST(BadInput, NullPointersAndOddArgumentsFailCleanly) {
    LoggingWnd wnd;
    ASSERT_TRUE(wnd.CreateTopLevel(CRect(0, 0, 10, 10)));
    HWND h = wnd.m_hWnd;
    EXPECT_FALSE(GetClientRect(h, nullptr));
    EXPECT_FALSE(ClientToScreen(h, nullptr));
    EXPECT_EQ(BeginPaint(h, nullptr), nullptr);
    EXPECT_FALSE(EndPaint(h, nullptr));
    EXPECT_EQ(GetWindowText(h, nullptr, 10), 0);
    char text[4] = "abc";
    EXPECT_EQ(GetWindowText(h, text, 0), 0);
    EXPECT_EQ(GetWindowLong(h, 12345), 0);
    EXPECT_EQ(GetWindow(h, 99), nullptr);
    EXPECT_EQ(ReleaseDC(h, nullptr), 0);
    EXPECT_EQ(ReleaseDC(h, reinterpret_cast<HDC>(uintptr_t(77))), 0);
    EXPECT_FALSE(KillTimer(h, 12));
    EXPECT_EQ(LoadCursor(nullptr, MAKEINTRESOURCE(1)), nullptr);
    EXPECT_EQ(GetKeyState(-1), 0);
    EXPECT_EQ(GetKeyState(1000), 0);
    CWnd unattached;
    EXPECT_FALSE(unattached.Create(nullptr, "", WS_VISIBLE, CRect(0, 0, 1, 1), nullptr, 1));
    EXPECT_FALSE(unattached.DestroyWindow());
    EXPECT_EQ(unattached.SendMessage(WM_USER), 0);
    // A child of a dead parent is refused.
    EXPECT_FALSE(unattached.CreateEx(0, nullptr, "", WS_CHILD, 0, 0, 1, 1, Stale(), nullptr));
}

// Created on the heap, deleted by its own PostNcDestroy; it destroys itself from a handler
// and goes on using its members, which must still be alive until the handler returns.
class SelfDestroyingWnd : public CWnd {
  public:
    static int deleted;
    int touches = 0;
    ~SelfDestroyingWnd() override { ++deleted; }

  protected:
    void PostNcDestroy() override { delete this; }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_LBUTTONDOWN || message == WM_USER) {
            DestroyWindow();
            ++touches;
            EXPECT_EQ(m_hWnd, nullptr);
            EXPECT_EQ(SendMessage(WM_USER + 1), 0);
            EXPECT_EQ(deleted, 0);
            ++touches;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};
int SelfDestroyingWnd::deleted = 0;

TEST(DeferredRelease, HandlerDestroyingItsOwnWindowFromSendMessage) {
    SelfDestroyingWnd::deleted = 0;
    auto* wnd = new SelfDestroyingWnd;
    ASSERT_TRUE(wnd->CreateEx(0, nullptr, "", WS_OVERLAPPED, CRect(0, 0, 20, 20), nullptr, 0));
    HWND handle = wnd->m_hWnd;
    EXPECT_EQ(SendMessage(handle, WM_USER, 0, 0), 0);
    EXPECT_EQ(SelfDestroyingWnd::deleted, 1);
    EXPECT_FALSE(IsWindow(handle));
}

// The same through Qt: the press arrives in the widget's own event handler, whose widget is
// deleted only once the event loop is back.
TEST(DeferredRelease, HandlerDestroyingItsOwnWindowFromQtInput) {
    SelfDestroyingWnd::deleted = 0;
    auto* wnd = new SelfDestroyingWnd;
    ASSERT_TRUE(
        wnd->CreateEx(0, nullptr, "", WS_OVERLAPPED | WS_VISIBLE, CRect(0, 0, 20, 20), nullptr, 0));
    HWND handle = wnd->m_hWnd;
    input::Press(handle, 5, 5);
    EXPECT_EQ(SelfDestroyingWnd::deleted, 1);
    PlatformApp::PumpMessages();
    EXPECT_FALSE(IsWindow(handle));
}

// DestroyWindow from WM_DESTROY, and a child destroying its parent from its own handler.
TEST(DeferredRelease, ReentrantDestructionSendsEachMessageOnce) {
    LoggingWnd parent;
    LoggingWnd child;
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 50, 50)));
    ASSERT_TRUE(child.CreateChild(&parent, 1, CRect(0, 0, 10, 10)));
    HWND parentHandle = parent.m_hWnd;
    parent.SetHandler([](LoggingWnd& self, UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_DESTROY) {
            EXPECT_FALSE(self.DestroyWindow());
        }
        return false;
    });
    child.SetHandler([parentHandle](LoggingWnd&, UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_USER) {
            DestroyWindow(parentHandle);
        }
        return false;
    });
    MessageLog::Clear();
    child.SendMessage(WM_USER);
    EXPECT_MESSAGES(nullptr,
                    {{WM_USER}, {WM_DESTROY}, {WM_DESTROY}, {WM_NCDESTROY}, {WM_NCDESTROY}});
    EXPECT_EQ(parent.postNcDestroyCalls, 1);
    EXPECT_EQ(child.postNcDestroyCalls, 1);
}

// Deleting a window object while its destroyed window still waits for release must not
// leave a PostNcDestroy call to a deleted object.
TEST(DeferredRelease, ObjectDeletedBeforeReleaseGetsNoPostNcDestroy) {
    LoggingWnd parent;
    ASSERT_TRUE(parent.CreateTopLevel(CRect(0, 0, 50, 50)));
    auto* child = new LoggingWnd;
    ASSERT_TRUE(child->CreateChild(&parent, 1, CRect(0, 0, 10, 10)));
    parent.SetHandler([&child](LoggingWnd&, UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_USER) {
            child->DestroyWindow();
            delete child;
            child = nullptr;
        }
        return false;
    });
    parent.SendMessage(WM_USER);
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);
}

} // namespace
