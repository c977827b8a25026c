// The clock the get-bulk read-ahead ages its kept repetitions by. In an application it is
// the steady clock; a test switches it to manual, as the platform's TimerClock does for
// timers, and moves it with Advance instead of sleeping past the age limit.
#pragma once

#include <chrono>

namespace ksdb {

class ReadAheadClock {
  public:
    using time_point = std::chrono::steady_clock::time_point;

    // Manual mode freezes the clock at its current reading until Advance moves it.
    static void UseManualClock(bool manual);
    static time_point now();
    // Manual mode only.
    static void Advance(std::chrono::milliseconds step);
};

} // namespace ksdb
