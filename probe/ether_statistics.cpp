#include "probe/ether_statistics.h"

#include <algorithm>

namespace probe {
namespace {

constexpr uint32_t kMinimumFrame = 64;   // with the FCS
constexpr uint32_t kMaximumFrame = 1518; // untagged, with the FCS
// The upper bound of each size bucket but the last, which ends at kMaximumFrame.
constexpr uint32_t kBucketEnds[] = {64, 127, 255, 511, 1023};

bool IsBroadcast(const Mac& address) {
    return std::all_of(address.begin(), address.end(), [](uint8_t byte) { return byte == 0xFF; });
}

} // namespace

// After RMON-1: octets, packets and the size buckets include bad frames; broadcast and
// multicast count good frames only.
void EtherStatistics::Add(const FrameCount& frame) {
    packets += 1;
    octets += frame.octets;
    if (!frame.error && frame.paired) {
        const bool broadcastFrame = IsBroadcast(frame.destination);
        broadcast += broadcastFrame;
        multicast += !broadcastFrame && (frame.destination[0] & 1);
    }
    if (frame.octets < kMinimumFrame) {
        (frame.badFcs ? fragments : undersize) += 1;
        return;
    }
    if (frame.octets > kMaximumFrame) {
        (frame.badFcs ? jabbers : oversize) += 1;
        return;
    }
    crcAlign += frame.badFcs;
    const uint32_t* end =
        std::lower_bound(std::begin(kBucketEnds), std::end(kBucketEnds), frame.octets);
    sizes[end - std::begin(kBucketEnds)] += 1;
}

} // namespace probe
