#include "host/probe/matrix_agent.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <algorithm>

// The access-control set-up of net-snmp's agent library; its header is not installed.
extern "C" {
void init_vacm_conf(void);
void init_vacm_snmpd_easy_tokens(void);
}

namespace probe {
namespace {

const oid kMatrixGroup[] = {1, 3, 6, 1, 2, 1, 16, 6};
const oid kSystemGroup[] = {1, 3, 6, 1, 2, 1, 1};

Arcs ArcsOf(const netsnmp_variable_list* var) {
    return Arcs(var->name, var->name + var->name_length);
}

void SetName(netsnmp_variable_list* var, const Arcs& name) {
    std::vector<oid> arcs(name.begin(), name.end());
    snmp_set_var_objid(var, arcs.data(), arcs.size());
}

void SetValue(netsnmp_variable_list* var, const MatrixValue& value) {
    if (value.tag == kTagOctets)
        snmp_set_var_typed_value(var, ASN_OCTET_STR, value.address.data(), value.address.size());
    else
        snmp_set_var_typed_integer(var, value.tag, long(value.number));
}

// Get answers the object or noSuchInstance; get-next moves the variable to the next object,
// or leaves it alone past the last one so that the agent goes on to the next registration.
int HandleMatrix(netsnmp_mib_handler* handler, netsnmp_handler_registration*,
                 netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    const auto* table = static_cast<const MatrixTable*>(handler->myvoid);
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* var = request->requestvb;
        MatrixObject object;
        if (info->mode == MODE_GET) {
            if (table->Get(ArcsOf(var), object))
                SetValue(var, object.value);
            else
                netsnmp_set_request_error(info, request, SNMP_NOSUCHINSTANCE);
        } else if (info->mode == MODE_GETNEXT && table->GetNext(ArcsOf(var), object)) {
            SetName(var, object.name);
            SetValue(var, object.value);
        }
    }
    return SNMP_ERR_NOERROR;
}

// The system group's scalars, in identifier order: arc 1 sysDescr, 3 sysUpTime, 5 sysName.
struct SystemGroup {
    std::string description;
    std::string name;
};

void SetScalar(netsnmp_variable_list* var, oid arc, const SystemGroup& system) {
    if (arc == 3) {
        snmp_set_var_typed_integer(var, ASN_TIMETICKS, long(netsnmp_get_agent_uptime()));
        return;
    }
    const std::string& text = arc == 1 ? system.description : system.name;
    snmp_set_var_typed_value(var, ASN_OCTET_STR, text.data(), text.size());
}

int HandleSystem(netsnmp_mib_handler* handler, netsnmp_handler_registration*,
                 netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    static const oid kArcs[] = {1, 3, 5};
    const auto* system = static_cast<const SystemGroup*>(handler->myvoid);
    const size_t group = OID_LENGTH(kSystemGroup);
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* var = request->requestvb;
        Arcs name = ArcsOf(var);
        for (oid arc : kArcs) {
            Arcs scalar(kSystemGroup, kSystemGroup + group);
            scalar.push_back(uint32_t(arc));
            scalar.push_back(0);
            if (info->mode == MODE_GET && name == scalar) {
                SetScalar(var, arc, *system);
                break;
            }
            if (info->mode == MODE_GETNEXT && name < scalar) {
                SetName(var, scalar);
                SetScalar(var, arc, *system);
                break;
            }
        }
        if (info->mode == MODE_GET && var->type == ASN_NULL)
            netsnmp_set_request_error(info, request, SNMP_NOSUCHINSTANCE);
    }
    return SNMP_ERR_NOERROR;
}

bool Register(const char* label, Netsnmp_Node_Handler* function, const oid* base, size_t length,
              void* datum) {
    netsnmp_handler_registration* registration =
        netsnmp_create_handler_registration(label, function, base, length, HANDLER_CAN_RONLY);
    if (!registration)
        return false;
    registration->handler->myvoid = datum;
    return netsnmp_register_handler(registration) == MIB_REGISTERED_OK;
}

} // namespace

bool RegisterMatrixGroup(const MatrixTable& table) {
    return Register("matrix", HandleMatrix, kMatrixGroup, OID_LENGTH(kMatrixGroup),
                    const_cast<MatrixTable*>(&table));
}

void AllowReadCommunity(const std::string& community) {
    init_vacm_conf();
    init_vacm_snmpd_easy_tokens();
    std::string line = "rocommunity " + community;
    netsnmp_config(line.data());
}

// The texts live as long as the process: the agent may answer until it exits.
bool RegisterSystemGroup(const std::string& description, const std::string& name) {
    static SystemGroup system;
    system = {description, name};
    return Register("system", HandleSystem, kSystemGroup, OID_LENGTH(kSystemGroup), &system);
}

} // namespace probe
