// The seam between the host database and SNMP: a transport carries one request to a
// node's agent and hands the answer to a sink. The database defers every answer to the
// event loop, so a transport may answer from inside Send.
#pragma once

#include "host/ksdbapi/snmp_value.h"

#include <cstdint>
#include <string>

namespace ksdb {

// SNMPv3's user-based security model (RFC 3414, RFC 7860, and the AES-192/256 key
// extension that net-snmp and most agents share): the protocols a user may have.
enum class UsmLevel { kNoAuthNoPriv = 1, kAuthNoPriv = 2, kAuthPriv = 3 }; // SNMP_SEC_LEVEL_
enum class UsmAuth { kNone, kMd5, kSha1, kSha224, kSha256, kSha384, kSha512 };
enum class UsmPriv { kNone, kDes, kAes128, kAes192, kAes256 };

struct UsmSecurity {
    std::string user;
    std::string context; // the context name; most agents serve the empty one
    UsmLevel level = UsmLevel::kNoAuthNoPriv;
    UsmAuth auth = UsmAuth::kNone;
    std::string authPassphrase;
    UsmPriv priv = UsmPriv::kNone;
    std::string privPassphrase;
};

// A managed node as the nodes file describes it.
struct NodeConfig {
    uint32_t id = 0;
    std::string name;
    std::string address; // host[:port]
    int version = 1;     // 0 SNMPv1, 1 SNMPv2c, 3 SNMPv3 (net-snmp's SNMP_VERSION_ values)
    std::string community = "public"; // v1 and v2c
    UsmSecurity usm;                  // v3
    int timeoutMs = 1000;
    int retries = 1;
    bool readAhead = true; // get-next of a v2c node may be answered from get-bulk read-ahead
};

class AnswerSink {
  public:
    virtual void OnAnswer(uint64_t ticket, SnmpAnswer answer) = 0;

  protected:
    ~AnswerSink() = default;
};

class Transport {
  public:
    virtual ~Transport() = default;
    // Starts a request; its answer (or failure status) reaches `sink` exactly once unless
    // the ticket is cancelled first. The sink outlives the transport.
    virtual void Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
                      AnswerSink& sink) = 0;
    // Forgets a request; its answer, should it still come, is dropped.
    virtual void Cancel(uint64_t ticket) = 0;
};

} // namespace ksdb
