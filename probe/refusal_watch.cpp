#include "probe/refusal_watch.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <net-snmp/agent/agent_callbacks.h>
#include <net-snmp/library/vacm.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace probe {
namespace {

using Receive = int (*)(netsnmp_transport*, void*, int, void**, int*);

// The statistics a refusal counts, with the reason its log line gives.
struct Kind {
    int statistic;
    const char* reason;
};
const Kind kKinds[] = {
    {STAT_SNMPINBADCOMMUNITYNAMES, "bad community name"},
    {STAT_SNMPINBADCOMMUNITYUSES, "bad community use"},
    {STAT_USMSTATSUNKNOWNUSERNAMES, "unknown SNMPv3 user"},
    {STAT_USMSTATSWRONGDIGESTS, "wrong SNMPv3 authentication digest"},
    {STAT_USMSTATSDECRYPTIONERRORS, "SNMPv3 decryption error (wrong privacy key?)"},
    {STAT_USMSTATSUNSUPPORTEDSECLEVELS, "SNMPv3 security level below the user's (authPriv)"},
    {STAT_USMSTATSUNKNOWNENGINEIDS, "SNMPv3 message for another engine ID"},
    {STAT_USMSTATSNOTINTIMEWINDOWS, "SNMPv3 message outside the engine's time window"},
    {STAT_SNMPUNKNOWNCONTEXTS, "unknown SNMPv3 context"},
};

// The datagram being handled and what its refusals are charged to. The agent reads and
// handles one datagram at a time, on one thread.
struct Watch {
    std::map<netsnmp_transport*, Receive> receivers;
    sockaddr_storage source{};
    bool sourceKnown = false;
    V3Header header;
    bool isV3 = false;
    uint64_t seen[std::size(kKinds)] = {};
    std::vector<Refusal> charged;
};
Watch g_watch;

std::string SourceText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = "?";
    if (address.ss_family == AF_INET6) {
        const auto& six = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &six.sin6_addr, text, sizeof text);
        return "[" + std::string(text) + "]:" + std::to_string(ntohs(six.sin6_port));
    }
    const auto& four = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &four.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(four.sin_port));
}

// A manager's first message to an engine (no engine ID) and its time synchronisation
// (boots 0) are refused by design: discovery, not a fault worth a log line.
bool IsDiscovery(int statistic) {
    const V3Header& header = g_watch.header;
    return g_watch.isV3 &&
           ((statistic == STAT_USMSTATSUNKNOWNENGINEIDS && header.engineIdLength == 0) ||
            (statistic == STAT_USMSTATSNOTINTIMEWINDOWS && header.boots == 0));
}

// Charges the counters that rose since the last call to the datagram handled meanwhile.
void Settle() {
    for (size_t i = 0; i < std::size(kKinds); ++i) {
        const uint64_t count = uint32_t(snmp_get_statistic(kKinds[i].statistic));
        const uint64_t added = count - g_watch.seen[i];
        g_watch.seen[i] = count;
        if (IsDiscovery(kKinds[i].statistic)) {
            continue;
        }
        const std::string source =
            g_watch.sourceKnown ? SourceText(g_watch.source) : std::string("an unknown address");
        for (uint64_t n = 0; n < added; ++n) {
            g_watch.charged.push_back({kKinds[i].reason, source});
        }
    }
}

int ReceiveWatched(netsnmp_transport* transport, void* buffer, int size, void** opaque,
                   int* length) {
    Settle();
    const int received = g_watch.receivers[transport](transport, buffer, size, opaque, length);
    g_watch.sourceKnown = false;
    g_watch.isV3 = false;
    if (received <= 0) {
        return received;
    }
    // UDP's datum starts with the sender's address (netsnmp_indexed_addr_pair, or a
    // sockaddr_in6 over IPv6).
    if (opaque && *opaque && length && *length >= int(sizeof(sockaddr_in))) {
        g_watch.source = {};
        std::memcpy(&g_watch.source, *opaque, std::min(size_t(*length), sizeof(sockaddr_in6)));
        g_watch.sourceKnown = true;
    }
    g_watch.isV3 =
        PeekV3Header(static_cast<const uint8_t*>(buffer), size_t(received), g_watch.header);
    return received;
}

// net-snmp counts a wrong privacy key as a parse error of the scoped PDU, with this warning.
int OnLog(int, int, void* serverArgument, void*) {
    const auto* message = static_cast<const snmp_log_message*>(serverArgument);
    if (message && message->msg && std::strstr(message->msg, "error parsing ScopedPDU") &&
        g_watch.isV3 && g_watch.header.encrypted) {
        snmp_increment_statistic(STAT_USMSTATSDECRYPTIONERRORS);
    }
    return SNMPERR_SUCCESS;
}

// Every user of the configuration requires authPriv: a v3 request below it that access
// control refused (it is answered authorizationError) is counted. Runs after net-snmp's own
// check of the request, which sets the error code.
int OnAccessChecked(int, int, void* serverArgument, void*) {
    const auto* check = static_cast<const view_parameters*>(serverArgument);
    const netsnmp_pdu* pdu = check ? check->pdu : nullptr;
    if (pdu && check->errorcode != VACM_SUCCESS && check->errorcode != VACM_NOSUCHCONTEXT &&
        pdu->version == SNMP_VERSION_3 && pdu->securityLevel < SNMP_SEC_LEVEL_AUTHPRIV) {
        snmp_increment_statistic(STAT_USMSTATSUNSUPPORTEDSECLEVELS);
    }
    return SNMPERR_SUCCESS;
}

