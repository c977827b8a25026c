#include "host/ksdbapi/net_snmp_transport.h"

#include "common/trace.h"
#include "host/ksdbapi/ksdb_host.h"
#include "host/ksdbapi/net_snmp_common.h"
#include "host/ksdbapi/oid_text.h"
#include "host/ksdbapi/usm_session.h"
#include "hostapi/ksdb_codes.h"
#include "hostapi/ksdbapi.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>

#include <net-snmp/library/large_fd_set.h>
#include <net-snmp/library/lcd_time.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

namespace ksdb {
namespace {

constexpr std::chrono::milliseconds kReopenDelay{5000};

std::string SettingsOf(const NodeConfig& node) {
    const UsmSecurity& usm = node.usm;
    return node.address + '|' + std::to_string(node.version) + '|' + node.community + '|' +
           std::to_string(node.timeoutMs) + '|' + std::to_string(node.retries) + '|' + usm.user +
           '|' + usm.context + '|' + std::to_string(static_cast<int>(usm.level)) + '|' +
           std::to_string(static_cast<int>(usm.auth)) + '|' + usm.authPassphrase + '|' +
           std::to_string(static_cast<int>(usm.priv)) + '|' + usm.privPassphrase;
}

void AddVariable(netsnmp_pdu* pdu, int kind, const SnmpVarBind& var) {
    if (kind == DB_REQ_SET) {
        AddValue(pdu, var.name, var.value);
        return;
    }
    std::vector<oid> name(var.name.begin(), var.name.end());
    snmp_add_null_var(pdu, name.data(), name.size());
}

SnmpAnswer AnswerOf(const netsnmp_pdu* pdu) {
    SnmpAnswer answer;
    answer.status = static_cast<int>(pdu->errstat);
    size_t count = 0;
    for (auto var = pdu->variables; var; var = var->next_variable) {
        ++count;
    }
    answer.vars.reserve(count);
    for (auto var = pdu->variables; var; var = var->next_variable) {
        answer.vars.push_back({Oid(var->name, var->name + var->name_length), ValueOf(var)});
    }
    return answer;
}

std::string EngineOf(const snmp_pdu& pdu) {
    return std::string(reinterpret_cast<const char*>(pdu.securityEngineID),
                       pdu.securityEngineIDLen);
}

std::string EngineOf(const snmp_session& session) {
    return std::string(reinterpret_cast<const char*>(session.securityEngineID),
                       session.securityEngineIDLen);
}

// A request's failure that means the agent's engine is no longer the one the session was
// keyed to: a restart with a new engine ID, or one whose clock the session no longer knows.
bool MeansEngineChanged(int status) {
    return status == KSDB_ERR_UNKNOWN_ENGINE_ID || status == KSDB_ERR_NOT_IN_TIME_WINDOW;
}

// Each request kind with its PDU type and name, found by the kind (not by position).
struct RequestKind {
    int kind;
    int command;
    const char* name;
};

constexpr RequestKind kRequestKinds[] = {
    {DB_REQ_GET, SNMP_MSG_GET, "get"},
    {DB_REQ_GET_NEXT, SNMP_MSG_GETNEXT, "get-next"},
    {DB_REQ_SET, SNMP_MSG_SET, "set"},
    {kReqGetBulk, SNMP_MSG_GETBULK, "get-bulk"},
};

// Null for a kind that is none.
const RequestKind* KindOf(int kind) {
    for (const RequestKind& entry : kRequestKinds) {
        if (entry.kind == kind) {
            return &entry;
        }
    }
    return nullptr;
}

// "request 7 to node 1 at 127.0.0.1:1161: get-bulk of 1 variable from 1.3.6.1.2.1.16.6.2.1.1"
void TraceRequest(uint64_t ticket, const NodeConfig& node, const char* kind,
                  const std::vector<SnmpVarBind>& vars) {
    const size_t count = vars.size();
    std::string text = "request " + std::to_string(ticket) + " to node " + std::to_string(node.id) +
                       " at " + node.address + ": " + kind + " of " + std::to_string(count) +
                       (count == 1 ? " variable" : " variables");
    if (count > 0) {
        text += " from " + FormatOid(vars.front().name);
    }
    TraceLine(TraceChannel::kSnmp, text);
}

// "answer 7 from node 1 after 3 ms: noError, 50 variables"
void TraceAnswer(uint64_t ticket, uint32_t node, std::chrono::steady_clock::duration took,
                 const SnmpAnswer& answer) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
    TraceLine(TraceChannel::kSnmp,
              "answer " + std::to_string(ticket) + " from node " + std::to_string(node) +
                  " after " + std::to_string(ms) +
                  " ms: " + (answer.status == 0 ? "noError" : ErrorText(answer.status)) + ", " +
                  std::to_string(answer.vars.size()) + " variables");
}

SnmpAnswer Failure(int status) {
    SnmpAnswer answer;
    answer.status = status;
    return answer;
}

} // namespace

