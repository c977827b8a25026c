// An SNMP agent in memory: a sorted map of objects answering get, get-next and set the
// way an agent does (v2c exceptions, v1 noSuchName). Tests and benchmarks fill it from
// an snmpsim .snmprec file or in code and serve it through MemoryTransport.
#pragma once

#include "host/ksdbapi/snmp_value.h"

#include <map>
#include <string>

namespace ksdb {

class MemoryAgent {
  public:
    void Set(const Oid& name, SnmpValue value) { m_objects[name] = std::move(value); }
    void Remove(const Oid& name) { m_objects.erase(name); }
    size_t Size() const { return m_objects.size(); }

    // Adds the objects of an snmpsim data file: lines "oid|tag|value", tag the decimal
    // BER type, with an "x" suffix when the value is hexadecimal. A tag with a variation
    // module ("65:numeric") keeps its type and starts from 0 or empty. Returns false if
    // the file cannot be read or a line is malformed (the lines before it stay loaded).
    bool LoadSnmprec(const std::string& path);

    // One row of matrixSDTable (1.3.6.1.2.1.16.6.2.1): instance index.6.source.6.destination,
    // addresses as 6 raw bytes.
    void AddConversation(int32_t index, const std::string& source, const std::string& destination,
                         uint32_t packets, uint32_t octets, uint32_t errors);

    // The most variables one answer carries, as an agent's message size limits a get-bulk
    // answer (it answers fewer repetitions); 0 for no limit.
    void SetMaxAnswerVars(size_t count) { m_maxAnswerVars = count; }

    // version: 0 SNMPv1, 1 SNMPv2c. Get-bulk (v2c only) stops early when every variable
    // of a repetition is at the end of the MIB view.
    SnmpAnswer Answer(const SnmpRequest& request, int version);

  private:
    SnmpAnswer AnswerBulk(const SnmpRequest& request);
    bool AnswerGet(SnmpVarBind& var);
    bool AnswerGetNext(SnmpVarBind& var);
    int AnswerSet(SnmpVarBind& var);

    std::map<Oid, SnmpValue> m_objects;
    size_t m_maxAnswerVars = 0;
};

} // namespace ksdb
