#include "walker/mib_walker.h"

#include <string.h>

namespace {

// Answer texts are read through buffers of this size.
constexpr int kAnswerTextSize = 256;

std::string ReadFirstVariable(DbHandle answer, uint32_t field) {
    char text[kAnswerTextSize] = "";
    DbSetInt(answer, FLD_VAR_INDEX, 1);
    DbGetText(answer, field, text, sizeof text);
    text[sizeof text - 1] = '\0';
    return text;
}

void FillWalkRequest(DbHandle record, uint32_t node, const std::vector<std::string>& columns,
                     const char* instance) {
    DbSetInt(record, FLD_TYPE, DB_REQ_GET_NEXT);
    DbSetInt(record, FLD_REQ_OPTION, 2);
    DbSetInt(record, FLD_REQ_TARGET, static_cast<int32_t>(node));
    const int instanceLength = static_cast<int>(strlen(instance));
    for (size_t i = 0; i < columns.size(); ++i) {
        DbSetInt(record, FLD_VAR_INDEX, static_cast<int32_t>(i + 1));
        DbSetText(record, FLD_VAR_OID, columns[i].c_str(), static_cast<int>(columns[i].size()));
        DbSetText(record, FLD_VAR_INSTANCE, instance, instanceLength);
    }
}

} // namespace

DbHandle PostWalkRequest(DbHandle requestTable, uint32_t node,
                         const std::vector<std::string>& columns, const char* instance,
                         bool& postFailed) {
    postFailed = false;
    const DbHandle record = DbNewRecord(requestTable);
    if (record == 0) {
        return 0;
    }
    FillWalkRequest(record, node, columns, instance);
    if (DbPostRecord(record) != 0) {
        return record;
    }
    DbFreeRecord(record);
    postFailed = true;
    return 0;
}

bool AnswerInFirstColumn(DbHandle answer, const std::vector<std::string>& columns) {
    if (columns.empty()) {
        return false;
    }
    const std::string name = ReadFirstVariable(answer, FLD_VAR_NAME);
    return name.compare(0, columns.front().size(), columns.front()) == 0;
}

bool ContinueWalk(DbHandle answer, const std::vector<std::string>& columns,
                  std::string& lastInstance, const std::function<int()>& onRow,
                  const std::function<bool()>& stillOwned) {
    if (!AnswerInFirstColumn(answer, columns)) {
        return false;
    }
    lastInstance = ReadFirstVariable(answer, FLD_VAR_INSTANCE);
    const int goOn = onRow();
    if (!stillOwned()) {
        return true;
    }
    if (goOn == 0) {
        return false;
    }
    DbSetInt(answer, FLD_TYPE, DB_REQ_GET_NEXT);
    DbPostRecord(answer);
    return true;
}

void SetColumnOid(std::vector<std::string>& columns, int position, const char* oid) {
    if (position < 1) {
        return;
    }
    if (static_cast<size_t>(position) > columns.size()) {
        columns.resize(static_cast<size_t>(position));
    }
    columns[static_cast<size_t>(position) - 1] = oid;
}

CMibWalker::CMibWalker() = default;

// A walker that goes away drops its request and its connection, so that no
// answer can reach a destroyed object through the notification entry.
CMibWalker::~CMibWalker() {
    CancelRequest();
    Disconnect();
}

int CMibWalker::OnWalkRow(DbHandle) {
    return 1;
}

void CMibWalker::OnWalkDone(const char*) {}

int CMibWalker::Connect(uintptr_t hostContext) {
    m_connection =
        DbConnect(hostContext, &CMibWalker::NotifyProc, reinterpret_cast<uintptr_t>(this));
    if (m_connection != 0) {
        m_requestTable = DbOpenTable(m_connection, DB_TABLE_REQUESTS);
        m_nodeTable = DbOpenTable(m_connection, DB_TABLE_NODES);
    }
    return m_connection != 0 && m_requestTable != 0 && m_nodeTable != 0;
}

void CMibWalker::Disconnect() {
    if (m_connection == 0) {
        return;
    }
    DbDisconnect(m_connection);
    m_connection = 0;
}

void CMibWalker::SetTargetNode(uint32_t node) {
    CancelRequest();
    m_node = node;
}

void CMibWalker::ClearOids() {
    m_columnList.clear();
}

void CMibWalker::SetOid(int position, const char* oid) {
    SetColumnOid(m_columnList, position, oid);
}

void CMibWalker::CancelRequest() {
    if (m_pendingRecord == 0) {
        return;
    }
    DbFreeRecord(m_pendingRecord);
    m_pendingRecord = 0;
}

void CMibWalker::StartWalk(const char* instance) {
    m_lastInstance = instance;
    const DbHandle table = m_requestTable;
    DbLockTable(table, DB_LOCK_WRITE);
    CancelRequest();
    if (m_columnList.empty()) {
        // Without columns there is nothing to ask; the walk ends at once as a
        // failed post does, so the owner's refresh cycle re-arms and goes on. Without
        // a connection (closed, or the host's event 5) no answer can ever come, so no
        // hook runs and the owner's refresh stops, as when no record can be made.
        if (m_connection != 0) {
            OnWalkDone("");
        }
    } else {
        bool postFailed = false;
        m_pendingRecord =
            PostWalkRequest(m_requestTable, m_node, m_columnList, instance, postFailed);
        if (postFailed) {
            OnWalkDone("");
        }
    }
    DbUnlockTable(table, DB_LOCK_WRITE);
}

int CMibWalker::NotifyProc(uintptr_t userDatum, int table, int event, uint32_t recordId) {
    reinterpret_cast<CMibWalker*>(userDatum)->OnNotify(table, event, recordId);
    return 1;
}

void CMibWalker::OnNotify(int table, int event, uint32_t recordId) {
    if (event == DB_EVENT_DISCONNECTED) {
        m_connection = 0;
        m_requestTable = 0;
        m_nodeTable = 0;
    }
    if (m_pendingRecord == 0 || table != DB_TABLE_REQUESTS || event != DB_EVENT_ANSWERED) {
        return;
    }
    if (DbGetRecordId(m_pendingRecord) != recordId) {
        return;
    }
    const DbHandle answer = DbFindRecord(m_requestTable, recordId);
    if (answer == 0) {
        return;
    }
    if (ContinueWithAnswer(answer)) {
        return;
    }
    FinishWalk();
}

// Hands one answer to the derived class and posts it again; false when the walk is
// finished instead. An error status inside the column ends it with no last instance.
bool CMibWalker::ContinueWithAnswer(DbHandle answer) {
    if (DbGetInt(answer, FLD_REQ_ERROR) != 0 && AnswerInFirstColumn(answer, m_columnList)) {
        m_lastInstance.clear();
        return false;
    }
    // The hook may cancel or restart the walk; then nothing of this walk is left.
    const DbHandle pending = m_pendingRecord;
    return ContinueWalk(
        answer, m_columnList, m_lastInstance, [this, answer] { return OnWalkRow(answer); },
        [this, pending] { return m_pendingRecord == pending; });
}

void CMibWalker::FinishWalk() {
    CancelRequest();
    // A copy: the hook may start the next walk, which replaces m_lastInstance.
    const std::string lastInstance = m_lastInstance;
    OnWalkDone(lastInstance.c_str());
}
