#include "probe/scalar_group.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <list>

namespace probe {
namespace {

struct ScalarGroup {
    Arcs base;
    std::vector<Scalar> scalars;
};

Arcs NameOf(const ScalarGroup& group, const Scalar& scalar) {
    Arcs name = group.base;
    name.push_back(scalar.arc);
    name.push_back(0);
    return name;
}

// Get answers the scalar or noSuchInstance; get-next moves to the first scalar past the
// variable, or leaves it alone past the last one so the agent goes on to the next
// registration.
int HandleScalars(netsnmp_mib_handler* handler, netsnmp_handler_registration*,
                  netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    const auto* group = static_cast<const ScalarGroup*>(handler->myvoid);
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* var = request->requestvb;
        const Arcs asked(var->name, var->name + var->name_length);
        const Scalar* found = nullptr;
        for (const Scalar& scalar : group->scalars) {
            const Arcs name = NameOf(*group, scalar);
            if (info->mode == MODE_GET ? asked == name : asked < name) {
                found = &scalar;
                if (info->mode == MODE_GETNEXT) {
                    std::vector<oid> arcs(name.begin(), name.end());
                    snmp_set_var_objid(var, arcs.data(), arcs.size());
                }
                break;
            }
        }
        if (found) {
            found->value(var);
        } else if (info->mode == MODE_GET) {
            netsnmp_set_request_error(info, request, SNMP_NOSUCHINSTANCE);
        }
    }
    return SNMP_ERR_NOERROR;
}

} // namespace

bool RegisterScalars(const char* label, const Arcs& base, std::vector<Scalar> scalars) {
    // Groups live as long as the process: the agent may answer until it exits.
    static std::list<ScalarGroup> groups;
    groups.push_back({base, std::move(scalars)});
    std::vector<oid> arcs(base.begin(), base.end());
    netsnmp_handler_registration* registration = netsnmp_create_handler_registration(
        label, HandleScalars, arcs.data(), arcs.size(), HANDLER_CAN_RONLY);
    if (!registration) {
        return false;
    }
    registration->handler->myvoid = &groups.back();
    return netsnmp_register_handler(registration) == MIB_REGISTERED_OK;
}

void SetText(variable_list* var, const std::string& text) {
    snmp_set_var_typed_value(var, ASN_OCTET_STR, text.data(), text.size());
}

void SetCounter(variable_list* var, uint32_t count) {
    snmp_set_var_typed_integer(var, ASN_COUNTER, long(count));
}

} // namespace probe
