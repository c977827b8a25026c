#include "host/ksdbapi/database.h"

#include "host/ksdbapi/mib_variables.h"
#include "host/ksdbapi/net_snmp_transport.h"
#include "host/ksdbapi/nodes_file.h"
#include "host/ksdbapi/oid_text.h"
#include "host/ksdbapi/read_ahead_clock.h"
#include "host/ksdbapi/read_ahead_transport.h"
#include "host/ksdbapi/value_format.h"
#include "hostapi/ksdb_codes.h"

#include <QObject>

#include <algorithm>
#include <cstdlib>

namespace ksdb {
namespace {

Database* g_database = nullptr;

bool IsKnownTable(int table) {
    return table == DB_TABLE_NODES || table == DB_TABLE_MIB_VARIABLES || table == DB_TABLE_GRAPHS ||
           table == DB_TABLE_REQUESTS;
}

int ExceptionStatus(uint8_t type) {
    if (type == kAsnEndOfMibView) {
        return KSDB_ERR_END_OF_MIB_VIEW;
    }
    return type == kAsnNoSuchObject || type == kAsnNoSuchInstance ? KSDB_ERR_NO_SUCH_OBJECT : 0;
}

SnmpAnswer Failure(int status) {
    SnmpAnswer answer;
    answer.status = status;
    return answer;
}

} // namespace

Database::Database() : m_context(new QObject) {}

Database::~Database() = default;

// Deliberately never destroyed at exit: its Qt objects must not outlive the application.
Database& Database::Instance() {
    if (!g_database) {
        g_database = new Database;
    }
    return *g_database;
}

void Database::Reset() {
    delete g_database;
    g_database = new Database;
}

// The nodes file comes from TESSARAN_NODES, else the source tree's data/nodes; a host
// that calls LoadNodes first decides instead.
void Database::EnsureLoaded() {
    if (m_loaded) {
        return;
    }
    m_loaded = true;
    LoadMibVariables();
    const char* path = std::getenv("TESSARAN_NODES");
    ReplaceNodes(path && *path ? path : KSDB_DEFAULT_NODES_FILE);
}

void Database::LoadMibVariables() {
    uint32_t id = 0;
    for (const MibVariable& variable : StandardMibVariables()) {
        auto record = std::make_unique<Record>(DB_TABLE_MIB_VARIABLES);
        record->SetText(FLD_NAME, variable.name);
        record->SetText(FLD_VAR_DEF_OID, variable.oid);
        record->SetInt(FLD_TYPE, variable.syntax);
        Oid oid;
        if (variable.syntax != KSDB_SYNTAX_NONE && ParseOid(variable.oid, oid)) {
            m_syntax[oid] = variable.syntax;
            m_syntaxLengths.insert(oid.size());
        }
        AddTableRecord(DB_TABLE_MIB_VARIABLES, ++id, std::move(record));
    }
}

DbHandle Database::AddTableRecord(int table, uint32_t id, std::unique_ptr<Record> record) {
    record->SetId(id);
    Record* raw = record.get();
    DbHandle handle = m_records.Add(std::move(record));
    if (!handle) {
        return 0;
    }
    raw->m_handle = handle;
    TableStore& store = m_stores[table];
    store.byId[id] = handle;
    store.nextId = std::max(store.nextId, id + 1);
    return handle;
}

bool Database::LoadNodes(const std::string& path) {
    EnsureLoaded();
    return ReplaceNodes(path);
}

// The node records of the file replace those of the last file; nodes that connections
// posted themselves stay.
bool Database::ReplaceNodes(const std::string& path) {
    std::vector<NodeConfig> nodes;
    std::vector<std::string> errors;
    if (!ReadNodesFile(path, nodes, errors)) {
        m_nodesFileErrors = {path + ": cannot be read"};
        return false;
    }
    m_nodesFileErrors = std::move(errors);
    TableStore& store = m_stores[DB_TABLE_NODES];
    for (auto& [id, handle] : std::map<uint32_t, DbHandle>(store.byId)) {
        Record* record = m_records.Find(handle);
        if (record && !record->m_owner) {
            DropRecord(handle);
        }
    }
    m_nodes.clear();
    for (NodeConfig& node : nodes) {
        auto record = std::make_unique<Record>(DB_TABLE_NODES);
        record->SetText(FLD_NAME, node.name);
        AddTableRecord(DB_TABLE_NODES, node.id, std::move(record));
        m_nodes[node.id] = std::move(node);
    }
    return true;
}

std::vector<std::string> Database::NodesFileErrors() {
    EnsureLoaded();
    return m_nodesFileErrors;
}

std::vector<NodeConfig> Database::Nodes() {
    EnsureLoaded();
    std::vector<NodeConfig> nodes;
    for (auto& [id, node] : m_nodes) {
        nodes.push_back(node);
    }
    return nodes;
}

void Database::SetTransport(std::unique_ptr<Transport> transport) {
    for (auto& [ticket, flight] : m_inFlight) {
        if (Record* record = m_records.Find(flight.record)) {
            record->m_ticket = 0;
        }
    }
    m_inFlight.clear();
    m_walkQueue.Clear();
    m_transport = std::move(transport);
}

Transport& Database::ActiveTransport() {
    if (!m_transport) {
        m_transport = std::make_unique<ReadAheadTransport>(std::make_unique<NetSnmpTransport>());
    }
    return *m_transport;
}

DbHandle Database::Connect(uintptr_t hostContext, DbNotifyProc proc, uintptr_t userDatum) {
    EnsureLoaded();
    if (Refused(RefusableCall::Connect, 0)) {
        return 0;
    }
    auto connection = std::make_unique<Connection>();
    connection->hostContext = hostContext;
    connection->proc = proc;
    connection->userDatum = userDatum;
    return m_connections.Add(std::move(connection));
}

void Database::Disconnect(DbHandle connection) {
    KillConnection(connection);
}

void Database::EndConnections(uintptr_t hostContext, bool all) {
    for (DbHandle handle : m_connections.Handles()) {
        Connection* connection = m_connections.Find(handle);
        if (!connection || (!all && connection->hostContext != hostContext)) {
            continue;
        }
        DbNotifyProc proc = connection->proc;
        uintptr_t userDatum = connection->userDatum;
        KillConnection(handle);
        if (proc) {
            proc(userDatum, 0, DB_EVENT_DISCONNECTED, 0);
        }
    }
}

// Every handle of the connection dies. What it posted to tables 1, 3 and 12 stays there;
// its other records go, requests in flight with them.
void Database::KillConnection(DbHandle handle) {
    std::unique_ptr<Connection> connection = m_connections.Remove(handle);
    if (!connection) {
        return;
    }
    for (auto& [table, viewHandle] : connection->tables) {
        std::vector<DbHandle>& views = m_stores[table].views;
        views.erase(std::remove(views.begin(), views.end(), viewHandle), views.end());
        m_views.Remove(viewHandle);
    }
    for (DbHandle recordHandle : connection->records) {
        Record* record = m_records.Find(recordHandle);
        if (record && record->Table() != DB_TABLE_REQUESTS && record->Id()) {
            AdoptRecord(recordHandle);
        } else {
            DropRecord(recordHandle);
        }
    }
}

// Moves a posted record to the table's ownership under a new handle.
void Database::AdoptRecord(DbHandle handle) {
    std::unique_ptr<Record> record = m_records.Remove(handle);
    record->m_owner = 0;
    int table = record->Table();
    uint32_t id = record->Id();
    AddTableRecord(table, id, std::move(record));
}

void Database::DropRecord(DbHandle handle) {
    Record* record = m_records.Find(handle);
    if (!record) {
        return;
    }
    CancelRequest(*record);
    m_walkLog.Forget(handle);
    TableStore& store = m_stores[record->Table()];
    auto it = store.byId.find(record->Id());
    if (it != store.byId.end() && it->second == handle) {
        store.byId.erase(it);
    }
    m_records.Remove(handle);
}

DbHandle Database::OpenTable(DbHandle handle, int table) {
    Connection* connection = m_connections.Find(handle);
    if (!connection || !IsKnownTable(table) || Refused(RefusableCall::OpenTable, table)) {
        return 0;
    }
    DbHandle& view = connection->tables[table];
    if (!view) {
        view = m_views.Add(std::make_unique<TableView>(TableView{handle, table}));
        m_stores[table].views.push_back(view);
    }
    return view;
}

// Locks count per table view and mode, so one connection may nest them. A write lock
// excludes every lock of other connections on the same table, a read lock their write
// locks; with everything on one thread a conflicting lock fails instead of waiting.
bool Database::LockConflicts(const TableView& view, int mode) const {
    for (DbHandle otherHandle : m_stores.at(view.table).views) {
        const TableView* other = m_views.Find(otherHandle);
        if (other == &view || !other) {
            continue;
        }
        if (other->locks[DB_LOCK_WRITE] || (mode == DB_LOCK_WRITE && other->locks[DB_LOCK_READ])) {
            return true;
        }
    }
    return false;
}

int Database::LockTable(DbHandle handle, int mode) {
    TableView* view = m_views.Find(handle);
    if (!view || (mode != DB_LOCK_READ && mode != DB_LOCK_WRITE) || LockConflicts(*view, mode)) {
        return 0;
    }
    ++view->locks[mode];
    return 1;
}

int Database::UnlockTable(DbHandle handle, int mode) {
    TableView* view = m_views.Find(handle);
    if (!view || (mode != DB_LOCK_READ && mode != DB_LOCK_WRITE) || !view->locks[mode]) {
        return 0;
    }
    --view->locks[mode];
    return 1;
}

DbHandle Database::NewRecord(DbHandle handle) {
    TableView* view = m_views.Find(handle);
    if (!view || Refused(RefusableCall::NewRecord, view->table)) {
        return 0;
    }
    auto record = std::make_unique<Record>(view->table);
    record->m_owner = view->connection;
    Record* raw = record.get();
    DbHandle recordHandle = m_records.Add(std::move(record));
    if (recordHandle) {
        raw->m_handle = recordHandle;
        m_connections.Find(view->connection)->records.insert(recordHandle);
    }
    return recordHandle;
}

DbHandle Database::FindRecord(DbHandle handle, uint32_t id) {
    TableView* view = m_views.Find(handle);
    if (!view || Refused(RefusableCall::FindRecord, view->table)) {
        return 0;
    }
    const TableStore& store = m_stores[view->table];
    auto it = store.byId.find(id);
    return it == store.byId.end() ? 0 : it->second;
}

DbHandle Database::FindRecordByText(DbHandle handle, uint32_t field, std::string_view text) {
    TableView* view = m_views.Find(handle);
    if (!view) {
        return 0;
    }
    for (auto& [id, recordHandle] : m_stores[view->table].byId) {
        const Record* record = m_records.Find(recordHandle);
        if (record && record->GetText(field) == text) {
            return recordHandle;
        }
    }
    return 0;
}

// Posting gives the record an id (kept when it is posted again) and files it in its
// table. A request is accepted when its kind is get, get-next or set; whatever goes
// wrong later (no variables, unknown node, no answer) comes back as its error status.
int Database::PostRecord(DbHandle handle) {
    Record* record = m_records.Find(handle);
    if (!record || Refused(RefusableCall::PostRecord, record->Table())) {
        return 0;
    }
    int kind = record->GetInt(FLD_TYPE);
    bool request = record->Table() == DB_TABLE_REQUESTS;
    if (request && (kind < DB_REQ_GET || kind > DB_REQ_SET)) {
        return 0;
    }
    TableStore& store = m_stores[record->Table()];
    const bool first = !record->Id();
    if (first) {
        while (store.byId.count(store.nextId)) {
            ++store.nextId;
        }
        record->SetId(store.nextId++);
        store.byId[record->Id()] = handle;
    }
    if (request) {
        PostRequest(*record);
    } else if (first && record->Table() == DB_TABLE_GRAPHS) {
        MakeGraph(*record);
    }
    return 1;
}

// The engine runs inside DbPostRecord so that the poster reads FLD_GRAPH_WINDOW right
// after it. A record posted again keeps the graph it has.
void Database::MakeGraph(Record& record) {
    const uint32_t window = m_graphEngine ? m_graphEngine(ReadGraphRecord(record)) : 0;
    record.SetInt(FLD_GRAPH_WINDOW, static_cast<int32_t>(window));
}

void Database::FreeRecord(DbHandle handle) {
    Record* record = m_records.Find(handle);
    if (!record || !record->m_owner) {
        return;
    }
    m_connections.Find(record->m_owner)->records.erase(handle);
    DropRecord(handle);
}

std::vector<const Record*> Database::Records(int table) const {
    std::vector<const Record*> records;
    auto store = m_stores.find(table);
    if (store == m_stores.end()) {
        return records;
    }
    for (auto& [id, handle] : store->second.byId) {
        if (const Record* record = m_records.Find(handle)) {
            records.push_back(record);
        }
    }
    return records;
}

void Database::CancelRequest(Record& record) {
    if (!record.m_ticket) {
        return;
    }
    auto it = m_inFlight.find(record.m_ticket);
    const bool heldPlace = it != m_inFlight.end() && it->second.walk && it->second.sent;
    const uint32_t node = heldPlace ? it->second.node : 0;
    if (it != m_inFlight.end()) {
        m_inFlight.erase(it);
    }
    if (m_transport) {
        m_transport->Cancel(record.m_ticket);
    }
    record.m_ticket = 0;
    if (heldPlace) {
        ReleaseWalkPlace(node);
    }
}

void Database::PostRequest(Record& record) {
    CancelRequest(record);
    const RecordRow* first = record.Row(1);
    m_walkLog.OnPosted(record.m_handle, static_cast<uint32_t>(record.GetInt(FLD_REQ_TARGET)),
                       record.GetInt(FLD_TYPE) == DB_REQ_GET_NEXT,
                       first && !first->continueFromAnswer,
                       first && record.RowTextEmpty(1, FLD_VAR_INSTANCE));
    uint64_t ticket = ++m_nextTicket;
    record.m_ticket = ticket;
    InFlight& flight = m_inFlight[ticket];
    flight.record = record.m_handle;
    auto node = m_nodes.find(static_cast<uint32_t>(record.GetInt(FLD_REQ_TARGET)));
    if (!BuildRequest(record, flight.request)) {
        OnAnswer(ticket, Failure(KSDB_ERR_BAD_REQUEST));
        return;
    }
    if (node == m_nodes.end()) {
        OnAnswer(ticket, Failure(KSDB_ERR_UNREACHABLE));
        return;
    }
    flight.node = node->first;
    flight.walk = flight.request.kind == DB_REQ_GET_NEXT;
    if (flight.walk) {
        ExpireWaitingWalks(flight.node);
    }
    if (!flight.walk || m_walkQueue.Admit(flight.node, ticket, ReadAheadClock::now())) {
        Send(ticket, flight);
    }
}

void Database::Send(uint64_t ticket, InFlight& flight) {
    flight.sent = true;
    auto node = m_nodes.find(flight.node);
    if (node == m_nodes.end()) {
        OnAnswer(ticket, Failure(KSDB_ERR_UNREACHABLE));
        return;
    }
    ActiveTransport().Send(ticket, node->second, flight.request, *this);
}

// The place of an ended walk request goes to the next walk request of its node still
// in flight; those cancelled while they waited are passed over.
void Database::ReleaseWalkPlace(uint32_t node) {
    ExpireWaitingWalks(node);
    for (uint64_t next = m_walkQueue.Release(node); next; next = m_walkQueue.Release(node)) {
        auto it = m_inFlight.find(next);
        if (it != m_inFlight.end()) {
            Send(next, it->second);
            return;
        }
    }
}

// Walk requests that waited for a place as long as a request on the wire waits for its
// answer (every try's time-out) end as a time-out would have ended them. The database's
// clock is the read-ahead's, which tests can drive.
void Database::ExpireWaitingWalks(uint32_t node) {
    auto config = m_nodes.find(node);
    if (config == m_nodes.end()) {
        return;
    }
    const auto limit =
        std::chrono::milliseconds(config->second.timeoutMs) * (config->second.retries + 1);
    for (uint64_t ticket : m_walkQueue.TakeExpired(node, ReadAheadClock::now(), limit)) {
        OnAnswer(ticket, Failure(KSDB_ERR_TIMEOUT));
    }
}

// One variable per row: the identifier answered last when continuing, else FLD_VAR_OID
// followed by FLD_VAR_INSTANCE; a set sends FLD_VAR_VALUE read under the variable's syntax.
bool Database::BuildRequest(const Record& record, SnmpRequest& request) const {
    request.kind = record.GetInt(FLD_TYPE);
    request.vars.clear();
    request.vars.reserve(static_cast<size_t>(record.RowCount()));
    for (int row = 1; row <= record.RowCount(); ++row) {
        const RecordRow& fields = *record.Row(row);
        SnmpVarBind var;
        if (fields.continueFromAnswer) {
            var.name = fields.answered;
        } else {
            Oid instance;
            if (!ParseOid(record.RowText(row, FLD_VAR_OID), var.name) ||
                !ParseOid(record.RowText(row, FLD_VAR_INSTANCE), instance)) {
                return false;
            }
            var.name.insert(var.name.end(), instance.begin(), instance.end());
        }
        if (var.name.size() < 2) {
            return false;
        }
        if (request.kind == DB_REQ_SET &&
            !ParseValue(record.RowText(row, FLD_VAR_VALUE), SyntaxOf(var.name), var.value)) {
            return false;
        }
        request.vars.push_back(std::move(var));
    }
    return !request.vars.empty();
}

int Database::SyntaxOf(const Oid& name) const {
    for (size_t length : m_syntaxLengths) {
        if (length > name.size()) {
            continue;
        }
        auto it = m_syntax.find(std::span<const uint32_t>(name.data(), length));
        if (it != m_syntax.end()) {
            return it->second;
        }
    }
    return KSDB_SYNTAX_NONE;
}

// Writes the answer into the request's rows. A failed request without variables (time-out,
// unreachable) leaves each row naming what it asked for, so that FLD_VAR_NAME still
// tells where the walk stood. FLD_VAR_INSTANCE is the answered identifier less the row's
// column (FLD_VAR_OID), "" when the answer lies outside that column.
void Database::ApplyAnswer(Record& record, const SnmpRequest& request,
                           const SnmpAnswer& answer) const {
    bool answered = answer.vars.size() == request.vars.size();
    const std::vector<SnmpVarBind>& vars = answered ? answer.vars : request.vars;
    int status = answered || answer.status ? answer.status : KSDB_ERR_BAD_REQUEST;
    for (size_t i = 0; i < vars.size(); ++i) {
        const SnmpVarBind& var = vars[i];
        int row = static_cast<int>(i) + 1;
        if (!status) {
            status = ExceptionStatus(var.value.type);
        }
        if (!status && request.kind == DB_REQ_GET_NEXT && !(request.vars[i].name < var.name)) {
            status = KSDB_ERR_NOT_INCREASING;
        }
        RecordRow& fields = record.MakeRow(row); // exists: later writes to it add no row
        if (!fields.columnRead) {
            fields.columnValid = ParseOid(record.RowText(row, FLD_VAR_OID), fields.column);
            fields.columnRead = true;
        }
        const bool inColumn = fields.columnValid && HasPrefix(var.name, fields.column);
        record.RowTextToWrite(row, FLD_VAR_VALUE) =
            answered ? FormatValue(var.value, SyntaxOf(var.name)) : "";
        fields.answered = var.name;
        fields.continueFromAnswer = true;
        record.SetAnsweredTexts(row, inColumn);
    }
    record.SetInt(FLD_REQ_ERROR, status);
}

void Database::OnAnswer(uint64_t ticket, SnmpAnswer answer) {
    m_answers.emplace_back(ticket, std::move(answer));
    ScheduleDrain();
}

void Database::ScheduleDrain() {
    if (m_drainScheduled) {
        return;
    }
    m_drainScheduled = true;
    QMetaObject::invokeMethod(
        m_context.get(), [this] { Drain(); }, Qt::QueuedConnection);
}

// Answers that arrive while this runs (a notified walker posting again) are delivered in
// the same turn, up to a budget, after which other events get their turn.
void Database::Drain() {
    const int kBudget = 1024;
    for (int count = 0; count < kBudget && !m_answers.empty(); ++count) {
        auto [ticket, answer] = std::move(m_answers.front());
        m_answers.pop_front();
        Complete(ticket, answer);
    }
    m_drainScheduled = false;
    if (!m_answers.empty()) {
        ScheduleDrain();
    }
}

// Event 12 goes to the connection that posted the request only.
void Database::Complete(uint64_t ticket, const SnmpAnswer& answer) {
    auto it = m_inFlight.find(ticket);
    if (it == m_inFlight.end()) {
        return;
    }
    InFlight flight = std::move(it->second);
    m_inFlight.erase(it);
    if (flight.walk && flight.sent) {
        ReleaseWalkPlace(flight.node);
    }
    Record* record = m_records.Find(flight.record);
    if (!record || record->m_ticket != ticket) {
        return;
    }
    record->m_ticket = 0;
    if (answer.engineRestarted) {
        m_walkLog.OnEngineRestarted(flight.node);
    }
    ApplyAnswer(*record, flight.request, answer);
    m_walkLog.OnAnswered(flight.record, static_cast<uint32_t>(record->GetInt(FLD_REQ_TARGET)),
                         record->GetInt(FLD_REQ_ERROR), record->RowTextEmpty(1, FLD_VAR_INSTANCE));
    const Connection* connection = m_connections.Find(record->m_owner);
    if (connection && connection->proc) {
        connection->proc(connection->userDatum, DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, record->Id());
    }
}

} // namespace ksdb