NetSnmpTransport::NetSnmpTransport()
    : m_context(new QObject), m_timer(new QTimer(m_context.get())) {
    InitNetSnmpLibrary();
    m_timer->setSingleShot(true);
    QObject::connect(m_timer, &QTimer::timeout, m_context.get(), [this] { OnTimeout(); });
}

NetSnmpTransport::~NetSnmpTransport() {
    m_pending.clear();
    for (auto& [id, session] : m_sessions) {
        Close(session);
    }
}

// Observed: closing a session calls its outstanding requests back as timed out; the
// caller decides what becomes of them instead.
void NetSnmpTransport::Close(Session& session) {
    m_closing = true;
    for (void** handle : {&session.handle, &session.discovery}) {
        if (*handle) {
            m_securityFailure.erase(snmp_sess_session(*handle));
            snmp_sess_close(*handle);
            *handle = nullptr;
        }
    }
    m_closing = false;
}

// The node's session record; new settings close what the old ones opened.
NetSnmpTransport::Session& NetSnmpTransport::SessionOf(const NodeConfig& node) {
    Session& session = m_sessions[node.id];
    std::string settings = SettingsOf(node);
    if (session.settings != settings) {
        Close(session);
        FailRequestsOf(node.id);
        session = Session{};
        session.settings = std::move(settings);
    }
    session.node = node;
    return session;
}

// The session, opened if need be; an address that did not open is tried again after a
// pause, not at every request.
void* NetSnmpTransport::OpenedSession(Session& session) {
    if (session.handle || std::chrono::steady_clock::now() < session.retryAt) {
        return session.handle;
    }
    session.handle = OpenSession(session, session.openFailure);
    if (!session.handle) {
        session.retryAt = std::chrono::steady_clock::now() + kReopenDelay;
    }
    return session.handle;
}

// `failure`: why a session did not open, as a request error. An SNMPv3 session is opened
// keyed to the engine discovered before, so net-snmp localizes the keys at once and never
// probes by itself.
void* NetSnmpTransport::OpenSession(const Session& session, int& failure) {
    const NodeConfig& node = session.node;
    failure = KSDB_ERR_UNREACHABLE;
    netsnmp_session config;
    snmp_sess_init(&config);
    std::string peer = node.address;
    std::string community = node.community;
    std::string engine = session.engineId;
    config.peername = peer.data();
    config.version = node.version == 0 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
    config.community = reinterpret_cast<u_char*>(community.data());
    config.community_len = community.size();
    config.timeout = static_cast<long>(node.timeoutMs) * 1000;
    config.retries = node.retries;
    config.myvoid = this;
    if (node.version == SNMP_VERSION_3) {
        if (!ConfigureUsm(node.usm, config)) {
            return nullptr;
        }
        config.securityEngineID = reinterpret_cast<u_char*>(engine.data());
        config.securityEngineIDLen = engine.size();
    }
    netsnmp_transport* transport = netsnmp_transport_open_client("snmp", peer.c_str());
    void* handle = transport ? snmp_sess_add(&config, transport, nullptr, OnParsed) : nullptr;
    if (!handle && SecurityFailure(config.s_snmp_errno) != 0) {
        failure = SecurityFailure(config.s_snmp_errno);
    }
    return handle;
}

