// The module as the plug-in uses it: loaded at run time, answering from the event loop.
#include "hostapi/convert_mapped_address.h"

#include <QCoreApplication>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Answer {
    std::string address;
    std::string name;
    intptr_t row;
};
std::vector<Answer> g_answers;
bool g_inRequest = false;
int g_answersDuringRequest = 0;

int OnNameConverted(const char* address, const char* name, intptr_t row) {
    g_answersDuringRequest += g_inRequest;
    g_answers.push_back({address, name, row});
    return 1;
}

class ConvertMappedAddressTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_module = dlopen(PARLANCE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(s_module, nullptr) << dlerror();
        s_convert = reinterpret_cast<ConvertMappedAddressProc>(
            dlsym(s_module, CONVERT_MAPPED_ADDRESS_NAME));
        ASSERT_NE(s_convert, nullptr) << "exported with C linkage";
    }

    void SetUp() override {
        g_answers.clear();
        g_answersDuringRequest = 0;
    }

    static int Call(int command, uint32_t* slot, const char* address = nullptr, intptr_t row = 0) {
        char scratch[CONVERT_SCRATCH_SIZE] = {};
        g_inRequest = true;
        int result = s_convert(command, 0, slot, address, address ? scratch : nullptr, 0, 0, 0, 0,
                               0, OnNameConverted, row);
        g_inRequest = false;
        return result;
    }

    // Runs the event loop until count answers came, or a bounded number of rounds.
    static void WaitForAnswers(size_t count) {
        for (int round = 0; round < 100 && g_answers.size() < count; ++round) {
            QCoreApplication::processEvents();
        }
        // A few more rounds so that an answer too many would show.
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::processEvents();
        }
    }

    static inline void* s_module = nullptr;
    static inline ConvertMappedAddressProc s_convert = nullptr;
};

TEST_F(ConvertMappedAddressTest, NamesArriveFromTheEventLoop) {
    uint32_t slot = 0;
    ASSERT_EQ(Call(CONVERT_REGISTER, &slot), 1);
    EXPECT_NE(slot, 0u);
    // Source then destination of two rows, as the view asks; names from data/ethers first.
    EXPECT_EQ(Call(CONVERT_REQUEST, &slot, "00 05 85 C9 65 A5", 7), 1);
    EXPECT_EQ(Call(CONVERT_REQUEST, &slot, "00 A0 C9 12 34 56", 7), 1);
    EXPECT_EQ(Call(CONVERT_REQUEST, &slot, "20 85 93 B4 56 78", 8), 1);
    EXPECT_TRUE(g_answers.empty()) << "no answer inside the request call";
    WaitForAnswers(3);
    EXPECT_EQ(g_answersDuringRequest, 0);
    ASSERT_EQ(g_answers.size(), 3u);
    EXPECT_EQ(g_answers[0].address, "00 05 85 C9 65 A5");
    EXPECT_EQ(g_answers[0].name, "gateway");
    EXPECT_EQ(g_answers[0].row, 7);
    EXPECT_EQ(g_answers[1].name, "Intel_12:34:56");
    EXPECT_EQ(g_answers[2].name, "IOG_b4:56:78");
    EXPECT_EQ(g_answers[2].row, 8);
    EXPECT_EQ(Call(CONVERT_UNREGISTER, &slot), 1);
    EXPECT_EQ(slot, 0u);
}

TEST_F(ConvertMappedAddressTest, NoAnswerWithoutAName) {
    uint32_t slot = 0;
    ASSERT_EQ(Call(CONVERT_REGISTER, &slot), 1);
    for (const char* address :
         {"FF FF FF FF FF FF", "00 A0 C9 12 34", "00 A0 C9 12 34 56 ", "00  A0 C9 12 34 5",
          "00:A0:C9:12:34:56", "", (const char*)nullptr}) {
        EXPECT_EQ(Call(CONVERT_REQUEST, &slot, address, 1), 0) << (address ? address : "null");
    }
    EXPECT_EQ(Call(CONVERT_REQUEST, &slot, "00 a0 c9 12 34 56", 2), 1) << "lower case is taken";
    WaitForAnswers(1);
    ASSERT_EQ(g_answers.size(), 1u);
    EXPECT_EQ(g_answers[0].row, 2);
    Call(CONVERT_UNREGISTER, &slot);
}

TEST_F(ConvertMappedAddressTest, NoAnswerForAnUnregisteredSlot) {
    uint32_t never = 0;
    EXPECT_EQ(Call(CONVERT_REQUEST, &never, "00 A0 C9 12 34 56", 1), 0);
    EXPECT_EQ(Call(CONVERT_REQUEST, nullptr, "00 A0 C9 12 34 56", 1), 0);

    uint32_t slot = 0;
    ASSERT_EQ(Call(CONVERT_REGISTER, &slot), 1);
    uint32_t stale = slot;
    EXPECT_EQ(Call(CONVERT_REQUEST, &slot, "00 A0 C9 12 34 56", 2), 1);
    // Unregistered before the event loop ran: the queued answer is dropped.
    EXPECT_EQ(Call(CONVERT_UNREGISTER, &slot), 1);
    EXPECT_EQ(Call(CONVERT_REQUEST, &stale, "00 A0 C9 12 34 56", 3), 0);
    // Registering again gives a new number; the old one stays dead.
    ASSERT_EQ(Call(CONVERT_REGISTER, &slot), 1);
    EXPECT_NE(slot, stale);
    EXPECT_EQ(Call(CONVERT_REQUEST, &stale, "00 A0 C9 12 34 56", 4), 0);
    WaitForAnswers(1);
    EXPECT_TRUE(g_answers.empty());
    Call(CONVERT_UNREGISTER, &slot);
}

TEST_F(ConvertMappedAddressTest, CallersAreIndependent) {
    uint32_t first = 0;
    uint32_t second = 0;
    ASSERT_EQ(Call(CONVERT_REGISTER, &first), 1);
    ASSERT_EQ(Call(CONVERT_REGISTER, &second), 1);
    EXPECT_NE(first, second);
    Call(CONVERT_REQUEST, &first, "00 A0 C9 12 34 56", 1);
    Call(CONVERT_REQUEST, &second, "00 A0 C9 12 34 56", 2);
    Call(CONVERT_UNREGISTER, &first);
    WaitForAnswers(1);
    ASSERT_EQ(g_answers.size(), 1u);
    EXPECT_EQ(g_answers[0].row, 2);
    Call(CONVERT_UNREGISTER, &second);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
