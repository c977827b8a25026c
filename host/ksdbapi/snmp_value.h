// SNMP values, variable bindings, requests and answers as the host database and its
// transports exchange them. Types carry the BER tags that net-snmp uses (ASN_INTEGER...).
#pragma once

#include "host/ksdbapi/oid.h"
#include "hostapi/ksdb_codes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ksdb {

// BER type tags of SNMP values, with net-snmp's values.
enum : uint8_t {
    kAsnInteger = 0x02,
    kAsnOctetString = 0x04,
    kAsnNull = 0x05,
    kAsnObjectId = 0x06,
    kAsnIpAddress = 0x40,
    kAsnCounter32 = 0x41,
    kAsnGauge32 = 0x42,
    kAsnTimeTicks = 0x43,
    kAsnOpaque = 0x44,
    kAsnCounter64 = 0x46,
    kAsnNoSuchObject = 0x80,
    kAsnNoSuchInstance = 0x81,
    kAsnEndOfMibView = 0x82,
};

// One value: numbers in `number` (signed for INTEGER, unsigned otherwise), octets
// (OCTET STRING, IpAddress, Opaque) in `bytes`, identifiers in `oid`.
struct SnmpValue {
    uint8_t type = kAsnNull;
    int64_t number = 0;
    std::string bytes;
    Oid oid;

    static SnmpValue Number(uint8_t type, int64_t number) { return {type, number, {}, {}}; }
    static SnmpValue Octets(std::string bytes) {
        return {kAsnOctetString, 0, std::move(bytes), {}};
    }
    static SnmpValue Identifier(Oid oid) { return {kAsnObjectId, 0, {}, std::move(oid)}; }
    bool IsException() const { return type >= kAsnNoSuchObject && type <= kAsnEndOfMibView; }
};

struct SnmpVarBind {
    Oid name;
    SnmpValue value;
};

// A request kind of the transports only: the host database never posts it, the read-ahead
// asks it in place of get-next (non-repeaters 0).
constexpr int kReqGetBulk = 4;

// SNMP error statuses the transports act on.
constexpr int kStatusTooBig = KSDB_ERR_TOO_BIG;

// kind is DB_REQ_GET, DB_REQ_GET_NEXT, DB_REQ_SET or kReqGetBulk; set requests carry their
// values, get-bulk its max-repetitions.
struct SnmpRequest {
    int kind = 0;
    std::vector<SnmpVarBind> vars;
    int maxRepetitions = 0;
};

// status: 0, the PDU's SNMP error status, or one of the KSDB_ERR_ codes of ksdb_host.h
// for failures below the PDU (time-out, unreachable agent).
struct SnmpAnswer {
    int status = 0;
    std::vector<SnmpVarBind> vars;
    // SNMPv3: the agent's engine restarted (or changed) since the node's last answer and was
    // found again before this one.
    bool engineRestarted = false;
};

} // namespace ksdb