// RFC 3414's discovery: a get with no user, no engine ID and no variables, answered by a
// usmStatsUnknownEngineIDs report that carries the agent's engine ID.
void NetSnmpTransport::StartDiscovery(Session& session) {
    const NodeConfig& node = session.node;
    netsnmp_session config;
    snmp_sess_init(&config);
    std::string peer = node.address;
    char noUser[] = "";
    config.peername = peer.data();
    config.version = SNMP_VERSION_3;
    config.securityModel = SNMP_SEC_MODEL_USM;
    config.securityLevel = SNMP_SEC_LEVEL_NOAUTH;
    config.securityName = noUser;
    config.securityNameLen = 0;
    config.timeout = static_cast<long>(node.timeoutMs) * 1000;
    config.retries = node.retries;
    config.myvoid = this;
    netsnmp_transport* transport = netsnmp_transport_open_client("snmp", peer.c_str());
    session.discovery = transport ? snmp_sess_add(&config, transport, nullptr, nullptr) : nullptr;
    if (!session.discovery) {
        FailWaiting(session, KSDB_ERR_UNREACHABLE);
        return;
    }
    // net-snmp clears the flag once the session is open; without it a send would probe,
    // and wait for the answer.
    snmp_sess_session(session.discovery)->flags |= SNMP_FLAGS_DONT_PROBE;
    netsnmp_pdu* pdu = snmp_pdu_create(SNMP_MSG_GET);
    pdu->securityName = strdup(""); // an empty name, not none: the library then takes none
    pdu->securityNameLen = 0;
    const auto magic = reinterpret_cast<void*>(static_cast<uintptr_t>(node.id));
    if (!snmp_sess_async_send(session.discovery, pdu, OnDiscovery, magic)) {

        snmp_free_pdu(pdu);
        m_discovered.push_back({node.id, "", KSDB_ERR_UNREACHABLE});
    }
}

void NetSnmpTransport::FailWaiting(Session& session, int status) {
    std::vector<uint64_t> waiting;
    waiting.swap(session.waiting);
    for (uint64_t ticket : waiting) {
        Deliver(ticket, Failure(status));
    }
}

// Requests of a closed session never call back; they answer as unreachable instead.
void NetSnmpTransport::FailRequestsOf(uint32_t node) {
    std::vector<uint64_t> tickets;
    for (auto& [ticket, pending] : m_pending) {
        if (pending.node == node) {
            tickets.push_back(ticket);
        }
    }
    for (uint64_t ticket : tickets) {
        Deliver(ticket, Failure(KSDB_ERR_UNREACHABLE));
    }
}

void NetSnmpTransport::Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
                            AnswerSink& sink) {
    Session& session = SessionOf(node);
    m_pending[ticket] = {&sink, node.id, request, std::chrono::steady_clock::now()};
    if (node.version == SNMP_VERSION_3 && session.engineId.empty()) {
        session.waiting.push_back(ticket);
        if (!session.discovery) {
            StartDiscovery(session);
        }
    } else {
        Dispatch(session, ticket);
    }
    Settle();
    ScheduleRefresh();
}

