#include "walker/mib_multi_walker.h"

#include "walker/mib_walker.h"

CMibMultiWalker::CMibMultiWalker() = default;

// Records still held after the connection died are freed too: the items are
// going away and nothing else knows the handles.
CMibMultiWalker::~CMibMultiWalker() {
    Disconnect();
    for (const auto& walk : m_walks) {
        if (walk->m_record != 0) {
            DbFreeRecord(walk->m_record);
        }
    }
}

int CMibMultiWalker::OnWalkRow(DbHandle, uint32_t, uintptr_t) {
    return 1;
}

void CMibMultiWalker::OnWalkDone(const char*, uint32_t, uintptr_t) {}

int CMibMultiWalker::Connect(uintptr_t hostContext) {
    m_connection =
        DbConnect(hostContext, &CMibMultiWalker::NotifyProc, reinterpret_cast<uintptr_t>(this));
    if (m_connection != 0) {
        m_requestTable = DbOpenTable(m_connection, DB_TABLE_REQUESTS);
    }
    if (m_connection != 0 && m_requestTable != 0) {
        return 1;
    }
    m_connection = 0;
    m_requestTable = 0;
    return 0;
}

void CMibMultiWalker::Disconnect() {
    if (m_connection != 0) {
        ReleaseAllWalks();
        DbDisconnect(m_connection);
    }
    m_connection = 0;
}

void CMibMultiWalker::SetTargetNode(uint32_t node) {
    m_node = node;
}

void CMibMultiWalker::ClearOids() {
    m_columnList.clear();
}

void CMibMultiWalker::SetOid(int position, const char* oid) {
    SetColumnOid(m_columnList, position, oid);
}

bool CMibMultiWalker::Owns(uint32_t recordId) const {
    for (const auto& walk : m_walks) {
        if (DbGetRecordId(walk->m_record) == recordId) {
            return true;
        }
    }
    return false;
}

uint32_t CMibMultiWalker::NodeOf(uint32_t recordId) const {
    for (const auto& walk : m_walks) {
        if (DbGetRecordId(walk->m_record) == recordId) {
            return walk->m_node;
        }
    }
    return static_cast<uint32_t>(-1);
}

uintptr_t CMibMultiWalker::TagOf(DbHandle answer, uint32_t recordId) const {
    for (const auto& walk : m_walks) {
        if (DbGetRecordId(walk->m_record) == recordId && walk->m_record == answer) {
            return walk->m_tag;
        }
    }
    return static_cast<uintptr_t>(-1);
}

void CMibMultiWalker::ReleaseAllWalks() {
    if (m_connection == 0) {
        return;
    }
    for (const auto& walk : m_walks) {
        if (walk->m_record != 0) {
            DbFreeRecord(walk->m_record);
        }
    }
    m_walks.clear();
}

void CMibMultiWalker::ReleaseWalk(uint32_t recordId) {
    for (auto it = m_walks.begin(); it != m_walks.end(); ++it) {
        if (DbGetRecordId((*it)->m_record) == recordId) {
            DbFreeRecord((*it)->m_record);
            m_walks.erase(it);
            return;
        }
    }
}

void CMibMultiWalker::StartWalk(const char* instance, uintptr_t tag) {
    m_lastInstance = instance;
    if (m_requestTable == 0 || m_connection == 0) {
        return;
    }
    const DbHandle table = m_requestTable;
    DbLockTable(table, DB_LOCK_WRITE);
    if (m_columnList.empty()) {
        // Without columns there is nothing to ask; the walk ends at once as a
        // failed post does, so the caller gets its tag back.
        OnWalkDone("", m_node, tag);
    } else {
        PostNewRequest(instance, tag);
    }
    DbUnlockTable(table, DB_LOCK_WRITE);
}

void CMibMultiWalker::PostNewRequest(const char* instance, uintptr_t tag) {
    bool postFailed = false;
    const DbHandle record =
        PostWalkRequest(m_requestTable, m_node, m_columnList, instance, postFailed);
    if (postFailed) {
        OnWalkDone("", m_node, tag);
    }
    if (record == 0) {
        return;
    }
    auto walk = std::make_unique<MibWalkItem>();
    walk->m_record = record;
    walk->m_node = m_node;
    walk->m_tag = tag;
    m_walks.push_back(std::move(walk));
}

int CMibMultiWalker::NotifyProc(uintptr_t userDatum, int table, int event, uint32_t recordId) {
    reinterpret_cast<CMibMultiWalker*>(userDatum)->OnNotify(table, event, recordId);
    return 1;
}

void CMibMultiWalker::OnNotify(int table, int event, uint32_t recordId) {
    if (event == DB_EVENT_DISCONNECTED) {
        m_connection = 0;
        m_requestTable = 0;
    }
    if (m_walks.empty() || table != DB_TABLE_REQUESTS || event != DB_EVENT_ANSWERED) {
        return;
    }
    const DbHandle requestTable = m_requestTable;
    DbLockTable(requestTable, DB_LOCK_WRITE);
    OnAnswer(recordId);
    DbUnlockTable(requestTable, DB_LOCK_WRITE);
}

void CMibMultiWalker::OnAnswer(uint32_t recordId) {
    if (!Owns(recordId)) {
        return;
    }
    const DbHandle answer = DbFindRecord(m_requestTable, recordId);
    if (answer == 0) {
        return;
    }
    // An error status ends the walk with the last instance unchanged.
    if (DbGetInt(answer, FLD_REQ_ERROR) != 0 || !ContinueWithAnswer(answer, recordId)) {
        EndWalk(answer, recordId);
    }
}

// Hands one answer to the derived class and posts it again; false when the walk is
// finished instead. The hook may release the walks (Disconnect); then nothing is left.
bool CMibMultiWalker::ContinueWithAnswer(DbHandle answer, uint32_t recordId) {
    return ContinueWalk(
        answer, m_columnList, m_lastInstance,
        [this, answer, recordId] {
            return OnWalkRow(answer, NodeOf(recordId), TagOf(answer, recordId));
        },
        [this, recordId] { return Owns(recordId); });
}

// An ended walk is released before its hook runs: its record is freed and its
// item removed, so a late answer for the record can never reach the hooks again
// and the derived class can release the tag exactly once.
void CMibMultiWalker::EndWalk(DbHandle answer, uint32_t recordId) {
    const uint32_t node = NodeOf(recordId);
    const uintptr_t tag = TagOf(answer, recordId);
    ReleaseWalk(recordId);
    const std::string lastInstance = m_lastInstance;
    OnWalkDone(lastInstance.c_str(), node, tag);
}
