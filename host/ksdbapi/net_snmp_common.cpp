#include "host/ksdbapi/net_snmp_common.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>
#include <vector>

namespace ksdb {

void InitNetSnmpLibrary() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    setenv("MIBS", "", 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    init_snmp("tessaran");
}

SnmpValue ValueOf(const netsnmp_variable_list* var) {
    SnmpValue value;
    value.type = var->type;
    switch (var->type) {
    case ASN_INTEGER:
        value.number = *var->val.integer;
        break;
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
        value.number = static_cast<uint32_t>(*var->val.integer);
        break;
    case ASN_COUNTER64:
        value.number = static_cast<int64_t>(static_cast<uint64_t>(var->val.counter64->high) << 32 |
                                            (var->val.counter64->low & 0xffffffff));
        break;
    case ASN_OCTET_STR:
    case ASN_IPADDRESS:
    case ASN_OPAQUE:
        value.bytes.assign(reinterpret_cast<const char*>(var->val.string), var->val_len);
        break;
    case ASN_OBJECT_ID:
        value.oid.assign(var->val.objid, var->val.objid + var->val_len / sizeof(oid));
        break;
    default:
        break;
    }
    return value;
}

void AddValue(netsnmp_pdu* pdu, const Oid& name, const SnmpValue& value) {
    std::vector<oid> arcs(name.begin(), name.end());
    if (value.type == kAsnCounter64) {
        counter64 number{static_cast<u_long>(static_cast<uint64_t>(value.number) >> 32),
                         static_cast<u_long>(value.number & 0xffffffff)};
        snmp_pdu_add_variable(pdu, arcs.data(), arcs.size(), value.type, &number, sizeof number);
    } else if (value.type == kAsnObjectId) {
        std::vector<oid> target(value.oid.begin(), value.oid.end());
        snmp_pdu_add_variable(pdu, arcs.data(), arcs.size(), value.type, target.data(),
                              target.size() * sizeof(oid));
    } else if (value.type == kAsnOctetString || value.type == kAsnIpAddress ||
               value.type == kAsnOpaque) {
        snmp_pdu_add_variable(pdu, arcs.data(), arcs.size(), value.type, value.bytes.data(),
                              value.bytes.size());
    } else if (value.type == kAsnNull || value.IsException()) {
        snmp_pdu_add_variable(pdu, arcs.data(), arcs.size(), value.type, nullptr, 0);
    } else {
        long number = static_cast<long>(value.number);
        snmp_pdu_add_variable(pdu, arcs.data(), arcs.size(), value.type, &number, sizeof number);
    }
}

} // namespace ksdb
