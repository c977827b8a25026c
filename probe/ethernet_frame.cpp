#include "probe/ethernet_frame.h"

#include <algorithm>
#include <array>

namespace probe {
namespace {

constexpr uint32_t kFcsLength = 4;
constexpr uint32_t kMinimumFrame = 64; // with the FCS
constexpr uint32_t kHeaderLength = 14; // destination, source, type
constexpr uint32_t kTagLength = 4;

bool IsTagType(uint16_t type) {
    return type == 0x8100 || type == 0x88A8 || type == 0x9100; // 802.1Q, 802.1ad, old QinQ
}

// True if the frame itself is too short for its header: the 14 bytes of addresses and type,
// or a VLAN tag with the type after it. Tags are read as far as the capture holds them; a
// capture cut by its snapshot length does not make the frame short.
bool HeaderCut(const uint8_t* data, uint32_t captured, uint32_t length) {
    if (length < kHeaderLength) {
        return true;
    }
    uint32_t end = kHeaderLength;
    while (end <= captured && IsTagType(uint16_t(data[end - 2] << 8 | data[end - 1]))) {
        if (end + kTagLength > length) {
            return true;
        }
        end += kTagLength;
    }
    return false;
}

std::array<uint32_t, 256> CrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int bit = 0; bit < 8; ++bit) {
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

// A frame whose check sequence the capture holds whole and which does not match its bytes.
bool BadFcs(const uint8_t* data, uint32_t captured, uint32_t length) {
    if (captured != length || length < kFcsLength) {
        return false;
    }
    const uint8_t* fcs = data + length - kFcsLength;
    const uint32_t carried =
        uint32_t(fcs[0]) | uint32_t(fcs[1]) << 8 | uint32_t(fcs[2]) << 16 | uint32_t(fcs[3]) << 24;
    return FrameCrc(data, length - kFcsLength) != carried;
}

} // namespace

uint32_t FrameCrc(const uint8_t* data, uint32_t size) {
    static const std::array<uint32_t, 256> kTable = CrcTable();
    uint32_t crc = 0xFFFFFFFFu;
    for (uint32_t i = 0; i < size; ++i) {
        crc = kTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

// The rules, after RMON's matrix group (octets "excluding framing bits but including FCS
// octets"; packets and octets include bad packets):
// - octets: the frame's length on the wire, plus 4 for the FCS when the capture lacks it;
//   802.1Q/802.1ad tags are part of the frame, and a tagged frame counts on its MAC pair.
// - errors: a runt (under 64 octets with the FCS, unless short frames are taken as padded,
//   then it counts as 64 octets), a frame too short for its header or its VLAN tags, and
//   with the FCS captured, a frame whose FCS does not match. Frames over the maximum length
//   are not errors: Linux hands offloaded segments of up to 64 KB to captures.
// - counters are Counter32 and wrap (MatrixCounters).
bool CountFrame(const uint8_t* data, uint32_t captured, uint32_t length, const CountingRules& rules,
                FrameCount& count) {
    captured = std::min(captured, length);
    count.paired = captured >= 12;
    if (count.paired) {
        std::copy(data, data + 6, count.destination.begin());
        std::copy(data + 6, data + 12, count.source.begin());
    }
    const uint32_t fcs = rules.fcsCaptured ? 0 : kFcsLength;
    count.octets = length + fcs;
    count.badFcs = rules.fcsCaptured && BadFcs(data, captured, length);
    const bool malformed = HeaderCut(data, captured, length) || count.badFcs;
    bool runt = count.octets < kMinimumFrame;
    if (runt && rules.padShortFrames) {
        count.octets = kMinimumFrame;
        runt = false;
    }
    count.error = malformed || runt;
    return count.paired;
}

} // namespace probe
