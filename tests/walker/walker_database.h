// The walkers run against the real host database. One in-memory agent serves every node;
// the transport notes what reaches it and can answer one request with an error status; a
// second connection (host context 1) watches the request table's write lock.
#pragma once

#include "host/ksdbapi/database.h"
#include "host/ksdbapi/ksdb_host.h"
#include "host/ksdbapi/oid_text.h"
#include "tests/ksdbapi/db_client.h"
#include "tests/support/memory_transport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

class WalkerDatabaseTest : public testing::Test {
  protected:
    struct Sent {
        uint32_t node;
        int kind;
    };
    struct Variable {
        std::string oid;
        std::string instance;
    };

    void SetUp() override {
        ksdb::ResetDatabase();
        const std::string path = testing::TempDir() + "walker_nodes";
        std::ofstream(path) << "11 agent 2c public 1000 1 A\n12 agent 2c public 1000 1 B\n"
                               "22 agent 2c public 1000 1 C\n42 agent 2c public 1000 1 D\n"
                               "43 agent 2c public 1000 1 E\n";
        ASSERT_TRUE(ksdb::LoadNodes(path));
        auto transport = std::make_unique<ksdb::MemoryTransport>();
        transport->SetDefaultAgent(m_agent);
        transport->SetAnswerHook([this](const ksdb::NodeConfig& node,
                                        const ksdb::SnmpRequest& request,
                                        ksdb::SnmpAnswer& answer) {
            m_sent.push_back({node.id, request.kind});
            if (m_sent.size() == m_errorOnAnswer) {
                answer.vars = request.vars;
                answer.status = kGenErr;
            }
        });
        ksdb::SetTransport(std::move(transport));
        m_watcher = std::make_unique<DbClient>(1);
        m_baseline = ksdb::CountLiveHandles();
    }

    void TearDown() override {
        m_watcher.reset();
        ksdb::ResetDatabase();
    }

    void AddObject(const std::string& oid, int64_t value) {
        ksdb::Oid name;
        ASSERT_TRUE(ksdb::ParseOid(oid, name));
        m_agent->Set(name, ksdb::SnmpValue::Number(ksdb::kAsnInteger, value));
    }

    // Another connection holds a write lock on the request table: the watcher's read
    // lock is refused.
    bool RequestTableLocked() {
        if (!DbLockTable(m_watcher->m_requests, DB_LOCK_READ)) {
            return true;
        }
        DbUnlockTable(m_watcher->m_requests, DB_LOCK_READ);
        return false;
    }

    // Records alive beyond those the database held when the test began.
    size_t LiveRecords() const { return ksdb::CountLiveHandles().records - m_baseline.records; }
    bool ConnectionsBackToStart() const {
        return ksdb::CountLiveHandles().connections == m_baseline.connections;
    }

    // Every `call` on `table` (0: any) fails until Allow.
    static void Refuse(ksdb::RefusableCall call, int table = 0) {
        ksdb::SetRefusalHook([call, table](ksdb::RefusableCall asked, int askedTable) {
            return asked == call && (table == 0 || askedTable == table);
        });
    }
    static void Allow() { ksdb::SetRefusalHook(nullptr); }

    // The variables of a request record as its poster wrote them.
    static std::vector<Variable> RequestVariables(DbHandle request) {
        const ksdb::Record* record = ksdb::Database::Instance().RecordOf(request);
        std::vector<Variable> variables;
        for (int row = 1; record != nullptr && row <= record->RowCount(); ++row) {
            variables.push_back(
                {record->RowText(row, FLD_VAR_OID), record->RowText(row, FLD_VAR_INSTANCE)});
        }
        return variables;
    }

    static constexpr int kGenErr = 5;
    std::shared_ptr<ksdb::MemoryAgent> m_agent = std::make_shared<ksdb::MemoryAgent>();
    std::vector<Sent> m_sent;
    size_t m_errorOnAnswer = 0; // 1-based request answered with kGenErr, 0 none
    std::unique_ptr<DbClient> m_watcher;
    ksdb::LiveHandles m_baseline;
};
