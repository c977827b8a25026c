// A transport that serves in-memory agents: requests are answered at once from a sorted
// map and reach the requester from the event loop (the database defers them). An agent is
// chosen by the node's address, else the default agent; with neither the node is
// unreachable. A hook may rewrite any answer, to inject time-outs, error statuses or odd
// identifiers.
#pragma once

#include "host/ksdbapi/transport.h"
#include "tests/support/memory_agent.h"

#include <functional>
#include <map>
#include <memory>

namespace ksdb {

class MemoryTransport : public Transport {
  public:
    using AnswerHook =
        std::function<void(const NodeConfig& node, const SnmpRequest& request, SnmpAnswer& answer)>;

    void AddAgent(const std::string& address, std::shared_ptr<MemoryAgent> agent);
    void SetDefaultAgent(std::shared_ptr<MemoryAgent> agent) { m_default = std::move(agent); }
    void SetAnswerHook(AnswerHook hook) { m_hook = std::move(hook); }
    uint64_t RequestCount() const { return m_requestCount; }

    void Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
              AnswerSink& sink) override;
    void Cancel(uint64_t) override {}

  private:
    std::map<std::string, std::shared_ptr<MemoryAgent>> m_agents;
    std::shared_ptr<MemoryAgent> m_default;
    AnswerHook m_hook;
    uint64_t m_requestCount = 0;
};

} // namespace ksdb
