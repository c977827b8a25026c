// Message boxes in a scripted run: recorded and answered at once.
#include "platform/framework/message_box.h"
#include "platform/toolkit/scripted_ui.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxTest, RecordedWithFirstButtonOrQueuedAnswer) {
    platform::ClearMessageBoxRecords();
    EXPECT_EQ(MessageBox(nullptr, "Unable to load menu handle", nullptr, MB_OK), IDOK);
    EXPECT_EQ(MessageBox(nullptr, "Quit?", "Quillon", MB_YESNO | MB_ICONQUESTION), IDYES);
    platform::AnswerNextMessageBox(IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Retry?", "Quillon", MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(MessageBox(nullptr, "Again?", "Quillon", MB_RETRYCANCEL), IDRETRY);

    const std::vector<platform::MessageBoxRecord>& records = platform::MessageBoxRecords();
    ASSERT_EQ(records.size(), 4u);
    // Windows captions a box without a caption "Error".
    EXPECT_EQ(records[0].caption, "Error");
    EXPECT_EQ(records[0].text, "Unable to load menu handle");
    EXPECT_EQ(records[1].type, UINT{MB_YESNO | MB_ICONQUESTION});
    EXPECT_EQ(records[2].answer, IDCANCEL);
    platform::ClearMessageBoxRecords();
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
}

} // namespace
