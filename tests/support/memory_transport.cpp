#include "tests/support/memory_transport.h"

#include "hostapi/ksdb_codes.h"

namespace ksdb {

void MemoryTransport::AddAgent(const std::string& address, std::shared_ptr<MemoryAgent> agent) {
    m_agents[address] = std::move(agent);
}

void MemoryTransport::Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
                           AnswerSink& sink) {
    ++m_requestCount;
    auto it = m_agents.find(node.address);
    MemoryAgent* agent = it != m_agents.end() ? it->second.get() : m_default.get();
    SnmpAnswer answer;
    if (agent) {
        answer = agent->Answer(request, node.version);
    } else {
        answer.status = KSDB_ERR_UNREACHABLE;
    }
    if (m_hook) {
        m_hook(node, request, answer);
    }
    sink.OnAnswer(ticket, std::move(answer));
}

} // namespace ksdb