void NetSnmpTransport::Dispatch(Session& session, uint64_t ticket) {
    void* handle = OpenedSession(session);
    if (!handle) {
        Deliver(ticket, Failure(session.openFailure));
        return;
    }
    const SnmpRequest& request = m_pending[ticket].request;
    const RequestKind* kind = KindOf(request.kind);
    if (kind == nullptr) {
        Deliver(ticket, Failure(KSDB_ERR_BAD_REQUEST));
        return;
    }
    if (TraceOn(TraceChannel::kSnmp)) {
        TraceRequest(ticket, session.node, kind->name, request.vars);
    }
    netsnmp_pdu* pdu = snmp_pdu_create(kind->command);
    if (request.kind == kReqGetBulk) {
        pdu->non_repeaters = 0;
        pdu->max_repetitions = request.maxRepetitions;
    }
    for (const SnmpVarBind& var : request.vars) {
        AddVariable(pdu, request.kind, var);
    }
    // The ticket itself is the callback's datum, so a late answer never follows a pointer.
    if (!snmp_sess_async_send(handle, pdu, OnCallback, reinterpret_cast<void*>(ticket))) {
        snmp_free_pdu(pdu);
        Deliver(ticket, Failure(KSDB_ERR_UNREACHABLE));
    }
}

// Observed with a wrong authentication key: the agent's answers fail authentication here,
// the library drops them (logging "Authentication failed for USER") and the request times
// out. The reason is kept, so the time-out can name it. An answer from another engine than
// the session's (the agent restarted with a new engine ID) fails here too, for want of a
// user keyed to that engine.
int NetSnmpTransport::OnParsed(snmp_session* session, snmp_pdu* pdu, int result) {
    auto* self = static_cast<NetSnmpTransport*>(session->myvoid);
    const int failure = SecurityFailure(result);
    if (failure == 0) {
        return 1;
    }
    self->m_securityFailure[session] = failure;
    if (pdu && session->securityEngineIDLen && EngineOf(*pdu) != EngineOf(*session)) {
        self->OnOtherEngine(session);
    }
    return 1;
}

// The session's node is discovered again at once, unless it just was (an agent whose
// engine keeps changing then fails its requests instead of being chased).
void NetSnmpTransport::OnOtherEngine(const snmp_session* session) {
    for (auto& [id, node] : m_sessions) {
        if (node.handle && snmp_sess_session(node.handle) == session && !node.restarted) {
            m_stale.push_back(id);
        }
    }
}

int NetSnmpTransport::OnCallback(int operation, snmp_session* session, int, snmp_pdu* pdu,
                                 void* magic) {
    auto* self = static_cast<NetSnmpTransport*>(session->myvoid);
    auto ticket = reinterpret_cast<uint64_t>(magic);
    // Observed: a retry calls back with NETSNMP_CALLBACK_OP_RESEND; the request goes on.
    if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT ||
        self->m_closing) {
        return 1;
    }
    const bool received = operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE ||
                          operation == NETSNMP_CALLBACK_OP_SEC_ERROR;
    if (received) {
        self->m_securityFailure.erase(session);
    }
    // Observed with net-snmp's agent: a wrong authentication key is answered by a report
    // (usmStatsWrongDigests) that calls back as received, then once more as a security error.
    if (received && pdu && pdu->command == SNMP_MSG_REPORT) {
        const int status = ReportError(*pdu);
        if (!self->EngineChanged(ticket, session, status)) {
            self->Deliver(ticket, Failure(status));
        }
    } else if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE) {
        self->Deliver(ticket, AnswerOf(pdu));
    } else if (operation == NETSNMP_CALLBACK_OP_TIMED_OUT) {
        auto failure = self->m_securityFailure.find(session);
        const bool refused = failure != self->m_securityFailure.end();
        self->Deliver(ticket, Failure(refused ? failure->second : KSDB_ERR_TIMEOUT));
    } else {
        self->Deliver(ticket, Failure(KSDB_ERR_UNREACHABLE));
    }
    return 1;
}

// True when the request failed because the agent's engine changed, and will be sent again
// once it is found anew (once per request).
bool NetSnmpTransport::EngineChanged(uint64_t ticket, const snmp_session* session, int status) {
    auto it = m_pending.find(ticket);
    if (it == m_pending.end() || it->second.resent || session->version != SNMP_VERSION_3 ||
        !MeansEngineChanged(status)) {
        return false;
    }
    m_stale.push_back(it->second.node);
    return true;
}

