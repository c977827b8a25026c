#include "probe/interface_info.h"

#include <algorithm>
#include <fstream>
#include <limits>

namespace probe {
namespace {

std::string ReadLine(const std::string& name, const char* attribute) {
    std::ifstream file("/sys/class/net/" + name + "/" + attribute);
    std::string line;
    std::getline(file, line);
    return line;
}

// A decimal or 0x-prefixed number; `fallback` if the attribute is missing or unreadable
// (a virtual link answers its speed with an error).
long long ReadNumber(const std::string& name, const char* attribute, long long fallback) {
    const std::string text = ReadLine(name, attribute);
    try {
        size_t end = 0;
        const long long value = std::stoll(text, &end, 0);
        return end == text.size() ? value : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

// "00:1b:21:aa:57:05" as six bytes; empty if it is no such text.
std::string AddressBytes(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i + 2 <= text.size(); i += 3) {
        try {
            size_t end = 0;
            const int byte = std::stoi(text.substr(i, 2), &end, 16);
            if (end != 2) {
                return "";
            }
            bytes.push_back(char(byte));
        } catch (const std::exception&) {
            return "";
        }
    }
    return bytes;
}

} // namespace

MonitoredInterface DescribeInterface(const std::string& name, uint32_t ifIndex) {
    constexpr long long kIfUp = 0x1;
    constexpr long long kMaxGauge = std::numeric_limits<uint32_t>::max();
    MonitoredInterface interface;
    interface.ifIndex = ifIndex;
    interface.description = name;
    interface.mtu = uint32_t(std::max(0LL, ReadNumber(name, "mtu", 0)));
    const long long megabits = std::max(0LL, ReadNumber(name, "speed", 0));
    interface.speed = uint32_t(std::min(kMaxGauge, megabits * 1000000));
    interface.address = AddressBytes(ReadLine(name, "address"));
    interface.adminUp = (ReadNumber(name, "flags", 0) & kIfUp) != 0;
    const std::string state = ReadLine(name, "operstate");
    // "unknown": drivers that do not report a state, loopback among them, carry traffic.
    interface.operUp = state == "up" || state == "unknown";
    return interface;
}

} // namespace probe
