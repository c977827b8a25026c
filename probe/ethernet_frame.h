// What one captured Ethernet frame adds to the matrix: its MAC pair, its octets and whether
// it is a bad frame. The RMON counting rules live here.
#pragma once

#include "probe/matrix_table.h"

#include <cstdint>

namespace probe {

struct CountingRules {
    // The capture holds each frame's 4-byte frame check sequence. Linux and most capture
    // files strip it, so by default 4 octets are added to every frame.
    bool fcsCaptured = false;
    // Short frames were handed to the capture before the sender padded them (frames sent
    // by the capturing host or over virtual links: veth, bridges). They then count as the
    // minimum frame the wire carries, not as runts.
    bool padShortFrames = false;
};

struct FrameCount {
    Mac source{};
    Mac destination{};
    uint32_t octets = 0;
    bool error = false;
    bool paired = true;  // the capture holds the MAC pair (source and destination are set)
    bool badFcs = false; // the capture holds the FCS and it does not match
};

// Counts a frame of `length` octets on the wire (pcap's original length) of which `captured`
// bytes are at `data`. False if the capture holds too little of it to name its MAC pair
// (under 12 bytes): such a frame belongs to no conversation (`paired` false) but has its
// octets and error set.
bool CountFrame(const uint8_t* data, uint32_t captured, uint32_t length, const CountingRules& rules,
                FrameCount& count);

// The IEEE 802.3 CRC-32 of `size` bytes, as carried in the frame check sequence.
uint32_t FrameCrc(const uint8_t* data, uint32_t size);

} // namespace probe
