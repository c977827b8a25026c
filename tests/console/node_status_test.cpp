// The node window's status line from a node's activity record: each state, its wording,
// and which state wins when several apply.
#include "host/console/node_status.h"

#include "hostapi/ksdb_codes.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace std::chrono;

namespace {

// That local time of today, as the status line prints clock times.
system_clock::time_point At(int hour, int minute, int second) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    return system_clock::from_time_t(std::mktime(&local));
}

ksdb::NodeActivity Walked(int rows, int status, milliseconds took) {
    ksdb::NodeActivity activity;
    activity.walksEnded = 3;
    activity.tableRows = rows;
    activity.lastTableWalk.endedAt = At(12, 34, 56);
    activity.lastTableWalk.took = took;
    activity.lastTableWalk.status = status;
    return activity;
}

} // namespace

TEST(NodeStatusTest, EachStateSaysWhatTheDatabaseSaw) {
    const NodeStatus waiting = DescribeNode(ksdb::NodeActivity{});
    EXPECT_EQ(waiting.state, NodeState::kWaiting);
    EXPECT_EQ(waiting.text, "waiting for the first walk");

    NodeStatus status = DescribeNode(Walked(250, 0, milliseconds(1249)));
    EXPECT_EQ(status.state, NodeState::kAnswering);
    EXPECT_EQ(status.text, "250 conversations; last walk ended at 12:34:56, took 1.2 s");
    EXPECT_EQ(DescribeNode(Walked(1, KSDB_ERR_END_OF_MIB_VIEW, milliseconds(50))).text,
              "1 conversation; last walk ended at 12:34:56, took 0.1 s")
        << "a walk that ran off the agent's MIB reached the table's end";

    status = DescribeNode(Walked(250, 5, milliseconds(10)));
    EXPECT_EQ(status.state, NodeState::kFailing);
    EXPECT_EQ(status.text, "250 conversations; last walk failed at 12:34:56: genErr");

    ksdb::NodeActivity silent = Walked(250, KSDB_ERR_TIMEOUT, milliseconds(3000));
    silent.silentSince = At(7, 5, 9);
    silent.lastError = KSDB_ERR_TIMEOUT;
    status = DescribeNode(silent);
    EXPECT_EQ(status.state, NodeState::kSilent);
    EXPECT_EQ(status.text, "250 conversations; not answering since 07:05:09 (time-out)");
    EXPECT_STREQ(NodeStateName(status.state), "not-answering");

    silent.lastTableWalk = {};
    silent.lastError = KSDB_ERR_UNREACHABLE;
    EXPECT_EQ(DescribeNode(silent).state, NodeState::kSilent) << "silent before any walk";
    EXPECT_NE(DescribeNode(silent).text.find("(unreachable)"), std::string::npos);
}
