// Serving a probe's tables through net-snmp's agent library: the matrix group from a
// MatrixTable and the few system-group scalars a manager asks first. StartMatrixAgent sets
// a whole agent up; the caller then runs its loop (agent_check_and_process). The
// registrations read the table at every request, so counters that grow are answered as
// they stand.
#pragma once

#include "probe/matrix_table.h"
#include "probe/module_table.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace probe {

struct AgentSettings {
    std::string application; // net-snmp's application name
    std::string description; // sysDescr.0; sysName.0 is the application name
    // sysObjectID.0: by default net-snmp's agent on Linux (netSnmpAgentOIDs.10), the agent
    // library these probes are built on.
    Arcs objectId = {1, 3, 6, 1, 4, 1, 8072, 3, 2, 10};
    std::string contact;  // sysContact.0
    std::string location; // sysLocation.0
    std::string address = "127.0.0.1";
    int port = 1161;
    // net-snmp's transport list ("udp:127.0.0.1:1161,udp6:[::1]:1161"); empty: address and
    // port above.
    std::string endpoints;
    // Access control as net-snmp configuration lines (rwcommunity, createUser, rwuser):
    // every registration refuses sets itself, with RFC 3416's error for the object.
    std::vector<std::string> access = {"rwcommunity public"};
    std::vector<MibModule> modules = MatrixModules(); // sysORTable's rows
};

// A master agent on the settings' UDP endpoints and no other listener, its access as the
// settings give it (by default read-only community "public"), no configuration or
// persistent files read or written, serving the system scalars and the matrix group of
// `table`. `guard`, if given, is held while a request reads the table (for
// a table another thread fills). False if the agent could not start (port in use).
bool StartMatrixAgent(const AgentSettings& settings, const MatrixTable& table,
                      std::mutex* guard = nullptr);
// Shuts the agent StartMatrixAgent started down.
void StopMatrixAgent(const AgentSettings& settings);

// A read-only subtree answered by two look-ups (as MatrixTable's Get and GetNext), with
// `guard`, if given, held while they run. `kind` tells the objects the subtree implements:
// a get of a missing instance of one answers noSuchInstance, of anything else noSuchObject;
// a set answers notWritable, or noCreation for a new row's read-create column.
struct ObjectSource {
    std::function<bool(const Arcs& name, MatrixObject& object)> get;
    std::function<bool(const Arcs& name, MatrixObject& object)> getNext;
    std::function<ObjectKind(const Arcs& name)> kind;
    std::mutex* guard = nullptr;
};

// The source of a table with MatrixTable's Get, GetNext and Kind; `table` outlives the agent.
template <class Table> ObjectSource SourceOf(const Table& table, std::mutex* guard) {
    ObjectSource source;
    source.get = [&table](const Arcs& name, MatrixObject& object) {
        return table.Get(name, object);
    };
    source.getNext = [&table](const Arcs& name, MatrixObject& object) {
        return table.GetNext(name, object);
    };
    source.kind = [&table](const Arcs& name) { return table.Kind(name); };
    source.guard = guard;
    return source;
}

// Registers `subtree` under `label`; get-next answers past the subtree are left to the next
// registration. Every set is refused (the probe is read-only: its rows come from its
// configuration); a set by community counts as snmpInBadCommunityUses. False if net-snmp
// refused the registration.
bool RegisterObjects(const std::string& label, const Arcs& subtree, ObjectSource source);

// Registers the matrix group (1.3.6.1.2.1.16.6): matrixControlTable, matrixSDTable and
// matrixDSTable from `table`, which must outlive the agent; `guard` as above. False if
// net-snmp refused the registration.
bool RegisterMatrixGroup(const MatrixTable& table, std::mutex* guard = nullptr);

// Adds access-control lines (net-snmp's rwcommunity, rwcommunity6, createUser, rwuser) to a
// running agent.
void ApplyAccess(const std::vector<std::string>& lines);

// Registers sysDescr.0, sysObjectID.0, sysUpTime.0 (the agent's uptime), sysContact.0,
// sysName.0, sysLocation.0, sysServices.0, sysORLastChange.0 and sysORTable from `settings`.
bool RegisterSystemGroup(const AgentSettings& settings);
// Sets sysContact.0 and sysLocation.0.
void SetSystemContact(const std::string& contact, const std::string& location);

} // namespace probe
