// What both sides of the wire share over net-snmp, the transport to real agents and the
// UDP agent server: the library's set-up and values between its variable lists and the
// host database's SnmpValue.
#pragma once

#include "host/ksdbapi/snmp_value.h"

struct variable_list;
struct snmp_pdu;

namespace ksdb {

// Once per process: no configuration files and no MIB files, since identifiers are
// numeric throughout and a user's snmp.conf must not change what the library sends.
void InitNetSnmpLibrary();

// The value a received variable carries; exceptions keep their tag and nothing else.
SnmpValue ValueOf(const variable_list* var);

// Appends a variable named `name` with `value` to the PDU, exceptions included.
void AddValue(snmp_pdu* pdu, const Oid& name, const SnmpValue& value);

} // namespace ksdb
