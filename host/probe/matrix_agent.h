// Serving a probe's tables through net-snmp's agent library: the matrix group from a
// MatrixTable and the few system-group scalars a manager asks first. The caller sets the
// agent up (init_agent ... init_master_agent) and runs its loop; the registrations read
// the table at every request, so counters that grow are answered as they stand.
#pragma once

#include "host/probe/matrix_table.h"

#include <string>

namespace probe {

// Registers the matrix group (1.3.6.1.2.1.16.6): matrixSDTable and matrixDSTable from
// `table`, which must outlive the agent. False if net-snmp refused the registration.
bool RegisterMatrixGroup(const MatrixTable& table);

// Sets up view-based access control with one read-only community over every object. Call
// after init_agent and before init_snmp.
void AllowReadCommunity(const std::string& community);

// Registers sysDescr.0, sysUpTime.0 (the agent's uptime) and sysName.0.
bool RegisterSystemGroup(const std::string& description, const std::string& name);

} // namespace probe
