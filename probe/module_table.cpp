#include "probe/module_table.h"

#include <algorithm>

namespace probe {
namespace {

// sysORIndex (1) is not-accessible: the columns served are sysORID to sysORUpTime.
enum ModuleColumn : uint32_t { kSysORID = 2, kSysORDescr = 3, kSysORUpTime = 4 };

} // namespace

const Arcs ModuleTable::kEntry = {1, 3, 6, 1, 2, 1, 1, 9, 1};

std::vector<MibModule> MatrixModules() {
    return {{{1, 3, 6, 1, 2, 1, 16, 20, 8}, "RMON-MIB: the matrix group"},
            {{1, 3, 6, 1, 2, 1, 16, 20, 5}, "HC-RMON-MIB: the matrix group's 64-bit counts"},
            {{1, 3, 6, 1, 6, 3, 1}, "SNMPv2-MIB: the system group and SNMP statistics"}};
}

ObjectKind ModuleTable::Kind(const Arcs& name) {
    const bool column = name.size() > kEntry.size() &&
                        std::equal(kEntry.begin(), kEntry.end(), name.begin()) &&
                        name[kEntry.size()] >= kSysORID && name[kEntry.size()] <= kSysORUpTime;
    return column ? ObjectKind::kReadOnly : ObjectKind::kNone;
}

MatrixObject ModuleTable::ObjectOf(uint32_t column, uint32_t row) const {
    MatrixObject object;
    object.name = kEntry;
    object.name.push_back(column);
    object.name.push_back(row);
    const MibModule& module = m_modules[row - 1];
    switch (ModuleColumn(column)) {
    case kSysORID:
        object.value = {kTagObjectId, 0, {}, module.id};
        break;
    case kSysORDescr:
        object.value = {kTagOctets, 0, module.description, {}};
        break;
    case kSysORUpTime:
        object.value = {kTagTimeTicks, 0, {}, {}};
        break;
    }
    return object;
}

bool ModuleTable::Get(const Arcs& name, MatrixObject& object) const {
    if (Kind(name) == ObjectKind::kNone || name.size() != kEntry.size() + 2 || name.back() < 1 ||
        name.back() > m_modules.size()) {
        return false;
    }
    object = ObjectOf(name[kEntry.size()], name.back());
    return true;
}

bool ModuleTable::GetNext(const Arcs& name, MatrixObject& object) const {
    for (uint32_t column = kSysORID; column <= kSysORUpTime; ++column) {
        for (uint32_t row = 1; row <= m_modules.size(); ++row) {
            Arcs candidate = kEntry;
            candidate.push_back(column);
            candidate.push_back(row);
            if (name < candidate) {
                object = ObjectOf(column, row);
                return true;
            }
        }
    }
    return false;
}

} // namespace probe
