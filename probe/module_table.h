// SNMPv2-MIB's sysORTable (1.3.6.1.2.1.1.9.1): one row per MIB module the agent serves,
// with the module's identity and a description; all rows are there from the agent's start
// (sysORUpTime 0). No SNMP library is needed here.
#pragma once

#include "probe/matrix_table.h"

#include <string>
#include <vector>

namespace probe {

struct MibModule {
    Arcs id;                 // sysORID: the module's MODULE-IDENTITY
    std::string description; // sysORDescr
};

// The modules every probe serves: RMON-MIB with HC-RMON-MIB's matrix tables, SNMPv2-MIB.
std::vector<MibModule> MatrixModules();

class ModuleTable {
  public:
    static const Arcs kEntry; // 1.3.6.1.2.1.1.9.1

    explicit ModuleTable(std::vector<MibModule> modules) : m_modules(std::move(modules)) {}

    bool Get(const Arcs& name, MatrixObject& object) const;
    bool GetNext(const Arcs& name, MatrixObject& object) const;
    static ObjectKind Kind(const Arcs& name);

  private:
    MatrixObject ObjectOf(uint32_t column, uint32_t row) const;

    std::vector<MibModule> m_modules; // sysORIndex 1, 2, ...
};

} // namespace probe
