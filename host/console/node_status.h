// The node window's status line, read from the host database's own record of the node's
// requests (ksdb::ActivityOf), so that it needs nothing of the plug-in:
//
//   waiting for the first walk
//   250 conversations; last walk ended at 12:34:56, took 1.2 s
//   250 conversations; last walk failed at 12:34:56: genErr
//   250 conversations; not answering since 12:34:56 (time-out)
//
// The count is that of the last whole-table walk that reached the table's end. A silence
// begins with the first time-out (or unreachable node) after the last answer and ends with
// the next answer, so the line recovers by itself when the probe answers again.
#pragma once

#include "host/ksdbapi/ksdb_host.h"

#include <string>

enum class NodeState { kWaiting, kAnswering, kFailing, kSilent };

struct NodeStatus {
    NodeState state = NodeState::kWaiting;
    std::string text;
};

NodeStatus DescribeNode(const ksdb::NodeActivity& activity);
// "waiting", "answering", "failing", "not-answering": the names script mode waits for.
const char* NodeStateName(NodeState state);
