#include "probe/matrix_agent.h"

#include "probe/scalar_group.h"

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
    if (value.tag == kTagOctets) {
        snmp_set_var_typed_value(var, ASN_OCTET_STR, value.octets.data(), value.octets.size());
    } else if (value.tag == kTagObjectId) {
        std::vector<oid> arcs(value.oid.begin(), value.oid.end());
        snmp_set_var_typed_value(var, ASN_OBJECT_ID, arcs.data(), arcs.size() * sizeof(oid));
    } else {
        snmp_set_var_typed_integer(var, value.tag, long(value.number));
    }
}

// The system group's texts; sysUpTime is the agent's.
struct SystemTexts {
    std::string description;
    std::string contact;
    std::string name;
    std::string location;
};
SystemTexts* g_systemTexts = nullptr;

// The table a matrix registration serves and the lock that guards it, if any.
struct MatrixSource {
    const MatrixTable* table = nullptr;
    std::mutex* guard = nullptr;
};

// Get answers the object or noSuchInstance; get-next moves the variable to the next object,
// or leaves it alone past the last one so that the agent goes on to the next registration.
// The lock is held for the table look-ups of one pass only, never while the answer is sent.
int HandleMatrix(netsnmp_mib_handler* handler, netsnmp_handler_registration*,
                 netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    const auto* source = static_cast<const MatrixSource*>(handler->myvoid);
    const MatrixTable* table = source->table;
    std::unique_lock<std::mutex> lock;
    if (source->guard) {
        lock = std::unique_lock<std::mutex>(*source->guard);
    }
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* var = request->requestvb;
        MatrixObject object;
        if (info->mode == MODE_GET) {
            if (table->Get(ArcsOf(var), object)) {
                SetValue(var, object.value);
            } else {
                netsnmp_set_request_error(info, request, SNMP_NOSUCHINSTANCE);
            }
        } else if (info->mode == MODE_GETNEXT && table->GetNext(ArcsOf(var), object)) {
            SetName(var, object.name);
            SetValue(var, object.value);
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

// One matrix group per process, as there is one agent: the source lives as long as it.
bool RegisterMatrixGroup(const MatrixTable& table, std::mutex* guard) {
    static MatrixSource source;
    source = {&table, guard};
    return Register("matrix", HandleMatrix, kMatrixGroup, OID_LENGTH(kMatrixGroup), &source);
}

bool StartMatrixAgent(const AgentSettings& settings, const MatrixTable& table, std::mutex* guard) {
    const char* application = settings.application.c_str();
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_ROLE, 0);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    const std::string endpoints =
        settings.endpoints.empty() ? "udp:" + settings.address + ":" + std::to_string(settings.port)
                                   : settings.endpoints;
    netsnmp_ds_set_string(NETSNMP_DS_APPLICATION_ID, NETSNMP_DS_AGENT_PORTS, endpoints.c_str());
    // Quiet: no line per request (the tcp-wrappers note). With no log handler at all
    // net-snmp writes to stderr, so a handler that drops everything replaces the ones
    // init_agent set up.
    netsnmp_ds_set_boolean(NETSNMP_DS_APPLICATION_ID,
                           NETSNMP_DS_AGENT_DONT_LOG_TCPWRAPPERS_CONNECTS, 1);
    // No SMUX listener (TCP port 199 on every interface when run as root): only the
    // system's snmpd serves SMUX peers, and a probe listens on its SNMP addresses only.
    static char noSmux[] = "-smux";
    add_to_init_list(noSmux);
    setenv("MIBS", "", 1);
    if (init_agent(application) != 0) {
        return false;
    }
    snmp_disable_log();
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG);
    init_vacm_conf();
    init_vacm_snmpd_easy_tokens();
    if (!RegisterMatrixGroup(table, guard) ||
        !RegisterSystemGroup(settings.description, settings.application)) {
        return false;
    }
    SetSystemContact(settings.contact, settings.location);
    init_snmp(application);
    // Users are created after init_snmp, which sets the engine ID their keys are made for.
    ApplyAccess(settings.access);
    return init_master_agent() == 0;
}

void ApplyAccess(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        std::string copy = line; // netsnmp_config cuts its argument into words in place
        netsnmp_config(copy.data());
    }
}

void StopMatrixAgent(const AgentSettings& settings) {
    snmp_shutdown(settings.application.c_str());
    shutdown_agent();
}

// The texts live as long as the process: the agent may answer until it exits.
bool RegisterSystemGroup(const std::string& description, const std::string& name) {
    static SystemTexts texts;
    texts.description = description;
    texts.name = name;
    g_systemTexts = &texts;
    const Arcs base(kSystemGroup, kSystemGroup + OID_LENGTH(kSystemGroup));
    return RegisterScalars(
        "system", base,
        {{1, [](variable_list* var) { SetText(var, g_systemTexts->description); }},
         {3,
          [](variable_list* var) {
              snmp_set_var_typed_integer(var, ASN_TIMETICKS, long(netsnmp_get_agent_uptime()));
          }},
         {4, [](variable_list* var) { SetText(var, g_systemTexts->contact); }},
         {5, [](variable_list* var) { SetText(var, g_systemTexts->name); }},
         {6, [](variable_list* var) { SetText(var, g_systemTexts->location); }}});
}

void SetSystemContact(const std::string& contact, const std::string& location) {
    if (g_systemTexts) {
        g_systemTexts->contact = contact;
        g_systemTexts->location = location;
    }
}

} // namespace probe
