// An SNMPv3 node's user-based security in a net-snmp session: the protocols and the keys
// derived from the pass phrases (RFC 3414's password-to-key), which the library localizes
// to the agent's engine once it has learnt its engine ID.
#pragma once

#include "host/ksdbapi/transport.h"

struct snmp_session;
struct snmp_pdu;

namespace ksdb {

// Fills the security fields of a session about to be opened; false if a key cannot be
// derived. The session points into `usm`, which must outlive the open call.
bool ConfigureUsm(const UsmSecurity& usm, snmp_session& session);

// The request error a report PDU stands for: the usmStats counter it carries (RFC 3414),
// the agent's reason for refusing the request.
int ReportError(const snmp_pdu& report);

// The request error for a received message the library could not accept for its
// security (net-snmp's SNMPERR_ code); 0 for any other result.
int SecurityFailure(int parseResult);

} // namespace ksdb
