#include "common/trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace {

struct ChannelName {
    TraceChannel channel;
    std::string_view name;
};

constexpr ChannelName kChannels[] = {
    {TraceChannel::kMsg, "msg"},
    {TraceChannel::kSnmp, "snmp"},
    {TraceChannel::kWalk, "walk"},
    {TraceChannel::kGraph, "graph"},
};

std::string_view NameOf(TraceChannel channel) {
    for (const ChannelName& entry : kChannels) {
        if (entry.channel == channel) {
            return entry.name;
        }
    }
    return "?";
}

unsigned ChannelsOfEnvironment() {
    std::string unknown;
    return ParseTraceChannels(std::getenv("TESSARAN_TRACE"), unknown);
}

// The local time of day to the millisecond: lines of several channels and of the
// probe's log line up by it.
std::string TimeOfDay() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return text;
}

} // namespace

unsigned g_traceChannels = ChannelsOfEnvironment();

unsigned ParseTraceChannels(const char* value, std::string& unknown) {
    unknown.clear();
    unsigned channels = 0;
    std::string_view rest = value != nullptr ? value : "";
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        const std::string_view word = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? "" : rest.substr(comma + 1);
        bool known = false;
        for (const ChannelName& entry : kChannels) {
            if (entry.name == word) {
                channels |= static_cast<unsigned>(entry.channel);
                known = true;
            }
        }
        if (!known && !word.empty()) {
            unknown += (unknown.empty() ? "" : ",") + std::string(word);
        }
    }
    return channels;
}

std::string UnknownTraceChannels() {
    std::string unknown;
    ParseTraceChannels(std::getenv("TESSARAN_TRACE"), unknown);
    return unknown;
}

// One fprintf a line, so that lines of several threads do not interleave.
void TraceLine(TraceChannel channel, const std::string& text) {
    std::fprintf(stderr, "trace %s %s %s\n", std::string(NameOf(channel)).c_str(),
                 TimeOfDay().c_str(), text.c_str());
}
