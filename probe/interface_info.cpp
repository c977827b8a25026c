#include "probe/interface_info.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>

namespace probe {
namespace {

constexpr uint64_t kIfUp = 0x1;        // IFF_UP
constexpr uint64_t kIfPromisc = 0x100; // IFF_PROMISC
constexpr uint64_t kArpEther = 1, kArpLoopback = 772;
constexpr uint32_t kEthernetCsmacd = 6, kSoftwareLoopback = 24, kOther = 1;

// The first line of a sysfs attribute, empty if it cannot be read. Plain system calls: the
// monitor reads some twenty attributes of each interface ten times a second.
std::string ReadLine(const std::string& path) {
    char buffer[256];
    const int handle = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (handle < 0) {
        return "";
    }
    const ssize_t size = read(handle, buffer, sizeof(buffer));
    close(handle);
    const std::string text(buffer, size_t(std::max<ssize_t>(size, 0)));
    return text.substr(0, text.find('\n'));
}

// A whole decimal or 0x-prefixed number; `fallback` if the attribute is missing or
// unreadable (a virtual link answers its speed with an error, an unknown one is -1).
uint64_t ReadNumber(const std::string& path, uint64_t fallback = 0) {
    const std::string text = ReadLine(path);
    const bool hex = text.rfind("0x", 0) == 0;
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    uint64_t value = 0;
    const std::from_chars_result result = std::from_chars(first, last, value, hex ? 16 : 10);
    return result.ec == std::errc() && result.ptr == last && first != last ? value : fallback;
}

// "00:1b:21:aa:57:05" as six bytes; empty if it is no such text.
std::string AddressBytes(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i + 2 <= text.size(); i += 3) {
        uint8_t byte = 0;
        const std::from_chars_result result =
            std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        if (result.ec != std::errc() || result.ptr != text.data() + i + 2) {
            return "";
        }
        bytes.push_back(char(byte));
    }
    return bytes;
}

InterfaceCounters ReadCounters(const std::string& directory) {
    const std::string statistics = directory + "statistics/";
    InterfaceCounters c;
    c.inOctets = ReadNumber(statistics + "rx_bytes");
    c.inPackets = ReadNumber(statistics + "rx_packets");
    c.inMulticast = ReadNumber(statistics + "multicast");
    c.inDiscards = ReadNumber(statistics + "rx_dropped");
    c.inErrors = ReadNumber(statistics + "rx_errors");
    c.inUnknownProtos = ReadNumber(statistics + "rx_nohandler");
    c.outOctets = ReadNumber(statistics + "tx_bytes");
    c.outPackets = ReadNumber(statistics + "tx_packets");
    c.outDiscards = ReadNumber(statistics + "tx_dropped");
    c.outErrors = ReadNumber(statistics + "tx_errors");
    return c;
}

} // namespace

InterfaceState ReadInterface(const std::string& name) {
    const std::string directory = "/sys/class/net/" + name + "/";
    InterfaceState state;
    state.ifIndex = uint32_t(ReadNumber(directory + "ifindex"));
    state.present = state.ifIndex != 0;
    if (!state.present) {
        return state;
    }
    const uint64_t type = ReadNumber(directory + "type");
    state.type = type == kArpEther      ? kEthernetCsmacd
                 : type == kArpLoopback ? kSoftwareLoopback
                                        : kOther;
    state.description = name;
    state.mtu = uint32_t(ReadNumber(directory + "mtu"));
    const uint64_t megabits = ReadNumber(directory + "speed");
    state.speed = megabits > UINT32_MAX ? 0 : megabits * 1000000;
    state.address = AddressBytes(ReadLine(directory + "address"));
    const uint64_t flags = ReadNumber(directory + "flags");
    state.adminUp = (flags & kIfUp) != 0;
    state.promiscuous = (flags & kIfPromisc) != 0;
    const std::string operState = ReadLine(directory + "operstate");
    // "unknown": drivers that do not report a state, loopback among them, carry traffic.
    state.operUp = operState == "up" || (operState == "unknown" && state.adminUp);
    state.connector = !ReadLine(directory + "device/uevent").empty();
    state.counters = ReadCounters(directory);
    return state;
}

} // namespace probe