int NetSnmpTransport::OnDiscovery(int operation, snmp_session* session, int, snmp_pdu* pdu,
                                  void* magic) {
    auto* self = static_cast<NetSnmpTransport*>(session->myvoid);
    const auto node = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(magic));
    if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT ||
        self->m_closing) {
        return 1;
    }
    const bool received = operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE ||
                          operation == NETSNMP_CALLBACK_OP_SEC_ERROR;
    std::string engine = received && pdu ? EngineOf(*pdu) : "";
    const int failure = operation == NETSNMP_CALLBACK_OP_TIMED_OUT ? KSDB_ERR_TIMEOUT
                        : received                                 ? KSDB_ERR_REPORT
                                                                   : KSDB_ERR_UNREACHABLE;
    self->m_discovered.push_back({node, std::move(engine), failure});
    return 1;
}

// Acts on what the callbacks of the last library call found, until nothing is left.
void NetSnmpTransport::Settle() {
    while (!m_stale.empty() || !m_discovered.empty()) {
        std::vector<uint32_t> stale;
        stale.swap(m_stale);
        for (uint32_t node : stale) {
            Rediscover(node);
        }
        std::vector<Discovered> discovered;
        discovered.swap(m_discovered);
        for (const Discovered& found : discovered) {
            Found(found);
        }
    }
}

// Drops the node's session and queues the requests it carried, to go out once the engine
// is found again.
void NetSnmpTransport::Rediscover(uint32_t node) {
    Session& session = m_sessions[node];
    if (!session.handle) {
        return; // already being discovered again
    }
    Close(session);
    session.engineId.clear();
    session.restarted = true;
    for (auto& [ticket, pending] : m_pending) {
        const bool queued = std::find(session.waiting.begin(), session.waiting.end(), ticket) !=
                            session.waiting.end();
        if (pending.node == node && !queued) {
            pending.resent = true;
            session.waiting.push_back(ticket);
        }
    }
    StartDiscovery(session);
}

// Observed: the report calls back twice (as a security error, then as received); the
// first ends the discovery.
void NetSnmpTransport::Found(const Discovered& discovered) {
    Session& session = m_sessions[discovered.node];
    if (!session.discovery) {
        return;
    }
    snmp_sess_close(session.discovery);
    session.discovery = nullptr;
    if (discovered.engineId.empty()) {
        FailWaiting(session, discovered.failure);
        return;
    }
    session.engineId = discovered.engineId;
    // The engine's clock as net-snmp last knew it may be a restart old: forgotten, the first
    // request learns it from the agent's not-in-time-window report.
    if (session.restarted) {
        const auto* id = reinterpret_cast<const u_char*>(session.engineId.data());
        set_enginetime(const_cast<u_char*>(id), session.engineId.size(), 0, 0, TRUE);
    }
    std::vector<uint64_t> waiting;
    waiting.swap(session.waiting);
    for (uint64_t ticket : waiting) {
        if (m_pending.count(ticket)) {
            Dispatch(session, ticket);
        }
    }
}

// The first answer after the engine was found anew, or after its boots count changed
// (a restart net-snmp followed by itself), says the agent restarted.
void NetSnmpTransport::Deliver(uint64_t ticket, SnmpAnswer answer) {
    auto it = m_pending.find(ticket);
    if (it == m_pending.end()) {
        return;
    }
    if (TraceOn(TraceChannel::kSnmp)) {
        TraceAnswer(ticket, it->second.node, std::chrono::steady_clock::now() - it->second.sentAt,
                    answer);
    }
    AnswerSink* sink = it->second.sink;
    Session& session = m_sessions[it->second.node];
    m_pending.erase(it);
    if (answer.status == 0 && !session.engineId.empty()) {
        u_int boots = 0;
        u_int time = 0;
        auto* id = reinterpret_cast<u_char*>(session.engineId.data());
        if (get_enginetime(id, session.engineId.size(), &boots, &time, FALSE) == SNMPERR_SUCCESS &&
            boots != 0) {
            answer.engineRestarted = session.restarted || (session.boots && boots != session.boots);
            session.boots = boots;
            session.restarted = false;
        }
    }
    sink->OnAnswer(ticket, std::move(answer));
}