// libwrap's own variables (tcpd.h): tables that name no file allow everything. Looked up at
// run time, since the agent library, not this program, links libwrap.
void IgnoreTcpWrappers() {
    static char kNoFile[] = "";
    for (const char* table : {"hosts_allow_table", "hosts_deny_table"}) {
        if (auto** name = static_cast<char**>(dlsym(RTLD_DEFAULT, table))) {
            *name = kNoFile;
        }
    }
}

// One BER element of `tag` at `at`; `content` spans its value.
struct Ber {
    const uint8_t* at;
    const uint8_t* end;

    bool Next(uint8_t tag, Ber& content) {
        if (end - at < 2 || at[0] != tag) {
            return false;
        }
        size_t length = at[1];
        const uint8_t* value = at + 2;
        if (length & 0x80) {
            const size_t octets = length & 0x7f;
            if (octets == 0 || octets > 2 || size_t(end - value) < octets) {
                return false;
            }
            length = 0;
            for (size_t i = 0; i < octets; ++i) {
                length = length << 8 | *value++;
            }
        }
        if (size_t(end - value) < length) {
            return false;
        }
        content = {value, value + length};
        at = value + length;
        return true;
    }
    bool Number(uint32_t& number) {
        Ber value{};
        if (!Next(ASN_INTEGER, value) || value.end - value.at > 5) {
            return false;
        }
        number = 0;
        for (const uint8_t* octet = value.at; octet < value.end; ++octet) {
            number = number << 8 | *octet;
        }
        return true;
    }
};

} // namespace

bool PeekV3Header(const uint8_t* data, size_t size, V3Header& header) {
    Ber message{};
    Ber global{};
    Ber flags{};
    Ber security{};
    Ber parameters{};
    Ber engine{};
    uint32_t version = 0;
    uint32_t number = 0;
    Ber whole{data, data + size};
    if (!whole.Next(ASN_SEQUENCE | ASN_CONSTRUCTOR, message) || !message.Number(version) ||
        version != SNMP_VERSION_3 || !message.Next(ASN_SEQUENCE | ASN_CONSTRUCTOR, global) ||
        !global.Number(number) || !global.Number(number) || !global.Next(ASN_OCTET_STR, flags) ||
        flags.end == flags.at || !message.Next(ASN_OCTET_STR, security) ||
        !security.Next(ASN_SEQUENCE | ASN_CONSTRUCTOR, parameters) ||
        !parameters.Next(ASN_OCTET_STR, engine) || !parameters.Number(header.boots)) {
        return false;
    }
    header.encrypted = (flags.at[0] & SNMP_MSG_FLAG_PRIV_BIT) != 0;
    header.engineIdLength = size_t(engine.end - engine.at);
    return true;
}

bool ListenWatched(const std::string& spec) {
    netsnmp_transport* transport = netsnmp_transport_open_server("snmp", spec.c_str());
    if (!transport) {
        return false;
    }
    g_watch.receivers[transport] = transport->f_recv;
    transport->f_recv = ReceiveWatched;
    return netsnmp_register_agent_nsap(transport) >= 0;
}

void WatchRefusals() {
    IgnoreTcpWrappers();
    netsnmp_register_callback(SNMP_CALLBACK_APPLICATION, SNMPD_CALLBACK_ACM_CHECK_INITIAL,
                              OnAccessChecked, nullptr, NETSNMP_CALLBACK_LOWEST_PRIORITY);
    snmp_register_callback(SNMP_CALLBACK_LIBRARY, SNMP_CALLBACK_LOGGING, OnLog, nullptr);
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_CALLBACK, LOG_WARNING);
}

std::vector<std::string> RefusalLog::Poll(std::chrono::steady_clock::time_point now) {
    Settle();
    std::vector<Refusal> refusals;
    refusals.swap(g_watch.charged);
    return Lines(refusals, now);
}

std::vector<std::string> RefusalLog::Lines(const std::vector<Refusal>& refusals,
                                           std::chrono::steady_clock::time_point now) {
    std::vector<std::string> lines;
    if (now - m_windowStart >= kWindow) {
        EndWindow(now, lines);
    }
    for (const Refusal& refusal : refusals) {
        if (m_logged < kLinesPerWindow) {
            lines.push_back("refused a request from " + refusal.source + ": " + refusal.reason);
            ++m_logged;
        } else {
            ++m_leftOut[refusal.reason];
        }
    }
    return lines;
}

void RefusalLog::EndWindow(std::chrono::steady_clock::time_point now,
                           std::vector<std::string>& lines) {
    uint64_t total = 0;
    std::string reasons;
    for (const auto& [reason, count] : m_leftOut) {
        total += count;
        reasons += (reasons.empty() ? "" : ", ") + reason + " (" + std::to_string(count) + ")";
    }
    if (total) {
        lines.push_back("refused " + std::to_string(total) + " more request" +
                        (total > 1 ? "s" : "") + " in " + std::to_string(kWindow.count()) +
                        " s, not logged one by one: " + reasons);
    }
    m_leftOut.clear();
    m_logged = 0;
    m_windowStart = now;
}

} // namespace probe
