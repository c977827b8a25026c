// Timers under the manual clock (and once on real time): due times, restarts, kills, and
// timers of destroyed windows.
#include "platform/core/timer_clock.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/logging_wnd.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

namespace {

class Timers : public ::testing::Test {
  protected:
    void SetUp() override {
        wnd.SetHandler([this](LoggingWnd&, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
            if (message == WM_TIMER) {
                fired.push_back(UINT(wParam));
            }
            return false;
        });
        ASSERT_TRUE(wnd.CreateTopLevel(CRect(0, 0, 50, 50), WS_OVERLAPPED));
        MessageLog::Clear();
    }

    LoggingWnd wnd;
    std::vector<UINT> fired;
};

TEST_F(Timers, FiresWhenTheClockReachesItsTimeAndNotBefore) {
    ASSERT_EQ(wnd.SetTimer(1, 10000), 1u);
    TimerClock::Advance(9999);
    EXPECT_TRUE(fired.empty());
    TimerClock::Advance(1);
    EXPECT_EQ(fired, std::vector<UINT>{1});
    TimerClock::Advance(9999);
    EXPECT_EQ(fired.size(), 1u);
    TimerClock::Advance(1);
    EXPECT_EQ(fired.size(), 2u);
}

// Setting an id again restarts it: a 25 ms timer set every 10 ms never fires.
TEST_F(Timers, RestartingAnIdCoalesces) {
    for (int i = 0; i < 10; ++i) {
        wnd.SetTimer(99, 25);
        TimerClock::Advance(10);
    }
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(TimerClock::ActiveTimerCount(), 1);
    TimerClock::Advance(15);
    EXPECT_EQ(fired, std::vector<UINT>{99});
    EXPECT_TRUE(wnd.KillTimer(99));
    EXPECT_FALSE(wnd.KillTimer(99));
    TimerClock::Advance(100);
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(Timers, DueTogetherFireInSetUpOrderAndShortIntervalsAreRaised) {
    wnd.SetTimer(3, 50);
    wnd.SetTimer(2, 50);
    wnd.SetTimer(7, 0); // raised to 10 ms, as Windows does
    TimerClock::Advance(50);
    EXPECT_EQ(fired, (std::vector<UINT>{7, 7, 7, 7, 3, 2, 7}));
    wnd.KillTimer(3);
    wnd.KillTimer(2);
    wnd.KillTimer(7);
}

// A handler that kills another timer due at the same moment stops it from firing, and one
// that destroys its own window ends all its timers.
TEST_F(Timers, HandlersMayKillTimersAndDestroyTheirWindow) {
    wnd.SetHandler([this](LoggingWnd& self, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
        if (message != WM_TIMER) {
            return false;
        }
        fired.push_back(UINT(wParam));
        if (wParam == 1) {
            self.KillTimer(2);
        }
        if (wParam == 3) {
            self.DestroyWindow();
        }
        return true;
    });
    wnd.SetTimer(1, 100);
    wnd.SetTimer(2, 100);
    wnd.SetTimer(3, 150);
    wnd.SetTimer(4, 150);
    TimerClock::Advance(1000);
    EXPECT_EQ(fired, (std::vector<UINT>{1, 3}));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(TimerClock::ActiveTimerCount(), 0);
}

TEST_F(Timers, DestroyedWindowsTimersNeverFire) {
    LoggingWnd child;
    ASSERT_TRUE(child.CreateChild(&wnd, 1, CRect(0, 0, 5, 5)));
    HWND childHandle = child.m_hWnd;
    child.SetTimer(100, 5000);
    wnd.SetTimer(1, 5000);
    wnd.DestroyWindow();
    MessageLog::Clear();
    TimerClock::Advance(20000);
    EXPECT_TRUE(MessageLog::Messages().empty());
    EXPECT_EQ(TimerClock::ActiveTimerCount(), 0);
    EXPECT_EQ(SetTimer(childHandle, 100, 10, nullptr), 0u);
}

std::vector<UINT_PTR> g_procCalls;

void CALLBACK RecordTimer(HWND, UINT message, UINT_PTR id, DWORD) {
    if (message == WM_TIMER) {
        g_procCalls.push_back(id);
    }
}

TEST_F(Timers, TimerProcedureIsCalledInsteadOfWmTimer) {
    g_procCalls.clear();
    wnd.SetTimer(8, 30, &RecordTimer);
    TimerClock::Advance(30);
    EXPECT_EQ(g_procCalls, std::vector<UINT_PTR>{8});
    EXPECT_TRUE(fired.empty());
    wnd.KillTimer(8);
}

// On real time the timer runs on the Qt event loop; the wait is bounded, not a sleep.
TEST_F(Timers, RealTimeTimersRunOnTheEventLoop) {
    TimerClock::UseManualClock(false);
    wnd.SetTimer(4, 20);
    QDeadlineTimer deadline(5000);
    while (fired.empty() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    wnd.KillTimer(4);
    TimerClock::UseManualClock(true);
    EXPECT_FALSE(fired.empty());
}

} // namespace
