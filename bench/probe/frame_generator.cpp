// A bounded frame generator for the live capture benchmark: sends COUNT minimum-size
// Ethernet frames (60 bytes, 64 with the FCS the link adds) out of an interface as fast as
// the kernel takes them, with sendmmsg on a raw packet socket that bypasses the queueing
// discipline. Sources cycle over PAIRS addresses, all to one destination, so a probe sees
// PAIRS conversations. Prints the frames sent, the frames the kernel refused and the rate.
//
// usage: frame_generator IFACE COUNT [PAIRS]    (root or CAP_NET_RAW)
#include "common/number_text.h"

#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kFrameBytes = 60;
constexpr size_t kBurst = 256;

struct Frames {
    std::vector<uint8_t> bytes; // kFrameBytes a frame, one frame per pair
    size_t pairs;
};

Frames MakeFrames(size_t pairs) {
    Frames frames{std::vector<uint8_t>(pairs * kFrameBytes, 0), pairs};
    for (size_t pair = 0; pair < pairs; ++pair) {
        uint8_t* frame = &frames.bytes[pair * kFrameBytes];
        const uint8_t header[14] = {0x02,          0x00, 0x00, 0x00, 0xFF,
                                    0xFF, // destination
                                    0x02,          0x00, 0x00, 0x01, uint8_t(pair >> 8),
                                    uint8_t(pair), 0x88, 0xB5}; // local experimental type
        std::memcpy(frame, header, sizeof header);
    }
    return frames;
}

int OpenSocket(const char* interface) {
    const int fd = socket(AF_PACKET, SOCK_RAW, 0);
    if (fd < 0) {
        std::perror("socket");
        return -1;
    }
    const int bypass = 1;
    setsockopt(fd, SOL_PACKET, PACKET_QDISC_BYPASS, &bypass, sizeof bypass);
    sockaddr_ll address{};
    address.sll_family = AF_PACKET;
    address.sll_ifindex = int(if_nametoindex(interface));
    if (address.sll_ifindex == 0 ||
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
        std::perror(interface);
        close(fd);
        return -1;
    }
    return fd;
}

// Sends `count` frames; returns the frames the kernel refused (out of buffer space).
uint64_t Send(int fd, const Frames& frames, uint64_t count) {
    std::vector<iovec> vectors(kBurst);
    std::vector<mmsghdr> messages(kBurst);
    uint64_t sent = 0, refused = 0;
    size_t next = 0;
    while (sent < count) {
        const size_t burst = size_t(std::min<uint64_t>(kBurst, count - sent));
        for (size_t i = 0; i < burst; ++i) {
            vectors[i] = {const_cast<uint8_t*>(&frames.bytes[next * kFrameBytes]), kFrameBytes};
            messages[i] = {};
            messages[i].msg_hdr.msg_iov = &vectors[i];
            messages[i].msg_hdr.msg_iovlen = 1;
            next = (next + 1) % frames.pairs;
        }
        const int done = sendmmsg(fd, messages.data(), unsigned(burst), 0);
        if (done < 0 && errno != ENOBUFS && errno != EAGAIN) {
            std::perror("sendmmsg");
            std::exit(1);
        }
        // A refused frame is not sent again: the count is of frames offered to the link.
        const uint64_t accepted = done < 0 ? 0 : uint64_t(done);
        refused += done < 0 ? 1 : 0;
        sent += done < 0 ? 1 : accepted;
    }
    return refused;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: frame_generator IFACE COUNT [PAIRS]\n");
        return 2;
    }
    uint64_t count = 0;
    size_t pairs = 1000;
    if (ParseWholeInteger(argv[2], count) != NumberError::kNone ||
        (argc > 3 && ParseWholeInteger(argv[3], pairs, 1, 65536) != NumberError::kNone)) {
        std::fprintf(stderr, "frame_generator: COUNT is a number, PAIRS one from 1 to 65536\n");
        return 2;
    }
    const int fd = OpenSocket(argv[1]);
    if (fd < 0) {
        return 1;
    }
    const Frames frames = MakeFrames(pairs);
    const auto start = std::chrono::steady_clock::now();
    const uint64_t refused = Send(fd, frames, count);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("sent %llu frames (%llu refused) in %.3f s: %.0f frames/s\n",
                static_cast<unsigned long long>(count - refused),
                static_cast<unsigned long long>(refused), seconds, double(count) / seconds);
    close(fd);
    return 0;
}
