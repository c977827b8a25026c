// The seam between the host database and SNMP: a transport carries one request to a
// node's agent and hands the answer to a sink. The database defers every answer to the
// event loop, so a transport may answer from inside Send.
#pragma once

#include "host/ksdbapi/snmp_value.h"

#include <cstdint>
#include <string>

namespace ksdb {

// A managed node as the nodes file describes it.
struct NodeConfig {
    uint32_t id = 0;
    std::string name;
    std::string address; // host[:port]
    int version = 1;     // 0 for SNMPv1, 1 for SNMPv2c (net-snmp's SNMP_VERSION_ values)
    std::string community = "public";
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
