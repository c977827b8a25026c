// Who may ask rmonprobe's agent what: its configuration turned into net-snmp's access
// control (read-only communities limited to source networks, SNMPv3 users with
// authentication and privacy), the checks of its listen addresses, and the counters and
// log lines of refused requests.
#pragma once

#include "probe/probe_config.h"

#include <cstdint>
#include <string>
#include <vector>

namespace probe {

// net-snmp's transport list for the endpoints: "udp:127.0.0.1:1161,udp6:[::1]:1161".
std::string TransportList(const std::vector<Endpoint>& endpoints);

// net-snmp configuration lines granting the configuration's communities and users access
// to every object, and nothing else. The view lets sets through to the registrations, which
// refuse every one with RFC 3416's error for the object (notWritable, noCreation): access is
// read-only however it is granted.
std::vector<std::string> AccessLines(const ProbeConfig& config);

// Forgets every community and user, for a configuration read again.
void ClearAccess();

// True when a UDP socket can be bound to the endpoint; else `reason` says why ("address
// in use", "permission denied", "not a local address").
bool CheckEndpoint(const Endpoint& endpoint, std::string& reason);

// Registers snmpInPkts, snmpInBadVersions, snmpInBadCommunityNames, snmpInBadCommunityUses,
// snmpInASNParseErrs, snmpEnableAuthenTraps, snmpSilentDrops, snmpProxyDrops,
// snmpSetSerialNo and the USM statistics (usmStats).
bool RegisterSecurityStatistics();

// Refused requests since the last call, as a log line ("2 bad community names, 1 wrong
// digest"); empty when there were none.
class RefusalLog {
  public:
    std::string Poll();

  private:
    std::vector<uint32_t> m_seen;
};

} // namespace probe
