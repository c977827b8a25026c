// The host database behind the C interface: connections, table views with their locks,
// records behind handles, the four tables, and the request table's trip through a
// transport. Every answer is applied and notified from the event loop.
#pragma once

#include "host/ksdbapi/handle_table.h"
#include "host/ksdbapi/record.h"
#include "host/ksdbapi/transport.h"
#include "host/ksdbapi/walk_log.h"
#include "host/ksdbapi/walk_queue.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string_view>

class QObject;

namespace ksdb {

class Database final : public AnswerSink {
  public:
    Database();
    ~Database();

    static Database& Instance();
    // Replaces the instance by a fresh one: no connections, nothing posted, tables
    // reloaded on demand, the default transport.
    static void Reset();

    DbHandle Connect(uintptr_t hostContext, DbNotifyProc proc, uintptr_t userDatum);
    void Disconnect(DbHandle connection);
    DbHandle OpenTable(DbHandle connection, int table);
    int LockTable(DbHandle table, int mode);
    int UnlockTable(DbHandle table, int mode);
    DbHandle NewRecord(DbHandle table);
    DbHandle FindRecord(DbHandle table, uint32_t id);
    DbHandle FindRecordByText(DbHandle table, uint32_t field, std::string_view text);
    int PostRecord(DbHandle record);
    void FreeRecord(DbHandle record);
    Record* RecordOf(DbHandle record) const { return m_records.Find(record); }

    bool LoadNodes(const std::string& path);
    std::vector<NodeConfig> Nodes();
    std::vector<std::string> NodesFileErrors();
    void SetTransport(std::unique_ptr<Transport> transport);
    // Ends the connections of one host context (or all) and tells each of them event 5.
    void EndConnections(uintptr_t hostContext, bool all);
    NodeActivity Activity(uint32_t node) const { return m_walkLog.Of(node); }
    std::vector<const Record*> Records(int table) const;
    LiveHandles CountLiveHandles() const {
        return {m_connections.Count(), m_views.Count(), m_records.Count()};
    }
    void SetGraphEngine(std::function<uint32_t(const GraphDefinition&)> engine) {
        m_graphEngine = std::move(engine);
    }

    void SetRefusalHook(RefusalHook hook) { m_refuse = std::move(hook); }

    void OnAnswer(uint64_t ticket, SnmpAnswer answer) override;

  private:
    bool Refused(RefusableCall call, int table) const { return m_refuse && m_refuse(call, table); }

    RefusalHook m_refuse; // tests of clients' failure paths only
    std::function<uint32_t(const GraphDefinition&)> m_graphEngine; // host side: makes graph windows
    struct Connection {
        uintptr_t hostContext;
        DbNotifyProc proc;
        uintptr_t userDatum;
        std::map<int, DbHandle> tables;
        std::set<DbHandle> records;
    };
    struct TableView {
        DbHandle connection;
        int table;
        int locks[2] = {0, 0};
    };
    struct TableStore {
        std::map<uint32_t, DbHandle> byId;
        std::vector<DbHandle> views;
        uint32_t nextId = 1;
    };
    struct InFlight {
        DbHandle record;
        SnmpRequest request;
        uint32_t node = 0;
        bool walk = false; // a get-next: goes out when the node's walk queue admits it
        bool sent = false;
    };

    void EnsureLoaded();
    void LoadMibVariables();
    bool ReplaceNodes(const std::string& path);
    DbHandle AddTableRecord(int table, uint32_t id, std::unique_ptr<Record> record);
    void KillConnection(DbHandle connection);
    void DropRecord(DbHandle record);
    void AdoptRecord(DbHandle record);
    bool LockConflicts(const TableView& view, int mode) const;
    void PostRequest(Record& record);
    void MakeGraph(Record& record);
    void CancelRequest(Record& record);
    bool BuildRequest(const Record& record, SnmpRequest& request) const;
    void ApplyAnswer(Record& record, const SnmpRequest& request, const SnmpAnswer& answer) const;
    int SyntaxOf(const Oid& name) const;
    Transport& ActiveTransport();
    void Send(uint64_t ticket, InFlight& flight);
    void ReleaseWalkPlace(uint32_t node);
    void ExpireWaitingWalks(uint32_t node);
    void ScheduleDrain();
    void Drain();
    void Complete(uint64_t ticket, const SnmpAnswer& answer);

    HandleTable<Connection> m_connections{1};
    HandleTable<TableView> m_views{2};
    HandleTable<Record> m_records{3};
    std::map<int, TableStore> m_stores;
    std::map<uint32_t, NodeConfig> m_nodes;
    std::vector<std::string> m_nodesFileErrors; // of the last nodes file read
    // Looked up by a prefix of an answered name, without copying it.
    struct OidLess {
        using is_transparent = void;
        template <typename A, typename B> bool operator()(const A& a, const B& b) const {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
        }
    };
    std::map<Oid, int, OidLess> m_syntax;
    std::set<size_t, std::greater<size_t>> m_syntaxLengths;
    bool m_loaded = false;

    std::unique_ptr<Transport> m_transport;
    std::map<uint64_t, InFlight> m_inFlight;
    std::deque<std::pair<uint64_t, SnmpAnswer>> m_answers;
    WalkQueue m_walkQueue;
    uint64_t m_nextTicket = 0;
    bool m_drainScheduled = false;
    std::unique_ptr<QObject> m_context; // receives the queued drains
    WalkLog m_walkLog;
};

} // namespace ksdb