// Once a turn of the event loop, however many requests went out and answers came in: each
// refresh asks every session for its sockets and time-out, which with twenty nodes walking
// took 2.4 % of the processor time when done on every request and answer. A socket opened
// meanwhile keeps its answer until its notifier is made at the end of the turn.
void NetSnmpTransport::ScheduleRefresh() {
    if (m_refreshScheduled) {
        return;
    }
    m_refreshScheduled = true;
    QTimer::singleShot(0, m_context.get(), [this] {
        m_refreshScheduled = false;
        Refresh();
    });
}

// Asks every session for its sockets and time-out and mirrors them in notifiers and the timer.
void NetSnmpTransport::Refresh() {
    long earliestMs = -1;
    m_sessionOfSocket.clear();
    for (auto& [id, session] : m_sessions) {
        for (void* handle : {session.handle, session.discovery}) {
            if (!handle) {
                continue;
            }
            netsnmp_large_fd_set sockets;
            netsnmp_large_fd_set_init(&sockets, FD_SETSIZE);
            int count = 0;
            int block = 1;
            timeval wait{};
            snmp_sess_select_info2(handle, &count, &sockets, &wait, &block);
            for (int fd = 0; fd < count; ++fd) {
                if (NETSNMP_LARGE_FD_ISSET(fd, &sockets)) {
                    m_sessionOfSocket[fd] = handle;
                }
            }
            netsnmp_large_fd_set_cleanup(&sockets);
            long ms = wait.tv_sec * 1000 + (wait.tv_usec + 999) / 1000;
            if (!block && (earliestMs < 0 || ms < earliestMs)) {
                earliestMs = ms;
            }
        }
    }
    for (auto it = m_notifiers.begin(); it != m_notifiers.end();) {
        if (m_sessionOfSocket.count(it->first)) {
            ++it;
            continue;
        }
        it->second->setEnabled(false);
        it->second->deleteLater();
        it = m_notifiers.erase(it);
    }
    for (const auto& socket : m_sessionOfSocket) {
        // A named copy, not a structured binding: clang before 16 cannot capture those.
        const auto fd = socket.first;
        if (m_notifiers.count(fd)) {
            continue;
        }
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, m_context.get());
        QObject::connect(notifier, &QSocketNotifier::activated, m_context.get(),
                         [this, fd] { OnReadable(fd); });
        m_notifiers[fd] = notifier;
    }
    if (earliestMs >= 0) {
        m_timer->start(static_cast<int>(earliestMs));
    } else {
        m_timer->stop();
    }
}

void NetSnmpTransport::OnReadable(int fd) {
    auto it = m_sessionOfSocket.find(fd);
    if (it != m_sessionOfSocket.end()) {
        netsnmp_large_fd_set sockets;
        netsnmp_large_fd_set_init(&sockets, fd + 1);
        NETSNMP_LARGE_FD_SET(fd, &sockets);
        snmp_sess_read2(it->second, &sockets);
        netsnmp_large_fd_set_cleanup(&sockets);
    }
    Settle();
    ScheduleRefresh();
}

void NetSnmpTransport::OnTimeout() {
    for (auto& [id, session] : m_sessions) {
        for (void* handle : {session.handle, session.discovery}) {
            if (handle) {
                snmp_sess_timeout(handle);
            }
        }
    }
    Settle();
    ScheduleRefresh();
}

} // namespace ksdb
