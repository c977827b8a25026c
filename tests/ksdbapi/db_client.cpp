#include "tests/ksdbapi/db_client.h"

#include <gtest/gtest.h>

std::string Text(DbHandle record, uint32_t field, int size) {
    std::vector<char> buffer(size, 'x');
    return DbGetText(record, field, buffer.data(), size);
}

DbClient::DbClient(uintptr_t hostContext) {
    m_connection = DbConnect(hostContext, OnNotify, reinterpret_cast<uintptr_t>(this));
    m_requests = DbOpenTable(m_connection, DB_TABLE_REQUESTS);
    m_nodes = DbOpenTable(m_connection, DB_TABLE_NODES);
    m_variables = DbOpenTable(m_connection, DB_TABLE_MIB_VARIABLES);
    m_graphs = DbOpenTable(m_connection, DB_TABLE_GRAPHS);
}

DbClient::~DbClient() {
    DbDisconnect(m_connection);
}

int DbClient::OnNotify(uintptr_t self, int table, int event, uint32_t recordId) {
    auto* client = reinterpret_cast<DbClient*>(self);
    client->m_heard.push_back({table, event, recordId});
    client->m_heardWhilePosting |= client->m_posting;
    if (client->m_onHeard) {
        client->m_onHeard(recordId);
    }
    return 1;
}

DbHandle DbClient::NewRequest(int kind, uint32_t node, const std::vector<std::string>& oids,
                              const std::string& instance) {
    DbHandle record = DbNewRecord(m_requests);
    DbSetInt(record, FLD_TYPE, kind);
    DbSetInt(record, FLD_REQ_OPTION, 2);
    DbSetInt(record, FLD_REQ_TARGET, static_cast<int32_t>(node));
    for (size_t i = 0; i < oids.size(); ++i) {
        DbSetInt(record, FLD_VAR_INDEX, static_cast<int32_t>(i + 1));
        DbSetText(record, FLD_VAR_OID, oids[i].c_str(), static_cast<int>(oids[i].size()));
        DbSetText(record, FLD_VAR_INSTANCE, instance.c_str(), static_cast<int>(instance.size()));
    }
    return record;
}

bool DbClient::PostAndWait(DbHandle record) {
    size_t before = m_heard.size();
    m_posting = true;
    int accepted = DbPostRecord(record);
    m_posting = false;
    EXPECT_FALSE(m_heardWhilePosting) << "notified from inside DbPostRecord";
    uint32_t id = DbGetRecordId(record);
    return accepted && WaitFor([&] {
               for (size_t i = before; i < m_heard.size(); ++i) {
                   if (m_heard[i].event == DB_EVENT_ANSWERED && m_heard[i].recordId == id) {
                       return true;
                   }
               }
               return false;
           });
}

std::vector<DbClient::Row> DbClient::Walk(uint32_t node, const std::vector<std::string>& columns,
                                          int* error) {
    std::vector<Row> rows;
    DbHandle record = NewRequest(DB_REQ_GET_NEXT, node, columns);
    *error = 0;
    while (PostAndWait(record)) {
        DbHandle answer = DbFindRecord(m_requests, DbGetRecordId(record));
        DbSetInt(answer, FLD_VAR_INDEX, 1);
        if (Text(answer, FLD_VAR_NAME).rfind(columns[0], 0) != 0) {
            break;
        }
        if ((*error = DbGetInt(answer, FLD_REQ_ERROR))) {
            break;
        }
        Row row;
        for (size_t i = 0; i < columns.size(); ++i) {
            DbSetInt(answer, FLD_VAR_INDEX, static_cast<int32_t>(i + 1));
            row.names.push_back(Text(answer, FLD_VAR_NAME));
            row.values.push_back(Text(answer, FLD_VAR_VALUE));
        }
        rows.push_back(row);
        DbSetInt(answer, FLD_TYPE, DB_REQ_GET_NEXT);
    }
    DbFreeRecord(record);
    return rows;
}
