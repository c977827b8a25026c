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
