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
    for (auto var = pdu->variables; var; var = var->next_variable) {
        answer.vars.push_back({Oid(var->name, var->name + var->name_length), ValueOf(var)});
    }
    return answer;
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

// Closing a session drops its outstanding requests without calling back.
NetSnmpTransport::~NetSnmpTransport() {
    m_pending.clear();
    for (auto& [id, session] : m_sessions) {
        snmp_sess_close(session.handle);
    }
}

void* NetSnmpTransport::SessionFor(const NodeConfig& node) {
    Session& session = m_sessions[node.id];
    std::string settings = SettingsOf(node);
    if (session.settings == settings &&
        (session.handle || std::chrono::steady_clock::now() < session.retryAt)) {
        return session.handle;
    }
    if (session.handle) {
        m_securityFailure.erase(snmp_sess_session(session.handle));
        snmp_sess_close(session.handle);
        FailRequestsOf(node.id);
    }
    session.settings = settings;
    session.handle = OpenSession(node, session.openFailure);
    // An SNMPv3 node that did not answer its engine probe is not probed again at once:
    // each probe holds the event loop for the node's time-out and retries.
    const auto wait = std::chrono::milliseconds(node.timeoutMs) * (node.retries + 1);
    session.retryAt = std::chrono::steady_clock::now() + std::max(wait, kReopenDelay);
    return session.handle;
}

// `failure`: why a session did not open, as a request error.
void* NetSnmpTransport::OpenSession(const NodeConfig& node, int& failure) {
    failure = KSDB_ERR_UNREACHABLE;
    netsnmp_session config;
    snmp_sess_init(&config);
    std::string peer = node.address;
    std::string community = node.community;
    config.peername = peer.data();
    config.version = node.version == 0 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
    config.community = reinterpret_cast<u_char*>(community.data());
    config.community_len = community.size();
    config.timeout = static_cast<long>(node.timeoutMs) * 1000;
    config.retries = node.retries;
    config.myvoid = this;
    if (node.version == SNMP_VERSION_3 && !ConfigureUsm(node.usm, config)) {
        return nullptr;
    }
    // An SNMPv3 session learns the agent's engine ID here: net-snmp's probe sends one
    // request and waits for its answer, within the node's time-out and retries.
    // Observed with net-snmp's agent: a wrong authentication key fails here already, the
    // probe's time synchronisation answered by a wrong-digest report.
    netsnmp_transport* transport = netsnmp_transport_open_client("snmp", peer.c_str());
    void* handle = transport ? snmp_sess_add(&config, transport, nullptr, OnParsed) : nullptr;
    if (!handle && SecurityFailure(config.s_snmp_errno) != 0) {
        failure = SecurityFailure(config.s_snmp_errno);
    }
    return handle;
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
    void* session = SessionFor(node);
    m_pending[ticket] = {&sink, node.id, std::chrono::steady_clock::now()};
    if (!session) {
        Deliver(ticket, Failure(m_sessions[node.id].openFailure));
        return;
    }
    const RequestKind* kind = KindOf(request.kind);
    if (kind == nullptr) {
        Deliver(ticket, Failure(KSDB_ERR_BAD_REQUEST));
        return;
    }
    if (TraceOn(TraceChannel::kSnmp)) {
        TraceRequest(ticket, node, kind->name, request.vars);
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
    if (!snmp_sess_async_send(session, pdu, OnCallback, reinterpret_cast<void*>(ticket))) {
        snmp_free_pdu(pdu);
        Deliver(ticket, Failure(KSDB_ERR_UNREACHABLE));
    }
    Refresh();
}

// Observed with a wrong authentication key: the agent's answers fail authentication here,
// the library drops them (logging "Authentication failed for USER") and the request times
// out. The reason is kept, so the time-out can name it.
int NetSnmpTransport::OnParsed(snmp_session* session, snmp_pdu*, int result) {
    auto* self = static_cast<NetSnmpTransport*>(session->myvoid);
    const int failure = SecurityFailure(result);
    if (failure != 0) {
        self->m_securityFailure[session] = failure;
    }
    return 1;
}

int NetSnmpTransport::OnCallback(int operation, snmp_session* session, int, snmp_pdu* pdu,
                                 void* magic) {
    auto* self = static_cast<NetSnmpTransport*>(session->myvoid);
    auto ticket = reinterpret_cast<uint64_t>(magic);
    // Observed: a retry calls back with NETSNMP_CALLBACK_OP_RESEND; the request goes on.
    if (operation == NETSNMP_CALLBACK_OP_RESEND || operation == NETSNMP_CALLBACK_OP_CONNECT) {
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
        self->Deliver(ticket, Failure(ReportError(*pdu)));
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
    m_pending.erase(it);
    sink->OnAnswer(ticket, std::move(answer));
}

// Asks every session for its sockets and time-out and mirrors them in notifiers and the timer.
void NetSnmpTransport::Refresh() {
    long earliestMs = -1;
    m_sessionOfSocket.clear();
    for (auto& [id, session] : m_sessions) {
        if (!session.handle) {
            continue;
        }
        netsnmp_large_fd_set sockets;
        netsnmp_large_fd_set_init(&sockets, FD_SETSIZE);
        int count = 0;
        int block = 1;
        timeval wait{};
        snmp_sess_select_info2(session.handle, &count, &sockets, &wait, &block);
        for (int fd = 0; fd < count; ++fd) {
            if (NETSNMP_LARGE_FD_ISSET(fd, &sockets)) {
                m_sessionOfSocket[fd] = session.handle;
            }
        }
        netsnmp_large_fd_set_cleanup(&sockets);
        long ms = wait.tv_sec * 1000 + (wait.tv_usec + 999) / 1000;
        if (!block && (earliestMs < 0 || ms < earliestMs)) {
            earliestMs = ms;
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
    Refresh();
}

void NetSnmpTransport::OnTimeout() {
    for (auto& [id, session] : m_sessions) {
        if (session.handle) {
            snmp_sess_timeout(session.handle);
        }
    }
    Refresh();
}

} // namespace ksdb
