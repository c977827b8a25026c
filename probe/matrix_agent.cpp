#include "probe/matrix_agent.h"

#include "probe/scalar_group.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

#include <net-snmp/agent/net-snmp-agent-includes.h>

#include <algorithm>
#include <deque>

// The access-control tokens of net-snmp's agent library (rwcommunity, rwuser); its header
// is not installed. init_agent already registers the access checks themselves: a second
// registration would check, and count a refusal, twice.
extern "C" {
void init_vacm_snmpd_easy_tokens(void);
}

namespace probe {
namespace {

const oid kMatrixGroup[] = {1, 3, 6, 1, 2, 1, 16, 6};
const oid kSystemGroup[] = {1, 3, 6, 1, 2, 1, 1};
// sysServices: end-to-end (4) and applications (7), as a host's agent: 2^3 + 2^6.
constexpr uint32_t kServices = 72;
AgentSettings* g_system = nullptr; // the system group's texts, once registered

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
    } else if (value.tag == kTagCounter64) {
        counter64 number{};
        number.high = u_long(value.number >> 32);
        number.low = u_long(value.number & 0xFFFFFFFFu);
        snmp_set_var_typed_value(var, ASN_COUNTER64, &number, sizeof(number));
    } else {
        snmp_set_var_typed_integer(var, value.tag, long(value.number));
    }
}

bool StartsWith(const Arcs& name, const oid* root, size_t length) {
    return name.size() >= length && std::equal(root, root + length, name.begin());
}

// A set by community is an operation no community may do: counted once per request as
// snmpInBadCommunityUses (net-snmp asks each registration of the request in turn).
void CountRefusedSet(const netsnmp_agent_request_info* info) {
    static long counted = -1;
    const netsnmp_pdu* pdu = info->asp ? info->asp->pdu : nullptr;
    if (!pdu || pdu->version == SNMP_VERSION_3 || pdu->transid == counted) {
        return;
    }
    counted = pdu->transid;
    snmp_increment_statistic(STAT_SNMPINBADCOMMUNITYUSES);
}

// RFC 3416's answer to a set of `name`: noCreation for a read-create column of a row that
// does not exist (the probe creates none), notWritable for everything else.
int SetRefusal(const ObjectSource& source, const Arcs& name) {
    MatrixObject object;
    const bool exists = source.get(name, object);
    return !exists && source.kind(name) == ObjectKind::kReadCreate ? SNMP_ERR_NOCREATION
                                                                   : SNMP_ERR_NOTWRITABLE;
}

// Get answers the object, else noSuchInstance for an implemented object and noSuchObject for
// any other name; get-next moves the variable to the next object of the registration's
// subtree, or leaves it alone past the last one so that the agent goes on to the next
// registration; set is refused in its first phase. The lock is held for the look-ups of one
// pass only, never while the answer is sent.
int HandleObjects(netsnmp_mib_handler* handler, netsnmp_handler_registration* registration,
                  netsnmp_agent_request_info* info, netsnmp_request_info* requests) {
    const auto* source = static_cast<const ObjectSource*>(handler->myvoid);
    std::unique_lock<std::mutex> lock;
    if (source->guard) {
        lock = std::unique_lock<std::mutex>(*source->guard);
    }
    if (info->mode == MODE_SET_RESERVE1) {
        CountRefusedSet(info);
    }
    for (netsnmp_request_info* request = requests; request; request = request->next) {
        netsnmp_variable_list* var = request->requestvb;
        MatrixObject object;
        if (info->mode == MODE_GET) {
            if (source->get(ArcsOf(var), object)) {
                SetValue(var, object.value);
            } else {
                const bool implemented = source->kind(ArcsOf(var)) != ObjectKind::kNone;
                netsnmp_set_request_error(info, request,
                                          implemented ? SNMP_NOSUCHINSTANCE : SNMP_NOSUCHOBJECT);
            }
        } else if (info->mode == MODE_SET_RESERVE1) {
            netsnmp_set_request_error(info, request, SetRefusal(*source, ArcsOf(var)));
        } else if (info->mode == MODE_GETNEXT && source->getNext(ArcsOf(var), object) &&
                   StartsWith(object.name, registration->rootoid, registration->rootoid_len)) {
            SetName(var, object.name);
            SetValue(var, object.value);
        }
    }
    return SNMP_ERR_NOERROR;
}

bool Register(const char* label, Netsnmp_Node_Handler* function, const oid* base, size_t length,
              void* datum) {
    netsnmp_handler_registration* registration =
        netsnmp_create_handler_registration(label, function, base, length, HANDLER_CAN_RWRITE);
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
    init_vacm_snmpd_easy_tokens();
    if (!RegisterMatrixGroup(table, guard) || !RegisterSystemGroup(settings)) {
        return false;
    }
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

// The texts and modules live as long as the process: the agent may answer until it exits.
bool RegisterSystemGroup(const AgentSettings& settings) {
    static AgentSettings system;
    static std::deque<ModuleTable> modules;
    system = settings;
    g_system = &system;
    modules.emplace_back(system.modules);
    const bool scalars = RegisterScalars(
        "system", Arcs(kSystemGroup, kSystemGroup + OID_LENGTH(kSystemGroup)),
        {{1, [] { return TextValue(g_system->description); }},
         {2,
          [] {
              MatrixValue value;
              value.tag = kTagObjectId;
              value.oid = g_system->objectId;
              return value;
          }},
         {3, [] { return NumberValue(kTagTimeTicks, uint32_t(netsnmp_get_agent_uptime())); }},
         {4, [] { return TextValue(g_system->contact); }},
         {5, [] { return TextValue(g_system->application); }},
         {6, [] { return TextValue(g_system->location); }},
         {7, [] { return NumberValue(kTagInteger, kServices); }},
         {8, [] { return NumberValue(kTagTimeTicks, 0); }}});
    const Arcs modulesTable(ModuleTable::kEntry.begin(), ModuleTable::kEntry.end() - 1);
    return scalars &&
           RegisterObjects("sysORTable", modulesTable, SourceOf(modules.back(), nullptr));
}

void SetSystemContact(const std::string& contact, const std::string& location) {
    if (g_system) {
        g_system->contact = contact;
        g_system->location = location;
    }
}

} // namespace probe
