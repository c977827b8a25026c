// Framework tests run on Qt's offscreen platform, where menus and message boxes are scripted.
#include "platform/toolkit/platform_app.h"
#include "platform/core/timer_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    PlatformApp::Init(argc, argv);
    TimerClock::UseManualClock(true);
    return RUN_ALL_TESTS();
}
