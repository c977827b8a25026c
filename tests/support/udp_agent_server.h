// An in-memory agent served over UDP through net-snmp's library, on the Qt event loop: the
// real manager side (net-snmp transport, get-bulk read-ahead, the database) meets an agent
// whose answers can be bent on command. Every request goes to the MemoryAgent; a fault hook
// then sees the request with the answer and may rewrite the answer (error statuses, odd
// identifiers, wrong types) or drop it, so that the manager times out. Requests with
// another community are dropped, as agents drop them. Stop and Start on the same port
// restart the agent; SetAgent swaps what it serves (counters reset, rows gone).
#pragma once

#include "tests/support/memory_agent.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;
struct snmp_session;
struct snmp_pdu;

namespace ksdb {

class UdpAgentServer {
  public:
    // Answers false to drop the request; may rewrite the answer.
    using FaultHook = std::function<bool(const SnmpRequest& request, SnmpAnswer& answer)>;

    explicit UdpAgentServer(std::string community = "public");
    ~UdpAgentServer();
    UdpAgentServer(const UdpAgentServer&) = delete;
    UdpAgentServer& operator=(const UdpAgentServer&) = delete;

    // Answers on 127.0.0.1:port, a free port for 0; false if it cannot bind.
    bool Start(uint16_t port = 0);
    // Stops answering: the socket is closed and requests go unanswered.
    void Stop();
    uint16_t Port() const { return m_port; }

    void SetAgent(std::shared_ptr<MemoryAgent> agent) { m_agent = std::move(agent); }
    void SetFaultHook(FaultHook hook) { m_hook = std::move(hook); }
    // Requests received with the right community, answered or dropped.
    uint64_t RequestCount() const { return m_requestCount; }

  private:
    static int OnPdu(int operation, snmp_session* session, int requestId, snmp_pdu* pdu,
                     void* magic);
    void Answer(snmp_pdu* request);
    bool Reply(snmp_pdu* request, int status, const std::vector<SnmpVarBind>& vars);
    void OnReadable();

    std::string m_community;
    std::shared_ptr<MemoryAgent> m_agent;
    FaultHook m_hook;
    uint64_t m_requestCount = 0;
    uint16_t m_port = 0;
    int m_socket = -1;
    void* m_session = nullptr;
    std::unique_ptr<QObject> m_context; // parent of the socket notifier
};

} // namespace ksdb
