#include "host/ksdbapi/walk_log.h"

#include "common/trace.h"
#include "hostapi/ksdb_codes.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace ksdb {
namespace {

// A walk is named by its record's handle: "walk 0x1000203 started: node 1, a whole table".
std::string WalkName(DbHandle record) {
    char text[32];
    std::snprintf(text, sizeof text, "walk 0x%jx", static_cast<uintmax_t>(record));
    return text;
}

void TraceEnd(DbHandle record, uint32_t node, const WalkSummary& summary) {
    const std::string how = WalkReachedEnd(summary.status) ? "at the end of its column"
                                                           : "on " + ErrorText(summary.status);
    TraceLine(TraceChannel::kWalk, WalkName(record) + " ended: node " + std::to_string(node) +
                                       ", " + std::to_string(summary.rows) + " rows in " +
                                       std::to_string(summary.took.count()) + " ms, " + how);
}

} // namespace

void WalkLog::OnPosted(DbHandle record, uint32_t node, bool getNext, bool fresh, bool fromStart) {
    if (!getNext) {
        m_walks.erase(record);
        return;
    }
    if (fresh || !m_walks.count(record)) {
        m_walks[record] = Walk{std::chrono::steady_clock::now(), 0, fromStart};
        if (TraceOn(TraceChannel::kWalk)) {
            TraceLine(TraceChannel::kWalk,
                      WalkName(record) + " started: node " + std::to_string(node) +
                          (fromStart ? ", a whole table" : ", inside a table"));
        }
    }
}

std::chrono::steady_clock::time_point WalkLog::StartOf(DbHandle record) const {
    auto walk = m_walks.find(record);
    return walk == m_walks.end() ? std::chrono::steady_clock::time_point::min()
                                 : walk->second.start;
}

// A time-out or an unreachable node starts (or continues) a silence; any other answer,
// an SNMP error status included, shows the node answering and ends it.
void WalkLog::NoteAnswer(NodeActivity& activity, int status) {
    const auto now = std::chrono::system_clock::now();
    if (status != 0) {
        activity.lastError = status;
        activity.lastErrorAt = now;
    }
    const bool silent = status == KSDB_ERR_TIMEOUT || status == KSDB_ERR_UNREACHABLE;
    if (!silent) {
        activity.silentSince = {};
    } else if (activity.silentSince == std::chrono::system_clock::time_point{}) {
        activity.silentSince = now;
    }
}

void WalkLog::OnAnswered(DbHandle record, uint32_t node, int status, bool leftColumn) {
    NodeActivity& activity = m_nodes[node];
    NoteAnswer(activity, status);
    auto walk = m_walks.find(record);
    if (walk == m_walks.end()) {
        return;
    }
    if (status == 0 && !leftColumn) {
        ++walk->second.rows;
        return;
    }
    ++activity.walksEnded;
    WalkSummary& summary = activity.lastWalk;
    summary.endedAt = std::chrono::system_clock::now();
    summary.took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - walk->second.start);
    summary.rows = walk->second.rows;
    summary.status = status;
    if (TraceOn(TraceChannel::kWalk)) {
        TraceEnd(record, node, summary);
    }
    if (walk->second.wholeTable) {
        ++activity.tableWalksEnded;
        activity.lastTableWalk = summary;
        if (WalkReachedEnd(status)) {
            activity.tableRows = summary.rows;
        }
    }
    m_walks.erase(walk);
}

void WalkLog::OnEngineRestarted(uint32_t node) {
    m_nodes[node].restartedAt = std::chrono::system_clock::now();
}

NodeActivity WalkLog::Of(uint32_t node) const {
    auto it = m_nodes.find(node);
    return it == m_nodes.end() ? NodeActivity{} : it->second;
}

} // namespace ksdb
