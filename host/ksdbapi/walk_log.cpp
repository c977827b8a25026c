#include "host/ksdbapi/walk_log.h"

namespace ksdb {

void WalkLog::OnPosted(DbHandle record, bool getNext, bool fresh) {
    if (!getNext) {
        m_walks.erase(record);
        return;
    }
    if (fresh || !m_walks.count(record)) {
        m_walks[record] = Walk{std::chrono::steady_clock::now(), 0};
    }
}

void WalkLog::OnAnswered(DbHandle record, uint32_t node, int status, bool leftColumn) {
    NodeActivity& activity = m_nodes[node];
    if (status != 0) {
        activity.lastError = status;
        activity.lastErrorAt = std::chrono::system_clock::now();
    }
    auto walk = m_walks.find(record);
    if (walk == m_walks.end()) {
        return;
    }
    if (status == 0 && !leftColumn) {
        ++walk->second.rows;
        return;
    }
    ++activity.walksEnded;
    activity.lastWalkEndedAt = std::chrono::system_clock::now();
    activity.lastWalkTook = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - walk->second.start);
    activity.lastWalkRows = walk->second.rows;
    activity.lastWalkStatus = status;
    m_walks.erase(walk);
}

NodeActivity WalkLog::Of(uint32_t node) const {
    auto it = m_nodes.find(node);
    return it == m_nodes.end() ? NodeActivity{} : it->second;
}

} // namespace ksdb
