#include "host/ksdbapi/ksdb_host.h"

#include "host/ksdbapi/database.h"
#include "hostapi/ksdb_codes.h"

#include <iterator>

namespace ksdb {

namespace {

// RFC 3416's error-status names, 1 (tooBig) to 18 (inconsistentName).
const char* const kSnmpErrorNames[] = {
    "tooBig",
    "noSuchName",
    "badValue",
    "readOnly",
    "genErr",
    "noAccess",
    "wrongType",
    "wrongLength",
    "wrongEncoding",
    "wrongValue",
    "noCreation",
    "inconsistentValue",
    "resourceUnavailable",
    "commitFailed",
    "undoFailed",
    "authorizationError",
    "notWritable",
    "inconsistentName",
};

const char* const kKsdbErrorNames[] = {
    "time-out",
    "unreachable",
    "endOfMibView",
    "noSuchObject",
    "not increasing",
    "bad request",
    "security level not allowed for this user",
    "not in the agent's time window",
    "unknown user name",
    "unknown engine ID",
    "wrong authentication key or protocol",
    "wrong privacy key or protocol",
    "refused by the agent (report)",
};

} // namespace

bool LoadNodes(const std::string& path) {
    return Database::Instance().LoadNodes(path);
}

std::vector<NodeConfig> Nodes() {
    return Database::Instance().Nodes();
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
    const int snmpCount = static_cast<int>(std::size(kSnmpErrorNames));
    const int ksdbCount = static_cast<int>(std::size(kKsdbErrorNames));
    if (status >= 1 && status <= snmpCount) {
        return kSnmpErrorNames[status - 1];
    }
    if (status >= KSDB_ERR_TIMEOUT && status < KSDB_ERR_TIMEOUT + ksdbCount) {
        return kKsdbErrorNames[status - KSDB_ERR_TIMEOUT];
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
