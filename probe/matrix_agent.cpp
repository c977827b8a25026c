#include "probe/matrix_agent.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <algorithm>
#include <deque>

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
    if (value.tag == kTagOctets) {
        snmp_set_var_typed_value(var, ASN_OCTET_STR, value.octets.data(), value.octets.size());
    } else if (value.tag == kTagObjectId) {
        std::vector<oid> arcs(value.oid.begin(), value.oid.end());
        snmp_set_var_typed_value(var, ASN_OBJECT_ID, arcs.data(), arcs.size() * sizeof(oid));
    } else {
        snmp_set_var_typed_integer(var, value.tag, long(value.number));
    }
}

bool StartsWith(const Arcs& name, const oid* root, size_t length) {
    return name.size() >= length && std::equal(root, root + length, name.begin());
}

// Get answers the object or noSuchInstance; get-next moves the variable to the next object
// of the registration's subtree, or leaves it alone past the last one so that the agent
// goes on to the next registration. The lock is held for the look-ups of one pass only,
// never while the answer is sent.
int HandleObjects(netsnmp_mib_handler* handler, netsnmp_handler_registration* registration,
                  netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    const auto* source = static_cast<const ObjectSource*>(handler->myvoid);
    std::unique_lock<std::mutex> lock;
    if (source->guard) {
        lock = std::unique_lock<std::mutex>(*source->guard);
    }
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* var = request->requestvb;
        MatrixObject object;
        if (info->mode == MODE_GET) {
            if (source->get(ArcsOf(var), object)) {
                SetValue(var, object.value);
            } else {
                netsnmp_set_request_error(info, request, SNMP_NOSUCHINSTANCE);
            }
        } else if (info->mode == MODE_GETNEXT && source->getNext(ArcsOf(var), object) &&
                   StartsWith(object.name, registration->rootoid, registration->rootoid_len)) {
            SetName(var, object.name);
            SetValue(var, object.value);
        }
    }
    return SNMP_ERR_NOERROR;
}

// The system group's scalars, in identifier order: sysDescr, sysObjectID, sysUpTime,
// sysContact, sysName, sysLocation (arcs 1 to 6).
constexpr oid kSystemScalars = 6;

void SetScalar(netsnmp_variable_list* var, oid arc, const AgentSettings& system) {
    if (arc == 2) {
        std::vector<oid> arcs(system.objectId.begin(), system.objectId.end());
        snmp_set_var_typed_value(var, ASN_OBJECT_ID, arcs.data(), arcs.size() * sizeof(oid));
        return;
    }
    if (arc == 3) {
        snmp_set_var_typed_integer(var, ASN_TIMETICKS, long(netsnmp_get_agent_uptime()));
        return;
    }
    const std::string* texts[] = {&system.description, &system.contact, &system.application,
                                  &system.location};
    const std::string& text = *texts[arc == 1 ? 0 : arc - 3];
    snmp_set_var_typed_value(var, ASN_OCTET_STR, text.data(), text.size());
}

int HandleSystem(netsnmp_mib_handler* handler, netsnmp_handler_registration*,
                 netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    const auto* system = static_cast<const AgentSettings*>(handler->myvoid);
    const size_t group = OID_LENGTH(kSystemGroup);
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* var = request->requestvb;
        Arcs name = ArcsOf(var);
        for (oid arc = 1; arc <= kSystemScalars; ++arc) {
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
        if (info->mode == MODE_GET && var->type == ASN_NULL) {
            netsnmp_set_request_error(info, request, SNMP_NOSUCHINSTANCE);
        }
    }
    return SNMP_ERR_NOERROR;
}

bool Register(const char* label, Netsnmp_Node_Handler* function, const oid* base, size_t length,
              void* datum) {
    netsnmp_handler_registration* registration =
        netsnmp_create_handler_registration(label, function, base, length, HANDLER_CAN_RONLY);
    if (!registration) {
        return false;
    }
    registration->handler->myvoid = datum;
    return netsnmp_register_handler(registration) == MIB_REGISTERED_OK;
}

} // namespace

// The sources live as long as the process: the agent may answer until it exits.
bool RegisterObjects(const std::string& label, const Arcs& subtree, ObjectSource source) {
    static std::deque<ObjectSource> sources;
    sources.push_back(std::move(source));
    const std::vector<oid> root(subtree.begin(), subtree.end());
    return Register(label.c_str(), HandleObjects, root.data(), root.size(), &sources.back());
}

bool RegisterMatrixGroup(const MatrixTable& table, std::mutex* guard) {
    return RegisterObjects("matrix", Arcs(kMatrixGroup, kMatrixGroup + OID_LENGTH(kMatrixGroup)),
                           SourceOf(table, guard));
}

void AllowReadCommunity(const std::string& community) {
    init_vacm_conf();
    init_vacm_snmpd_easy_tokens();
    std::string line = "rocommunity " + community;
    netsnmp_config(line.data());
}

bool StartMatrixAgent(const AgentSettings& settings, const MatrixTable& table, std::mutex* guard) {
    const char* application = settings.application.c_str();
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    std::string endpoint = "udp:" + settings.address + ":" + std::to_string(settings.port);
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS, endpoint.c_str());
    // Quiet: no line per request (the tcp-wrappers note) and no complaint about the SMUX
    // port, which only the system's snmpd needs. With no log handler at all net-snmp writes
    // to stderr, so a handler that drops everything replaces the ones init_agent set up.
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID,
                           NETSNMP_DS_AGENT_DONT_LOG_TCPWRAPPERS_CONNECTS, 1);
    setenv("MIBS", "", 1);
    if (init_agent(application) != 0) {
        return false;
    }
    snmp_disable_log();
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG);
    AllowReadCommunity("public");
    if (!RegisterMatrixGroup(table, guard) || !RegisterSystemGroup(settings)) {
        return false;
    }
    init_snmp(application);
    return init_master_agent() == 0;
}

void StopMatrixAgent(const AgentSettings& settings) {
    snmp_shutdown(settings.application.c_str());
    shutdown_agent();
}

// The texts live as long as the process: the agent may answer until it exits.
bool RegisterSystemGroup(const AgentSettings& settings) {
    static AgentSettings system;
    system = settings;
    return Register("system", HandleSystem, kSystemGroup, OID_LENGTH(kSystemGroup), &system);
}

} // namespace probe
