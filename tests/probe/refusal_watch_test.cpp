// The refusal log's rate limit and the SNMPv3 header a refusal is judged by.
#include "probe/refusal_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using probe::Refusal;
using probe::RefusalLog;
using Clock = std::chrono::steady_clock;

std::vector<Refusal> Refusals(size_t count, const std::string& reason) {
    return std::vector<Refusal>(count, Refusal{reason, "10.0.0.7:40312"});
}

// Up to the limit each refusal has its line; past it they are counted by reason, and the
// count is said once the window ends, which starts the next window afresh.
TEST(RefusalLog, LinesUpToTheLimitThenACountWhenTheWindowEnds) {
    const std::string line = "refused a request from 10.0.0.7:40312: bad community name";
    struct Case {
        size_t first, second; // refusals in the first window, then at its end
        size_t lines;         // lines written in the first window
        std::string summary;  // the line that ends it ("" none)
    } cases[] = {
        {0, 1, 0, ""},
        {RefusalLog::kLinesPerWindow, 1, RefusalLog::kLinesPerWindow, ""},
        {RefusalLog::kLinesPerWindow + 1, 1, RefusalLog::kLinesPerWindow,
         "refused 1 more request in 10 s, not logged one by one: bad community name (1)"},
        {RefusalLog::kLinesPerWindow + 3, 1, RefusalLog::kLinesPerWindow,
         "refused 3 more requests in 10 s, not logged one by one: bad community name (3)"},
    };
    for (const Case& test : cases) {
        RefusalLog log;
        const Clock::time_point start = Clock::now();
        std::vector<std::string> lines =
            log.Lines(Refusals(test.first, "bad community name"), start);
        EXPECT_EQ(lines, std::vector<std::string>(test.lines, line)) << test.first;
        // One tick before the window ends nothing more is said; at its end, the count.
        lines = log.Lines({}, start + RefusalLog::kWindow - std::chrono::milliseconds(1));
        EXPECT_TRUE(lines.empty()) << test.first;
        lines = log.Lines(Refusals(test.second, "bad community name"), start + RefusalLog::kWindow);
        std::vector<std::string> expected;
        if (!test.summary.empty()) {
            expected.push_back(test.summary);
        }
        expected.insert(expected.end(), test.second, line);
        EXPECT_EQ(lines, expected) << test.first;
    }
}

TEST(RefusalLog, CountsLeftOutByReason) {
    RefusalLog log;
    const Clock::time_point start = Clock::now();
    log.Lines(Refusals(RefusalLog::kLinesPerWindow, "bad community name"), start);
    std::vector<Refusal> more = Refusals(2, "wrong SNMPv3 authentication digest");
    more.push_back({"bad community name", "[fd00::7]:161"});
    EXPECT_TRUE(log.Lines(more, start).empty());
    EXPECT_EQ(log.Lines({}, start + RefusalLog::kWindow),
              (std::vector<std::string>{"refused 3 more requests in 10 s, not logged one by "
                                        "one: bad community name (1), wrong SNMPv3 "
                                        "authentication digest (2)"}));
}

// BER as a manager sends it: tag, one-octet length, content.
std::string Tlv(uint8_t tag, const std::string& content) {
    return std::string(1, char(tag)) + char(content.size()) + content;
}

std::string Integer(uint8_t value) {
    return Tlv(0x02, std::string(1, char(value)));
}

// An SNMPv3 message's header up to the boots its security parameters carry.
std::string Message(uint8_t version, uint8_t flags, const std::string& engine, uint8_t boots) {
    const std::string global = Tlv(0x30, Integer(7) + Tlv(0x02, "\x05\xdc") +
                                             Tlv(0x04, std::string(1, char(flags))) + Integer(3));
    const std::string security =
        Tlv(0x04, Tlv(0x30, Tlv(0x04, engine) + Integer(boots) + Integer(0) + Tlv(0x04, "mon")));
    return Tlv(0x30, Integer(version) + global + security + Tlv(0x30, ""));
}

TEST(PeekV3Header, ReadsPrivacyEngineAndBoots) {
    const std::string engine = "\x80\x00\x1f\x88\x05" + std::string(12, '\x42');
    struct Case {
        const char* what;
        std::string message;
        bool read;
        bool encrypted;
        size_t engineLength;
        uint32_t boots;
    } cases[] = {
        {"discovery", Message(3, 0x04, "", 0), true, false, 0, 0},
        {"authPriv", Message(3, 0x07, engine, 5), true, true, engine.size(), 5},
        {"authNoPriv", Message(3, 0x05, engine, 127), true, false, engine.size(), 127},
        {"SNMPv2c", Message(1, 0x07, engine, 5), false, false, 0, 0},
        {"cut short", Message(3, 0x07, engine, 5).substr(0, 30), false, false, 0, 0},
        {"empty", "", false, false, 0, 0},
    };
    for (const Case& test : cases) {
        probe::V3Header header;
        const auto* data = reinterpret_cast<const uint8_t*>(test.message.data());
        ASSERT_EQ(probe::PeekV3Header(data, test.message.size(), header), test.read) << test.what;
        if (test.read) {
            EXPECT_EQ(header.encrypted, test.encrypted) << test.what;
            EXPECT_EQ(header.engineIdLength, test.engineLength) << test.what;
            EXPECT_EQ(header.boots, test.boots) << test.what;
        }
    }
}

} // namespace
