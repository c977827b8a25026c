#include "host/ksdbapi/read_ahead_clock.h"

namespace ksdb {
namespace {

bool g_manual = false;
ReadAheadClock::time_point g_reading;

} // namespace

void ReadAheadClock::UseManualClock(bool manual) {
    g_reading = std::chrono::steady_clock::now();
    g_manual = manual;
}

ReadAheadClock::time_point ReadAheadClock::now() {
    return g_manual ? g_reading : std::chrono::steady_clock::now();
}

void ReadAheadClock::Advance(std::chrono::milliseconds step) {
    g_reading += step;
}

} // namespace ksdb
