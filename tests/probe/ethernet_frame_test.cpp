// The counting rules of one frame: FCS octets, runts, padding, VLAN tags, frames too short
// for their header, and the FCS check when the capture holds it.
#include "probe/ethernet_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using probe::CountFrame;
using probe::CountingRules;
using probe::FrameCount;
using probe::Mac;

const Mac kSource = {0x00, 0x1B, 0x21, 0xAA, 0x57, 0x05};
const Mac kDestination = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// A frame of `size` bytes: destination, source, then the given types (tags and the last
// type), then zeros.
std::vector<uint8_t> Frame(size_t size, std::vector<uint16_t> types = {0x0800}) {
    std::vector<uint8_t> frame(kDestination.begin(), kDestination.end());
    frame.insert(frame.end(), kSource.begin(), kSource.end());
    for (size_t i = 0; i < types.size(); ++i) {
        frame.push_back(uint8_t(types[i] >> 8));
        frame.push_back(uint8_t(types[i]));
        if (i + 1 < types.size()) {
            frame.insert(frame.end(), {0x00, 0x0A}); // tag control: VLAN 10
        }
    }
    frame.resize(size);
    return frame;
}

FrameCount Count(const std::vector<uint8_t>& frame, uint32_t length, CountingRules rules = {}) {
    FrameCount count;
    EXPECT_TRUE(CountFrame(frame.data(), uint32_t(frame.size()), length, rules, count));
    return count;
}

void AppendFcs(std::vector<uint8_t>& frame, uint32_t crc) {
    for (int byte = 0; byte < 4; ++byte) {
        frame.push_back(uint8_t(crc >> (8 * byte)));
    }
}

} // namespace

TEST(EthernetFrame, OctetsAddTheFcsTheCaptureLacks) {
    FrameCount count = Count(Frame(60), 60);
    EXPECT_EQ(count.source, kSource);
    EXPECT_EQ(count.destination, kDestination);
    EXPECT_EQ(count.octets, 64u);
    EXPECT_FALSE(count.error);
    // Cut by the snapshot length: the length on the wire counts, and it is no error.
    std::vector<uint8_t> head = Frame(64);
    EXPECT_EQ(Count(head, 1514).octets, 1518u);
    EXPECT_FALSE(Count(head, 1514).error);
    // Longer than a wire frame (an offloaded segment): counted as it is, no error.
    EXPECT_FALSE(Count(head, 65000).error);
}

TEST(EthernetFrame, ShortFramesAreRuntsOrPadded) {
    std::vector<uint8_t> arp = Frame(42, {0x0806});
    FrameCount runt = Count(arp, 42);
    EXPECT_EQ(runt.octets, 46u);
    EXPECT_TRUE(runt.error);
    EXPECT_TRUE(Count(Frame(59), 59).error);
    EXPECT_FALSE(Count(Frame(60), 60).error);

    CountingRules padded;
    padded.padShortFrames = true;
    FrameCount seen = Count(arp, 42, padded);
    EXPECT_EQ(seen.octets, 64u);
    EXPECT_FALSE(seen.error);
    // Too short for its header is an error however short frames are taken.
    EXPECT_TRUE(Count(Frame(13), 13, padded).error);
    EXPECT_TRUE(Count(Frame(16, {0x8100, 0x0800}), 16, padded).error);
    EXPECT_TRUE(Count(Frame(20, {0x88A8, 0x8100, 0x0800}), 20, padded).error);
}

TEST(EthernetFrame, TaggedFramesCountOnTheirMacPairWithTheirTags) {
    for (std::vector<uint16_t> types :
         {std::vector<uint16_t>{0x8100, 0x0800}, std::vector<uint16_t>{0x88A8, 0x8100, 0x86DD}}) {
        FrameCount count = Count(Frame(200, types), 200);
        EXPECT_EQ(count.source, kSource);
        EXPECT_EQ(count.destination, kDestination);
        EXPECT_EQ(count.octets, 204u);
        EXPECT_FALSE(count.error);
    }
    // A tag the snapshot length cut is not the frame's fault.
    EXPECT_FALSE(Count(Frame(14, {0x8100}), 100).error);
}

TEST(EthernetFrame, TooLittleCapturedForAnAddressPairIsNotCounted) {
    std::vector<uint8_t> frame = Frame(11);
    FrameCount count;
    EXPECT_FALSE(CountFrame(frame.data(), 11, 11, {}, count));
    EXPECT_FALSE(CountFrame(frame.data(), 11, 1500, {}, count));
}

TEST(EthernetFrame, CapturedFcsIsCountedOnceAndChecked) {
    EXPECT_EQ(probe::FrameCrc(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    CountingRules withFcs;
    withFcs.fcsCaptured = true;
    std::vector<uint8_t> frame = Frame(60);
    AppendFcs(frame, probe::FrameCrc(frame.data(), 60));
    FrameCount good = Count(frame, 64, withFcs);
    EXPECT_EQ(good.octets, 64u);
    EXPECT_FALSE(good.error);
    frame[30] ^= 1;
    EXPECT_TRUE(Count(frame, 64, withFcs).error);
    // Only a whole frame's FCS can be checked.
    std::vector<uint8_t> head(frame.begin(), frame.begin() + 40);
    EXPECT_FALSE(Count(head, 64, withFcs).error);
    EXPECT_TRUE(Count(Frame(56), 56, withFcs).error); // a runt: 56 octets with its FCS
}
