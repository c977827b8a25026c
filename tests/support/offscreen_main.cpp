// The main of the window and graph tests: Qt's offscreen platform, the platform's
// application, and the timer clock under the tests' hand.
#include "platform/core/timer_clock.h"
#include "platform/toolkit/platform_app.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    PlatformApp::Init(argc, argv);
    TimerClock::UseManualClock(true);
    return RUN_ALL_TESTS();
}
