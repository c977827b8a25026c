// The transport to real agents: net-snmp's single-session API, one session per node,
// driven by the Qt event loop. After every library call the transport asks each session
// which sockets and which time-out it needs, keeps one socket notifier per socket and one
// single-shot timer for the earliest time-out. Nothing blocks; SNMP stays on the thread
// that created the transport (the GUI thread).
#pragma once

#include "host/ksdbapi/transport.h"

#include <chrono>
#include <map>
#include <memory>

class QObject;
class QSocketNotifier;
class QTimer;
struct snmp_session;
struct snmp_pdu;

namespace ksdb {

class NetSnmpTransport : public Transport {
  public:
    NetSnmpTransport();
    ~NetSnmpTransport() override;

    void Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
              AnswerSink& sink) override;
    void Cancel(uint64_t ticket) override { m_pending.erase(ticket); }

  private:
    struct Session {
        std::string settings; // the node's settings the session was opened with
        void* handle = nullptr;
        std::chrono::steady_clock::time_point retryAt; // of a session that did not open
        int openFailure = 0;                           // why it did not (KSDB_ERR_)
    };

    static int OnCallback(int operation, snmp_session* session, int requestId, snmp_pdu* pdu,
                          void* magic);
    static int OnParsed(snmp_session* session, snmp_pdu* pdu, int result);
    void* SessionFor(const NodeConfig& node);
    void* OpenSession(const NodeConfig& node, int& failure);
    void FailRequestsOf(uint32_t node);
    void Deliver(uint64_t ticket, SnmpAnswer answer);
    void Refresh();
    void OnReadable(int fd);
    void OnTimeout();

    std::map<uint32_t, Session> m_sessions; // by node id
    struct Pending {
        AnswerSink* sink;
        uint32_t node;
        std::chrono::steady_clock::time_point sentAt;
    };

    std::map<uint64_t, Pending> m_pending;
    std::map<int, void*> m_sessionOfSocket;
    // Why a session's last answer was dropped unread (a KSDB_ERR_ value), until one is read.
    std::map<const snmp_session*, int> m_securityFailure;
    std::map<int, QSocketNotifier*> m_notifiers;
    std::unique_ptr<QObject> m_context; // parent of the notifiers and the timer
    QTimer* m_timer;
};

} // namespace ksdb
