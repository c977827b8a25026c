// Timers: one scheduler for every window timer, on real time with a Qt timer in an
// application, or on a manual clock that tests advance.
#include "platform/core/window_internal.h"

#include "platform/core/timer_clock.h"
#include "platform/core/win32_user.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <limits>
#include <vector>

namespace platform {

namespace {

// Windows raises shorter intervals to USER_TIMER_MINIMUM, 10 ms.
constexpr UINT kMinimumElapse = 10;

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    uint64_t due;
    uint64_t order; // set-up order, to fire timers due at the same moment
    TIMERPROC proc;
};

std::vector<Timer> g_timers;
uint64_t g_nextOrder = 0;
bool g_manual = false;
uint64_t g_manualNow = 0;

uint64_t RealNow() {
    static QElapsedTimer clock;
    if (!clock.isValid()) {
        clock.start();
    }
    return uint64_t(clock.elapsed());
}

uint64_t Now() {
    return g_manual ? g_manualNow : RealNow();
}

Timer* FindTimer(HWND hWnd, UINT_PTR id) {
    auto it = std::find_if(g_timers.begin(), g_timers.end(), [&](const Timer& timer) {
        return timer.hwnd == hWnd && timer.id == id;
    });
    return it == g_timers.end() ? nullptr : &*it;
}

Timer* EarliestDue(uint64_t limit) {
    Timer* earliest = nullptr;
    for (Timer& timer : g_timers) {
        if (timer.due > limit) {
            continue;
        }
        if (earliest == nullptr || timer.due < earliest->due ||
            (timer.due == earliest->due && timer.order < earliest->order)) {
            earliest = &timer;
        }
    }
    return earliest;
}

// A timer with a procedure calls it (as DispatchMessage would); the others send WM_TIMER.
void Fire(HWND hWnd, UINT_PTR id, TIMERPROC proc) {
    if (proc != nullptr) {
        proc(hWnd, WM_TIMER, id, GetTickCount());
    } else {
        SendMessage(hWnd, WM_TIMER, id, 0);
    }
}

// Fires every timer due by `limit`, earliest first. In manual mode the clock steps to each
// due time, so a timer due several times fires each time; on real time a late timer fires
// once and is rescheduled from now, as Windows coalesces WM_TIMER.
void FireDue(uint64_t limit) {
    DispatchScope scope;
    while (Timer* timer = EarliestDue(limit)) {
        if (g_manual) {
            g_manualNow = std::max(g_manualNow, timer->due);
        }
        timer->due = (g_manual ? timer->due : Now()) + timer->elapse;
        HWND hWnd = timer->hwnd;
        UINT_PTR id = timer->id;
        TIMERPROC proc = timer->proc;
        if (!IsWindow(hWnd)) {
            KillWindowTimers(hWnd);
            continue;
        }
        Fire(hWnd, id, proc);
    }
}

class RealTimeDriver : public QObject {
  public:
    RealTimeDriver() {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this]() {
            FireDue(Now());
            Rearm();
        });
    }

    void Rearm() {
        if (g_manual || g_timers.empty()) {
            m_timer.stop();
            return;
        }
        uint64_t next = std::numeric_limits<uint64_t>::max();
        for (const Timer& timer : g_timers) {
            next = std::min(next, timer.due);
        }
        uint64_t now = Now();
        m_armedFor = next;
        m_timer.start(int(std::min<uint64_t>(next > now ? next - now : 0, 0x7fffffff)));
    }

    // A timer due no sooner than the Qt timer's wake-up leaves it alone: a table restarts
    // its redraw timer at every change, thousands of times a second while a walk runs.
    void ArmFor(uint64_t due) {
        if (!g_manual && m_timer.isActive() && m_armedFor <= due) {
            return;
        }
        Rearm();
    }

  private:
    QTimer m_timer;
    uint64_t m_armedFor = 0;
};

RealTimeDriver* Driver() {
    if (QCoreApplication::instance() == nullptr) {
        return nullptr;
    }
    static RealTimeDriver* driver = new RealTimeDriver;
    return driver;
}

void Arm() {
    if (RealTimeDriver* driver = Driver()) {
        driver->Rearm();
    }
}

// A new due time; a killed timer needs nothing: the wake-up it leaves finds nothing due.
void ArmFor(uint64_t due) {
    if (RealTimeDriver* driver = Driver()) {
        driver->ArmFor(due);
    }
}

} // namespace

void KillWindowTimers(HWND hWnd) {
    g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(),
                                  [hWnd](const Timer& timer) { return timer.hwnd == hWnd; }),
                   g_timers.end());
}

} // namespace platform

using namespace platform;

// Only window timers exist here (a NULL window is refused). Setting an existing id again
// restarts it with the new interval. Answers the id, or 1 for id 0, so success is nonzero.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR idEvent, UINT elapse, TIMERPROC timerFunc) {
    if (!IsWindow(hWnd)) {
        return 0;
    }
    elapse = std::max(elapse, kMinimumElapse);
    uint64_t due = Now() + elapse;
    if (Timer* timer = FindTimer(hWnd, idEvent)) {
        *timer = Timer{hWnd, idEvent, elapse, due, g_nextOrder++, timerFunc};
    } else {
        g_timers.push_back(Timer{hWnd, idEvent, elapse, due, g_nextOrder++, timerFunc});
    }
    ArmFor(due);
    return idEvent == 0 ? 1 : idEvent;
}

BOOL KillTimer(HWND hWnd, UINT_PTR idEvent) {
    if (!IsWindow(hWnd) || FindTimer(hWnd, idEvent) == nullptr) {
        return FALSE;
    }
    g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(),
                                  [&](const Timer& timer) {
                                      return timer.hwnd == hWnd && timer.id == idEvent;
                                  }),
                   g_timers.end());
    return TRUE;
}

DWORD GetTickCount() {
    return DWORD(Now());
}

void TimerClock::UseManualClock(bool manual) {
    if (manual == g_manual) {
        return;
    }
    uint64_t now = Now();
    g_manual = manual;
    g_manualNow = now;
    Arm();
}

bool TimerClock::IsManual() {
    return g_manual;
}

DWORD TimerClock::Now() {
    return DWORD(platform::Now());
}

void TimerClock::Advance(DWORD milliseconds) {
    if (!g_manual) {
        return;
    }
    uint64_t target = g_manualNow + milliseconds;
    FireDue(target);
    g_manualNow = target;
}

int TimerClock::ActiveTimerCount() {
    return int(g_timers.size());
}

int TimerClock::ShortTimerCount(DWORD maxElapse) {
    return int(std::count_if(g_timers.begin(), g_timers.end(), [maxElapse](const Timer& timer) {
        return timer.elapse <= maxElapse;
    }));
}
