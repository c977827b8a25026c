#include "host/ksdbapi/walk_queue.h"

namespace ksdb {

bool WalkQueue::Admit(uint32_t node, uint64_t ticket, time_point now) {
    Node& state = m_nodes[node];
    if (state.sent < kMaxWalkRequests) {
        ++state.sent;
        return true;
    }
    state.waiting.push_back({ticket, now});
    return false;
}

uint64_t WalkQueue::Release(uint32_t node) {
    Node& state = m_nodes[node];
    if (state.waiting.empty()) {
        state.sent = state.sent > 0 ? state.sent - 1 : 0;
        return 0;
    }
    uint64_t next = state.waiting.front().ticket;
    state.waiting.pop_front();
    return next;
}

// Tickets wait in the order they came, so the expired ones are at the front.
std::vector<uint64_t> WalkQueue::TakeExpired(uint32_t node, time_point now,
                                             std::chrono::milliseconds limit) {
    std::vector<uint64_t> expired;
    auto state = m_nodes.find(node);
    if (state == m_nodes.end()) {
        return expired;
    }
    std::deque<Waiting>& waiting = state->second.waiting;
    while (!waiting.empty() && now - waiting.front().since >= limit) {
        expired.push_back(waiting.front().ticket);
        waiting.pop_front();
    }
    return expired;
}

} // namespace ksdb
