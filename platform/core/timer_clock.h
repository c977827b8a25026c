// The clock under SetTimer, KillTimer and GetTickCount. In an application it follows real
// time and timers run on Qt timers; a test switches it to manual and advances it, and every
// timer that falls due on the way sends its WM_TIMER, in due order, before Advance returns.
#pragma once

#include "platform/core/win32_types.h"

class TimerClock {
  public:
    // Manual mode freezes the clock at its current reading until Advance moves it.
    static void UseManualClock(bool manual);
    static bool IsManual();
    static DWORD Now();
    // Manual mode only: moves the clock by milliseconds, firing the timers due on the way.
    // A timer due several times within the step fires each time.
    static void Advance(DWORD milliseconds);
    // Timers alive, over all windows.
    static int ActiveTimerCount();
    // Timers alive whose interval is at most `maxElapse` ms: the short ones that batch
    // pending work (a table's 25 ms redraw), not the periodic refreshes of seconds.
    static int ShortTimerCount(DWORD maxElapse);
};
