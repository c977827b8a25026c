// What frames with their FCS captured add to etherStatsTable: the error classes by length
// and FCS, which the capture files of the tshark comparison (FCS stripped) cannot reach.
#include "probe/ether_statistics.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using probe::EtherStatistics;

// Adds a broadcast frame of `octets` with its FCS, good or damaged.
void AddFrame(EtherStatistics& statistics, uint32_t octets, bool damaged) {
    std::vector<uint8_t> frame(octets - 4, 0);
    std::fill(frame.begin(), frame.begin() + 6, 0xFF);
    frame[12] = 0x08;
    const uint32_t crc = probe::FrameCrc(frame.data(), uint32_t(frame.size())) ^ damaged;
    for (int byte = 0; byte < 4; ++byte) {
        frame.push_back(uint8_t(crc >> (8 * byte)));
    }
    probe::CountingRules rules;
    rules.fcsCaptured = true;
    probe::FrameCount count;
    ASSERT_TRUE(probe::CountFrame(frame.data(), octets, octets, rules, count));
    statistics.Add(count);
}

} // namespace

TEST(EtherStatistics, ErrorClassesByLengthAndFcs) {
    EtherStatistics s;
    for (uint32_t octets : {63u, 64u, 1518u, 1519u}) {
        AddFrame(s, octets, false);
        AddFrame(s, octets, true);
    }
    EXPECT_EQ(s.packets, 8u);
    EXPECT_EQ(s.octets, 2u * (63 + 64 + 1518 + 1519));
    EXPECT_EQ(s.undersize, 1u);
    EXPECT_EQ(s.fragments, 1u);
    EXPECT_EQ(s.crcAlign, 2u); // 64 and 1518 octets, damaged
    EXPECT_EQ(s.oversize, 1u);
    EXPECT_EQ(s.jabbers, 1u);
    EXPECT_EQ(s.sizes[0], 2u);
    EXPECT_EQ(s.sizes[5], 2u);
    // Broadcasts count good frames only: not runts, not damaged ones.
    EXPECT_EQ(s.broadcast, 3u);
    EXPECT_EQ(s.multicast, 0u);
}

TEST(EtherStatistics, FramesWithoutAnAddressPairStillCount) {
    const uint8_t bytes[8] = {};
    probe::FrameCount count;
    EXPECT_FALSE(probe::CountFrame(bytes, 8, 8, {}, count));
    EtherStatistics s;
    s.Add(count);
    EXPECT_EQ(s.packets, 1u);
    EXPECT_EQ(s.octets, 12u);
    EXPECT_EQ(s.undersize, 1u);
    EXPECT_EQ(s.broadcast + s.multicast, 0u);
}

// Each size bucket at both of its edges: a bucket end off by one moves one of these frames.
TEST(EtherStatistics, SizeBucketsAtTheirEdges) {
    const struct {
        uint32_t octets;
        size_t bucket;
    } cases[] = {{64, 0},  {65, 1},  {127, 1},  {128, 2},  {255, 2}, {256, 3},
                 {511, 3}, {512, 4}, {1023, 4}, {1024, 5}, {1518, 5}};
    for (const auto& c : cases) {
        EtherStatistics s;
        AddFrame(s, c.octets, false);
        for (size_t bucket = 0; bucket < std::size(s.sizes); ++bucket) {
            EXPECT_EQ(s.sizes[bucket], bucket == c.bucket ? 1u : 0u)
                << c.octets << " octets, bucket " << bucket;
        }
    }
}

// Octets and packets count on past 2^32 (the high-capacity table serves all 64 bits).
TEST(EtherStatistics, CountsBeyondThirtyTwoBits) {
    EtherStatistics s;
    probe::FrameCount jumbo;
    jumbo.octets = 0xF0000000u;
    s.Add(jumbo);
    s.Add(jumbo);
    EXPECT_EQ(s.octets, 2ull * 0xF0000000u);
    EXPECT_EQ(s.oversize, 2u);
}
