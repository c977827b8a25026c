#include "probe/agent_access.h"

#include "probe/scalar_group.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/library/snmpusm.h>
#include <net-snmp/library/vacm.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// The community lists of net-snmp's UDP transports; their declarations are not installed.
extern "C" {
void netsnmp_udp_com2SecList_free(void);
void netsnmp_udp6_com2Sec6List_free(void);
}

namespace probe {
namespace {

bool IsSix(const std::string& address) {
    return address.find(':') != std::string::npos;
}

// The statistics a refusal counts, with the words of its log line.
struct Refusal {
    int statistic;
    const char* what;
};
const Refusal kRefusals[] = {
    {STAT_SNMPINBADCOMMUNITYNAMES, "bad community name"},
    {STAT_SNMPINBADCOMMUNITYUSES, "bad community use"},
    {STAT_USMSTATSUNKNOWNUSERNAMES, "unknown SNMPv3 user"},
    {STAT_USMSTATSWRONGDIGESTS, "wrong SNMPv3 authentication digest"},
    {STAT_USMSTATSDECRYPTIONERRORS, "SNMPv3 decryption error"},
    {STAT_USMSTATSUNSUPPORTEDSECLEVELS, "unsupported SNMPv3 security level"},
};

Scalar CounterOf(uint32_t arc, int statistic) {
    return {arc, [statistic] {
                return NumberValue(kTagCounter32, uint32_t(snmp_get_statistic(statistic)));
            }};
}

int Family(const std::string& address) {
    return IsSix(address) ? AF_INET6 : AF_INET;
}

} // namespace

std::string TransportList(const std::vector<Endpoint>& endpoints) {
    std::string list;
    for (const Endpoint& endpoint : endpoints) {
        list += (list.empty() ? "" : ",") +
                std::string(IsSix(endpoint.address) ? "udp6:" : "udp:") + EndpointText(endpoint);
    }
    return list;
}

std::vector<std::string> AccessLines(const ProbeConfig& config) {
    std::vector<std::string> lines;
    for (const Community& community : config.communities) {
        for (const std::string& source : community.sources) {
            lines.push_back(std::string(IsSix(source) ? "rwcommunity6 " : "rwcommunity ") +
                            community.name + " " + source);
        }
    }
    for (const SnmpUser& user : config.users) {
        lines.push_back("createUser " + user.name + " " + user.authProtocol + " " + user.authKey +
                        " " + user.privProtocol + " " + user.privKey);
        lines.push_back("rwuser " + user.name + " priv");
    }
    return lines;
}

void ClearAccess() {
    netsnmp_udp_com2SecList_free();
    netsnmp_udp6_com2Sec6List_free();
    vacm_destroyAllGroupEntries();
    vacm_destroyAllAccessEntries();
    // The views stay: the lines grant the standard view of everything, which the agent
    // made once at start.
    // usm_remove_user answers the list's new head, not the user it took out.
    while (usmUser* user = usm_get_userList()) {
        usm_remove_user(user);
        usm_free_user(user);
    }
}

bool CheckEndpoint(const Endpoint& endpoint, std::string& reason) {
    sockaddr_storage storage{};
    socklen_t size = 0;
    if (IsSix(endpoint.address)) {
        auto* six = reinterpret_cast<sockaddr_in6*>(&storage);
        six->sin6_family = AF_INET6;
        six->sin6_port = htons(uint16_t(endpoint.port));
        inet_pton(AF_INET6, endpoint.address.c_str(), &six->sin6_addr);
        size = sizeof(*six);
    } else {
        auto* four = reinterpret_cast<sockaddr_in*>(&storage);
        four->sin_family = AF_INET;
        four->sin_port = htons(uint16_t(endpoint.port));
        inet_pton(AF_INET, endpoint.address.c_str(), &four->sin_addr);
        size = sizeof(*four);
    }
    const int handle = socket(Family(endpoint.address), SOCK_DGRAM, 0);
    if (handle < 0) {
        reason = IsSix(endpoint.address) ? std::string("IPv6 unavailable: ") + strerror(errno)
                                         : strerror(errno);
        return false;
    }
    const bool bound = bind(handle, reinterpret_cast<sockaddr*>(&storage), size) == 0;
    const int error = errno;
    close(handle);
    if (bound) {
        return true;
    }
    switch (error) {
    case EADDRINUSE:
        reason = "address in use (another agent on that port?)";
        break;
    case EACCES:
        reason = "permission denied (ports under 1024 need root or CAP_NET_BIND_SERVICE)";
        break;
    case EADDRNOTAVAIL:
        reason = "not a local address of this machine";
        break;
    default:
        reason = strerror(error);
    }
    return false;
}

bool RegisterSecurityStatistics() {
    const Arcs snmpGroup = {1, 3, 6, 1, 2, 1, 11};
    const Arcs snmpSet = {1, 3, 6, 1, 6, 3, 1, 1, 6};
    const Arcs usmStats = {1, 3, 6, 1, 6, 3, 15, 1, 1};
    constexpr uint32_t kAuthenTrapsDisabled = 2; // the probe sends no notifications
    return RegisterScalars("snmp", snmpGroup,
                           {CounterOf(1, STAT_SNMPINPKTS),
                            CounterOf(3, STAT_SNMPINBADVERSIONS),
                            CounterOf(4, STAT_SNMPINBADCOMMUNITYNAMES),
                            CounterOf(5, STAT_SNMPINBADCOMMUNITYUSES),
                            CounterOf(6, STAT_SNMPINASNPARSEERRS),
                            {30, [] { return NumberValue(kTagInteger, kAuthenTrapsDisabled); }},
                            CounterOf(31, STAT_SNMPSILENTDROPS),
                            CounterOf(32, STAT_SNMPPROXYDROPS)}) &&
           // snmpSetSerialNo: no set ever succeeds, so it never advances.
           RegisterScalars("snmpSet", snmpSet, {{1, [] { return NumberValue(kTagInteger, 0); }}}) &&
           RegisterScalars("usmStats", usmStats,
                           {CounterOf(1, STAT_USMSTATSUNSUPPORTEDSECLEVELS),
                            CounterOf(2, STAT_USMSTATSNOTINTIMEWINDOWS),
                            CounterOf(3, STAT_USMSTATSUNKNOWNUSERNAMES),
                            CounterOf(4, STAT_USMSTATSUNKNOWNENGINEIDS),
                            CounterOf(5, STAT_USMSTATSWRONGDIGESTS),
                            CounterOf(6, STAT_USMSTATSDECRYPTIONERRORS)});
}

std::string RefusalLog::Poll() {
    m_seen.resize(std::size(kRefusals));
    std::string line;
    for (size_t i = 0; i < std::size(kRefusals); ++i) {
        const uint32_t count = uint32_t(snmp_get_statistic(kRefusals[i].statistic));
        const uint32_t added = count - m_seen[i];
        m_seen[i] = count;
        if (added) {
            line += (line.empty() ? "" : ", ") + std::to_string(added) + " " + kRefusals[i].what +
                    (added > 1 ? "s" : "");
        }
    }
    return line;
}

} // namespace probe
