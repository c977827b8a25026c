// Fonts need the Qt application; the platform makes it.
#include "platform/toolkit/platform_app.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    PlatformApp::Init(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
