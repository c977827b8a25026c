// A fresh database whose nodes 1 and 2 are served by one in-memory agent (2 speaks v1),
// node 3 names an address no agent serves.
#pragma once

#include "host/ksdbapi/ksdb_host.h"
#include "tests/ksdbapi/db_client.h"
#include "tests/support/memory_transport.h"

#include <gtest/gtest.h>

#include <fstream>

class MemoryDatabaseTest : public testing::Test {
  protected:
    void SetUp() override {
        ksdb::ResetDatabase();
        std::string path = testing::TempDir() + "ksdbapi_nodes";
        std::ofstream(path) << "# test nodes\n"
                               "1 agent 2c public 1000 1 Probe A\n"
                               "2 agent 1 public 1000 1 Probe B\n"
                               "3 nowhere 2c public 1000 1 Nowhere\n";
        ASSERT_TRUE(ksdb::LoadNodes(path));
        m_agent = std::make_shared<ksdb::MemoryAgent>();
        auto transport = std::make_unique<ksdb::MemoryTransport>();
        transport->AddAgent("agent", m_agent);
        m_transport = transport.get();
        ksdb::SetTransport(std::move(transport));
    }
    void TearDown() override { ksdb::ResetDatabase(); }

    std::shared_ptr<ksdb::MemoryAgent> m_agent;
    ksdb::MemoryTransport* m_transport = nullptr;
};

inline const std::vector<std::string> kMatrixColumns = {
    "1.3.6.1.2.1.16.6.2.1.1", "1.3.6.1.2.1.16.6.2.1.2", "1.3.6.1.2.1.16.6.2.1.3",
    "1.3.6.1.2.1.16.6.2.1.4", "1.3.6.1.2.1.16.6.2.1.5", "1.3.6.1.2.1.16.6.2.1.6",
};
