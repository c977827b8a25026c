#include "tests/support/udp_agent_server.h"

#include "host/ksdbapi/net_snmp_common.h"
#include "hostapi/ksdbapi.h"

#include <QObject>
#include <QSocketNotifier>

#include <net-snmp/library/large_fd_set.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace ksdb {
namespace {

// The request kind of a PDU command; 0 for anything an agent is not asked.
int KindOf(int command) {
    switch (command) {
    case SNMP_MSG_GET:
        return DB_REQ_GET;
    case SNMP_MSG_GETNEXT:
        return DB_REQ_GET_NEXT;
    case SNMP_MSG_SET:
        return DB_REQ_SET;
    case SNMP_MSG_GETBULK:
        return kReqGetBulk;
    default:
        return 0;
    }
}

SnmpRequest RequestOf(const netsnmp_pdu* pdu) {
    SnmpRequest request;
    request.kind = KindOf(pdu->command);
    if (request.kind == kReqGetBulk) {
        request.maxRepetitions = static_cast<int>(pdu->max_repetitions);
    }
    for (auto var = pdu->variables; var; var = var->next_variable) {
        request.vars.push_back({Oid(var->name, var->name + var->name_length), ValueOf(var)});
    }
    return request;
}

uint16_t LocalPort(int socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

} // namespace

UdpAgentServer::UdpAgentServer(std::string community)
    : m_community(std::move(community)), m_agent(std::make_shared<MemoryAgent>()),
      m_context(new QObject) {
    InitNetSnmpLibrary();
}

UdpAgentServer::~UdpAgentServer() {
    Stop();
}

bool UdpAgentServer::Start(uint16_t port) {
    Stop();
    const std::string endpoint = "udp:127.0.0.1:" + std::to_string(port);
    netsnmp_transport* transport = netsnmp_transport_open_server("snmp", endpoint.c_str());
    if (transport == nullptr) {
        return false;
    }
    netsnmp_session config;
    snmp_sess_init(&config);
    config.callback = OnPdu;
    config.callback_magic = this;
    m_socket = transport->sock;
    m_session = snmp_sess_add(&config, transport, nullptr, nullptr);
    if (m_session == nullptr) {
        m_socket = -1;
        return false;
    }
    m_port = LocalPort(m_socket);
    auto* notifier = new QSocketNotifier(m_socket, QSocketNotifier::Read, m_context.get());
    QObject::connect(notifier, &QSocketNotifier::activated, m_context.get(),
                     [this] { OnReadable(); });
    return true;
}

// The port is kept, so that Start(Port()) comes back where the manager expects it.
void UdpAgentServer::Stop() {
    const QObjectList notifiers = m_context->children();
    qDeleteAll(notifiers);
    if (m_session != nullptr) {
        snmp_sess_close(m_session);
    }
    m_session = nullptr;
    m_socket = -1;
}

void UdpAgentServer::OnReadable() {
    if (m_session == nullptr) {
        return;
    }
    netsnmp_large_fd_set sockets;
    netsnmp_large_fd_set_init(&sockets, m_socket + 1);
    NETSNMP_LARGE_FD_SET(m_socket, &sockets);
    snmp_sess_read2(m_session, &sockets);
    netsnmp_large_fd_set_cleanup(&sockets);
}

int UdpAgentServer::OnPdu(int operation, snmp_session*, int, snmp_pdu* pdu, void* magic) {
    if (operation == NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE) {
        static_cast<UdpAgentServer*>(magic)->Answer(pdu);
    }
    return 1;
}

void UdpAgentServer::Answer(snmp_pdu* request) {
    const std::string community(reinterpret_cast<const char*>(request->community),
                                request->community_len);
    const SnmpRequest asked = RequestOf(request);
    if (community != m_community || asked.kind == 0) {
        return;
    }
    ++m_requestCount;
    const int version = request->version == SNMP_VERSION_1 ? 0 : 1;
    SnmpAnswer answer = m_agent->Answer(asked, version);
    if (m_hook && !m_hook(asked, answer)) {
        return;
    }
    // An answer larger than a message goes out as tooBig, as an agent's would.
    if (!Reply(request, answer.status, answer.vars)) {
        Reply(request, kStatusTooBig, {});
    }
}

bool UdpAgentServer::Reply(snmp_pdu* request, int status, const std::vector<SnmpVarBind>& vars) {
    netsnmp_pdu* reply = snmp_clone_pdu(request);
    if (reply == nullptr) {
        return false;
    }
    snmp_free_varbind(reply->variables);
    reply->variables = nullptr;
    reply->command = SNMP_MSG_RESPONSE;
    reply->errstat = status;
    reply->errindex = status != 0 ? 1 : 0;
    for (const SnmpVarBind& var : vars) {
        AddValue(reply, var.name, var.value);
    }
    if (snmp_sess_send(m_session, reply) != 0) {
        return true;
    }
    snmp_free_pdu(reply);
    return false;
}

} // namespace ksdb
