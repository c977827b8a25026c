// The transport to real agents: net-snmp's single-session API, one session per node,
// driven by the Qt event loop. After every library call the transport asks each session
// which sockets and which time-out it needs, keeps one socket notifier per socket and one
// single-shot timer for the earliest time-out. Nothing blocks; SNMP stays on the thread
// that created the transport (the GUI thread).
//
// An SNMPv3 node's engine is discovered the same way, never by net-snmp's own probe (which
// waits for its answer): a request with no user and no engine ID, whose report names the
// engine; the node's requests wait for it, then go out on a session keyed to that engine.
// When the agent's engine changes under a session (a restart: unknown engine ID, not in
// its time window, an answer for another engine), the session is dropped, the engine
// discovered again and the requests it was carrying sent once more; the first answer after
// that says so (SnmpAnswer::engineRestarted).
#pragma once

#include "host/ksdbapi/transport.h"

#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

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
        NodeConfig node;      // as the last request gave it
        std::string settings; // the node's settings the session was opened with
        void* handle = nullptr;
        std::chrono::steady_clock::time_point retryAt; // of a session that did not open
        int openFailure = 0;                           // why it did not (KSDB_ERR_)
        // SNMPv3: the agent's engine ID once discovered, the session discovering it, the
        // requests waiting for it, and the boots count last seen.
        std::string engineId;
        void* discovery = nullptr;
        std::vector<uint64_t> waiting;
        long boots = 0;
        bool restarted = false; // the engine was found anew; the next answer says so
    };
    struct Pending {
        AnswerSink* sink;
        uint32_t node;
        SnmpRequest request;
        std::chrono::steady_clock::time_point sentAt;
        bool resent = false; // once, after the engine was discovered again
    };
    struct Discovered {
        uint32_t node;
        std::string engineId; // empty: not found, for `failure`
        int failure;
    };

    static int OnCallback(int operation, snmp_session* session, int requestId, snmp_pdu* pdu,
                          void* magic);
    static int OnDiscovery(int operation, snmp_session* session, int requestId, snmp_pdu* pdu,
                           void* magic);
    static int OnParsed(snmp_session* session, snmp_pdu* pdu, int result);
    Session& SessionOf(const NodeConfig& node);
    void* OpenedSession(Session& session);
    void* OpenSession(const Session& session, int& failure);
    void Close(Session& session);
    void StartDiscovery(Session& session);
    void Dispatch(Session& session, uint64_t ticket);
    void FailWaiting(Session& session, int status);
    void FailRequestsOf(uint32_t node);
    bool EngineChanged(uint64_t ticket, const snmp_session* session, int status);
    void OnOtherEngine(const snmp_session* session);
    void Deliver(uint64_t ticket, SnmpAnswer answer);
    void Settle();
    void Rediscover(uint32_t node);
    void Found(const Discovered& discovered);
    void ScheduleRefresh();
    void Refresh();
    void OnReadable(int fd);
    void OnTimeout();

    std::map<uint32_t, Session> m_sessions; // by node id
    std::map<uint64_t, Pending> m_pending;
    // Found by callbacks, acted on once the library call that ran them has returned (a
    // session is never closed inside its own callback).
    std::vector<Discovered> m_discovered;
    std::vector<uint32_t> m_stale; // nodes whose engine changed under their session
    bool m_closing = false;        // inside Close: callbacks are ignored
    std::map<int, void*> m_sessionOfSocket;
    // Why a session's last answer was dropped unread (a KSDB_ERR_ value), until one is read.
    std::map<const snmp_session*, int> m_securityFailure;
    std::map<int, QSocketNotifier*> m_notifiers;
    std::unique_ptr<QObject> m_context; // parent of the notifiers and the timer
    QTimer* m_timer;
    bool m_refreshScheduled = false;
};

} // namespace ksdb
