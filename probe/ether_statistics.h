// RMON-1's Ethernet statistics of one monitored interface (etherStatsEntry's counters):
// what every captured frame adds, and the capture's own drop count. Counter32 but for the
// counts the high-capacity table (etherStatsHighCapacityEntry) serves with 64 bits: octets,
// packets and the size buckets.
#pragma once

#include "probe/ethernet_frame.h"

#include <cstdint>

namespace probe {

struct EtherStatistics {
    uint32_t dropEvents = 0; // frames the capture lost for want of buffer space
    uint64_t octets = 0;
    uint64_t packets = 0;
    uint32_t broadcast = 0; // good frames to ff:ff:ff:ff:ff:ff
    uint32_t multicast = 0; // good frames to a group address other than broadcast
    uint32_t crcAlign = 0;  // 64 to 1518 octets with a bad FCS
    uint32_t undersize = 0; // under 64 octets, FCS good or not captured
    uint32_t oversize = 0;  // over 1518 octets, FCS good or not captured
    uint32_t fragments = 0; // under 64 octets with a bad FCS
    uint32_t jabbers = 0;   // over 1518 octets with a bad FCS
    uint64_t sizes[6] = {}; // 64, 65-127, 128-255, 256-511, 512-1023, 1024-1518 octets

    // Adds a frame counted by CountFrame, paired or not.
    void Add(const FrameCount& frame);
};

} // namespace probe
