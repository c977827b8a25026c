// The trace channel's switch: which channels a TESSARAN_TRACE value turns on.
#include "common/trace.h"

#include <gtest/gtest.h>

namespace {

constexpr unsigned Bits(TraceChannel channel) {
    return static_cast<unsigned>(channel);
}

TEST(TraceChannels, AnySubsetInAnyOrderAndTheWordsThatNameNone) {
    struct Case {
        const char* value;
        unsigned channels;
        const char* unknown;
    } const cases[] = {
        {nullptr, 0, ""},
        {"", 0, ""},
        {"walk", Bits(TraceChannel::kWalk), ""},
        {"msg,snmp,walk,graph",
         Bits(TraceChannel::kMsg) | Bits(TraceChannel::kSnmp) | Bits(TraceChannel::kWalk) |
             Bits(TraceChannel::kGraph),
         ""},
        {"graph,msg", Bits(TraceChannel::kGraph) | Bits(TraceChannel::kMsg), ""},
        {"walk,,walk,", Bits(TraceChannel::kWalk), ""},
        {"Walk,snmp,bulk", Bits(TraceChannel::kSnmp), "Walk,bulk"},
        {" walk", 0, " walk"},
    };
    for (const Case& c : cases) {
        std::string unknown = "stale";
        EXPECT_EQ(ParseTraceChannels(c.value, unknown), c.channels) << c.value;
        EXPECT_EQ(unknown, c.unknown) << c.value;
    }
}

// A line names its channel and the time before the text.
TEST(TraceChannels, WritesOneLineWithChannelAndTime) {
    testing::internal::CaptureStderr();
    TraceLine(TraceChannel::kGraph, "poll of node 1");
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(testing::internal::RE::FullMatch(
        written, "trace graph [0-9]{2}:[0-9]{2}:[0-9]{2}[.][0-9]{3} poll of node 1\n"))
        << written;
}

} // namespace
