#include "host/ksdbapi/ksdb_host.h"

#include "host/ksdbapi/database.h"

namespace ksdb {

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

LiveHandles CountLiveHandles() {
    return Database::Instance().CountLiveHandles();
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
