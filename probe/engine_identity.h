// rmonprobe's SNMPv3 engine identity (RFC 3414): an engine ID that stays the same over
// restarts and a boots count that rises by one at each start, kept in a state file, so a
// manager that knew the agent before a restart sees a restart (boots changed) and not a
// stranger (engine ID changed). The snmpEngine group serves them.
#pragma once

#include <cstdint>
#include <string>

namespace probe {

struct EngineIdentity {
    std::string id; // the engine ID's octets
    uint32_t boots = 1;
};

// The state file in `directory`: its engine ID (a new random one when there is none yet)
// and its boots count raised by one, written back. When the directory cannot be read or
// written, `problem` says why and the identity is derived instead: the ID from `seed` (the
// same seed, the same ID), the boots count from the clock (seconds since 1970), so it still
// rises over restarts.
EngineIdentity LoadEngineIdentity(const std::string& directory, const std::string& seed,
                                  std::string& problem);

// What a stable ID is derived from without a state file: /etc/machine-id (else the host
// name) and the agent's first listen address.
std::string EngineSeed(const std::string& listenText);

// Hex text of octets: "80001f8805...".
std::string HexText(const std::string& octets);

// Makes `identity` the agent's engine ID and boots: the ID before init_snmp (the users'
// keys are localized to it), the boots after it (init_snmp resets them).
void SetEngineIdBeforeInit(const EngineIdentity& identity);
void SetEngineBootsAfterInit(const EngineIdentity& identity);

// Registers the snmpEngine group (1.3.6.1.6.3.10.2.1): snmpEngineID, snmpEngineBoots,
// snmpEngineTime (seconds since this start) and snmpEngineMaxMessageSize.
bool RegisterEngineGroup();

} // namespace probe
