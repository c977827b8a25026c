#include "host/ksdbapi/ksdb_host.h"

#include "host/ksdbapi/database.h"
#include "hostapi/ksdb_codes.h"

// net-snmp's headers in the order the library requires.
#include <net-snmp/net-snmp-config.h>

#include <net-snmp/net-snmp-includes.h>

namespace ksdb {

namespace {

// A code and its name. A table of them is looked up by position: InCodeOrder pins every
// entry to its code, so reordering or dropping an entry fails to compile.
struct CodeName {
    int code;
    const char* name;
};

template <size_t N> constexpr bool InCodeOrder(const CodeName (&names)[N], int first) {
    for (size_t i = 0; i < N; ++i) {
        if (names[i].code != first + static_cast<int>(i)) {
            return false;
        }
    }
    return true;
}

// RFC 3416's error-status names, 1 (tooBig) to 18 (inconsistentName).
constexpr CodeName kSnmpErrorNames[] = {
    {SNMP_ERR_TOOBIG, "tooBig"},
    {SNMP_ERR_NOSUCHNAME, "noSuchName"},
    {SNMP_ERR_BADVALUE, "badValue"},
    {SNMP_ERR_READONLY, "readOnly"},
    {SNMP_ERR_GENERR, "genErr"},
    {SNMP_ERR_NOACCESS, "noAccess"},
    {SNMP_ERR_WRONGTYPE, "wrongType"},
    {SNMP_ERR_WRONGLENGTH, "wrongLength"},
    {SNMP_ERR_WRONGENCODING, "wrongEncoding"},
    {SNMP_ERR_WRONGVALUE, "wrongValue"},
    {SNMP_ERR_NOCREATION, "noCreation"},
    {SNMP_ERR_INCONSISTENTVALUE, "inconsistentValue"},
    {SNMP_ERR_RESOURCEUNAVAILABLE, "resourceUnavailable"},
    {SNMP_ERR_COMMITFAILED, "commitFailed"},
    {SNMP_ERR_UNDOFAILED, "undoFailed"},
    {SNMP_ERR_AUTHORIZATIONERROR, "authorizationError"},
    {SNMP_ERR_NOTWRITABLE, "notWritable"},
    {SNMP_ERR_INCONSISTENTNAME, "inconsistentName"},
};
static_assert(InCodeOrder(kSnmpErrorNames, SNMP_ERR_TOOBIG));

constexpr CodeName kKsdbErrorNames[] = {
    {KSDB_ERR_TIMEOUT, "time-out"},
    {KSDB_ERR_UNREACHABLE, "unreachable"},
    {KSDB_ERR_END_OF_MIB_VIEW, "endOfMibView"},
    {KSDB_ERR_NO_SUCH_OBJECT, "noSuchObject"},
    {KSDB_ERR_NOT_INCREASING, "not increasing"},
    {KSDB_ERR_BAD_REQUEST, "bad request"},
    {KSDB_ERR_UNSUPPORTED_SEC_LEVEL, "security level not allowed for this user"},
    {KSDB_ERR_NOT_IN_TIME_WINDOW, "not in the agent's time window"},
    {KSDB_ERR_UNKNOWN_USER, "unknown user name"},
    {KSDB_ERR_UNKNOWN_ENGINE_ID, "unknown engine ID"},
    {KSDB_ERR_WRONG_DIGEST, "wrong authentication key or protocol"},
    {KSDB_ERR_DECRYPTION, "wrong privacy key or protocol"},
    {KSDB_ERR_REPORT, "refused by the agent (report)"},
};
static_assert(InCodeOrder(kKsdbErrorNames, KSDB_ERR_TIMEOUT));

// The name of `code` in a table pinned by InCodeOrder; null when it holds none.
template <size_t N> const char* NameOf(const CodeName (&names)[N], int code) {
    const int position = code - names[0].code;
    return position >= 0 && position < static_cast<int>(N) ? names[position].name : nullptr;
}

} // namespace

bool LoadNodes(const std::string& path) {
    return Database::Instance().LoadNodes(path);
}

std::vector<NodeConfig> Nodes() {
    return Database::Instance().Nodes();
}

std::vector<std::string> NodesFileErrors() {
    return Database::Instance().NodesFileErrors();
}

void SetTransport(std::unique_ptr<Transport> transport) {
    Database::Instance().SetTransport(std::move(transport));
}

void EndConnections(uintptr_t hostContext) {
    Database::Instance().EndConnections(hostContext, false);
}

void EndAllConnections() {
    Database::Instance().EndConnections(0, true);
}

NodeActivity ActivityOf(uint32_t node) {
    return Database::Instance().Activity(node);
}

void SetRefusalHook(RefusalHook hook) {
    Database::Instance().SetRefusalHook(std::move(hook));
}

LiveHandles CountLiveHandles() {
    return Database::Instance().CountLiveHandles();
}

bool WalkReachedEnd(int status) {
    constexpr int kSnmpNoSuchName = 2;
    return status == 0 || status == KSDB_ERR_END_OF_MIB_VIEW || status == kSnmpNoSuchName;
}

std::string ErrorText(int status) {
    if (const char* name = NameOf(kSnmpErrorNames, status)) {
        return name;
    }
    if (const char* name = NameOf(kKsdbErrorNames, status)) {
        return name;
    }
    return status == 0 ? "" : "error " + std::to_string(status);
}

std::vector<const Record*> GraphRecords() {
    return Database::Instance().Records(DB_TABLE_GRAPHS);
}

void SetGraphEngine(GraphEngineHook engine) {
    Database::Instance().SetGraphEngine(std::move(engine));
}

void ResetDatabase() {
    Database::Reset();
}

} // namespace ksdb
