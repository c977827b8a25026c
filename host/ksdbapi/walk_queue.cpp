#include "host/ksdbapi/walk_queue.h"

namespace ksdb {

bool WalkQueue::Admit(uint32_t node, uint64_t ticket) {
    Node& state = m_nodes[node];
    if (state.sent < kMaxWalkRequests) {
        ++state.sent;
        return true;
    }
    state.waiting.push_back(ticket);
    return false;
}

uint64_t WalkQueue::Release(uint32_t node) {
    Node& state = m_nodes[node];
    if (state.waiting.empty()) {
        state.sent = state.sent > 0 ? state.sent - 1 : 0;
        return 0;
    }
    uint64_t next = state.waiting.front();
    state.waiting.pop_front();
    return next;
}

} // namespace ksdb
