// Walk requests (get-next) share a node's agent with gets and sets. A walk posts its next
// request the moment an answer comes, so many walks at once (the conversation window runs
// one per ordered pair of its hosts) would keep the agent's queue full and a graph's get
// would wait behind all of them, past its time-out. Each node therefore has a few places
// for walk requests on the wire; further walk requests wait here in the order they were
// posted, and gets and sets never wait: an agent that answers in order has at most
// kMaxWalkRequests walk requests ahead of any get.
//
// A request waits no longer than it would have waited on the wire for its answer: the
// database fails those that waited that long as time-outs (TakeExpired), so a window that
// posts walks faster than the agent answers them keeps a bounded queue.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

namespace ksdb {

class WalkQueue {
  public:
    using time_point = std::chrono::steady_clock::time_point;
    static constexpr int kMaxWalkRequests = 4;

    // Whether a walk request to `node` may go now; when not, its ticket waits from `now`.
    bool Admit(uint32_t node, uint64_t ticket, time_point now);
    // A walk request of `node` that went out has ended; its place goes to the next waiting
    // ticket, which is returned (0: none waits).
    uint64_t Release(uint32_t node);
    // The tickets of `node` that have waited `limit` or longer, taken out of the queue.
    std::vector<uint64_t> TakeExpired(uint32_t node, time_point now,
                                      std::chrono::milliseconds limit);
    void Clear() { m_nodes.clear(); }

  private:
    struct Waiting {
        uint64_t ticket;
        time_point since;
    };
    struct Node {
        int sent = 0;
        std::deque<Waiting> waiting;
    };
    std::map<uint32_t, Node> m_nodes;
};

} // namespace ksdb
