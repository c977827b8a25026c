// The graph engine hook: a graph record meets the registered engine on its first post,
// inside DbPostRecord, and keeps the window it answered.
#include "tests/ksdbapi/memory_fixture.h"

using GraphEngineHookTest = MemoryDatabaseTest;

TEST_F(GraphEngineHookTest, FirstPostOfAGraphRecordAsksTheEngineForItsWindow) {
    std::vector<std::string> seen;
    ksdb::SetGraphEngine([&seen](const ksdb::GraphDefinition& graph) {
        seen.push_back(graph.title + "|" + graph.series.at(1).legend);
        return uint32_t(4242);
    });
    DbClient client;
    DbHandle record = DbNewRecord(client.m_graphs);
    DbSetText(record, FLD_NAME, "Bytes for probe", -1);
    DbSetInt(record, FLD_SERIES_INDEX, 1);
    DbSetText(record, FLD_SERIES_LEGEND, "b->c", -1);
    ASSERT_TRUE(DbPostRecord(record));
    EXPECT_EQ(DbGetInt(record, FLD_GRAPH_WINDOW), 4242);
    ASSERT_TRUE(DbPostRecord(record));
    EXPECT_EQ(seen, std::vector<std::string>{"Bytes for probe|b->c"}) << "posted again: same graph";

    // Requests and other tables never reach the engine.
    DbHandle request = client.NewRequest(DB_REQ_GET, 1, {"1.3.6.1.2.1.1.3.0"});
    client.PostAndWait(request);
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(GraphEngineHookTest, WithoutEngineTheRecordIsStoredWithWindowZero) {
    ksdb::SetGraphEngine([](const ksdb::GraphDefinition&) { return uint32_t(7); });
    ksdb::SetGraphEngine(nullptr);
    DbClient client;
    DbHandle record = DbNewRecord(client.m_graphs);
    DbSetText(record, FLD_NAME, "Packets", -1);
    ASSERT_TRUE(DbPostRecord(record));
    EXPECT_EQ(DbGetInt(record, FLD_GRAPH_WINDOW), 0);
    ASSERT_EQ(ksdb::GraphRecords().size(), 1u);
}
