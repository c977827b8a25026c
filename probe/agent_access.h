// Who may ask rmonprobe's agent what: its configuration turned into net-snmp's access
// control (read-only communities limited to source networks, SNMPv3 users with
// authentication and privacy), the checks of its listen addresses, and the counters of
// refused requests it serves (probe/refusal_watch.h logs them).
#pragma once

#include "probe/probe_config.h"

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

} // namespace probe
