#include "host/console/node_status.h"

#include "hostapi/ksmem32.h"

#include <ctime>

namespace {

// Local wall-clock time, as the user reads a clock.
std::string ClockText(std::chrono::system_clock::time_point at) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

std::string Conversations(int rows) {
    return std::to_string(rows) + Localize(rows == 1 ? " conversation; " : " conversations; ");
}

// Tenths of a second, with a point whatever the locale says.
std::string SecondsText(std::chrono::milliseconds took) {
    const long long tenths = (took.count() + 50) / 100;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " s";
}

// What the node's agent last did to its SNMPv3 engine: "; agent restarted at 18:02:11".
std::string RestartText(const ksdb::NodeActivity& activity) {
    if (activity.restartedAt == std::chrono::system_clock::time_point{}) {
        return "";
    }
    return Localize("; agent restarted at ") + ClockText(activity.restartedAt) +
           Localize(", its SNMPv3 engine found again");
}

} // namespace

NodeStatus DescribeNode(const ksdb::NodeActivity& activity) {
    const ksdb::WalkSummary& walk = activity.lastTableWalk;
    const bool walked = walk.endedAt != std::chrono::system_clock::time_point{};
    if (activity.silentSince != std::chrono::system_clock::time_point{}) {
        return {NodeState::kSilent, Conversations(activity.tableRows) +
                                        Localize("not answering since ") +
                                        ClockText(activity.silentSince) + " (" +
                                        ksdb::ErrorText(activity.lastError) + ")"};
    }
    if (!walked) {
        return {NodeState::kWaiting, Localize("waiting for the first walk")};
    }
    if (!ksdb::WalkReachedEnd(walk.status)) {
        return {NodeState::kFailing, Conversations(activity.tableRows) +
                                         Localize("last walk failed at ") +
                                         ClockText(walk.endedAt) + ": " +
                                         ksdb::ErrorText(walk.status) + RestartText(activity)};
    }
    return {NodeState::kAnswering, Conversations(activity.tableRows) +
                                       Localize("last walk ended at ") + ClockText(walk.endedAt) +
                                       Localize(", took ") + SecondsText(walk.took) +
                                       RestartText(activity)};
}

const char* NodeStateName(NodeState state) {
    switch (state) {
    case NodeState::kWaiting:
        return "waiting";
    case NodeState::kAnswering:
        return "answering";
    case NodeState::kFailing:
        return "failing";
    case NodeState::kSilent:
        return "not-answering";
    }
    return "";
}
