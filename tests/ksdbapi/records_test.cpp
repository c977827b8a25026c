// Records, fields, tables, locks and connections of the host database.
#include "tests/ksdbapi/memory_fixture.h"

#include <cstring>

using RecordsTest = MemoryDatabaseTest;

TEST_F(RecordsTest, PostedRecordKeepsItsIdAndHandleUntilFreed) {
    DbClient client;
    DbHandle first = DbNewRecord(client.m_graphs);
    DbHandle second = DbNewRecord(client.m_graphs);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(DbGetRecordId(first), 0u);
    ASSERT_TRUE(DbPostRecord(first));
    ASSERT_TRUE(DbPostRecord(second));
    uint32_t id = DbGetRecordId(first);
    EXPECT_NE(id, 0u);
    EXPECT_NE(DbGetRecordId(second), id);
    EXPECT_EQ(DbFindRecord(client.m_graphs, id), first) << "the poster's own handle";
    ASSERT_TRUE(DbPostRecord(first));
    EXPECT_EQ(DbGetRecordId(first), id) << "posting again keeps the id";

    DbFreeRecord(first);
    EXPECT_EQ(DbFindRecord(client.m_graphs, id), 0u);
    EXPECT_EQ(DbGetRecordId(first), 0u);
    EXPECT_EQ(DbPostRecord(first), 0);
    EXPECT_EQ(DbSetInt(first, FLD_TYPE, 5), 0);
    DbHandle reused = DbNewRecord(client.m_graphs);
    EXPECT_NE(reused, first) << "a stale handle must not name the slot's next record";
    EXPECT_EQ(DbGetInt(first, FLD_TYPE), 0);
}

TEST_F(RecordsTest, HandlesOfOneKindAreNotAcceptedAsAnother) {
    DbClient client;
    DbHandle record = DbNewRecord(client.m_graphs);
    EXPECT_EQ(DbNewRecord(record), 0u);
    EXPECT_EQ(DbOpenTable(client.m_graphs, DB_TABLE_GRAPHS), 0u);
    EXPECT_EQ(DbLockTable(client.m_connection, DB_LOCK_READ), 0);
    EXPECT_EQ(DbGetRecordId(client.m_graphs), 0u);
    EXPECT_EQ(DbOpenTable(client.m_connection, 2), 0u) << "no table 2";
    EXPECT_EQ(DbOpenTable(client.m_connection, DB_TABLE_GRAPHS), client.m_graphs);
}

TEST_F(RecordsTest, TableRecordsAreFoundByTextAndNotFreedByTheCaller) {
    DbClient client;
    const std::string columns[][2] = {
        {"matrixSDSourceAddress", "1.3.6.1.2.1.16.6.2.1.1"},
        {"matrixSDErrors", "1.3.6.1.2.1.16.6.2.1.6"},
        {"sysName", "1.3.6.1.2.1.1.5"},
    };
    for (const auto& [name, oid] : columns) {
        DbHandle variable = DbFindRecordByText(client.m_variables, FLD_NAME, name.c_str(),
                                               static_cast<int>(name.size()));
        ASSERT_NE(variable, 0u) << name;
        EXPECT_EQ(Text(variable, FLD_VAR_DEF_OID), oid);
    }
    // The length decides, not the NUL.
    EXPECT_NE(DbFindRecordByText(client.m_variables, FLD_NAME, "sysNameXYZ", 7), 0u);
    EXPECT_EQ(DbFindRecordByText(client.m_variables, FLD_NAME, "sysNam", 6), 0u);

    DbHandle node = DbFindRecord(client.m_nodes, 2);
    EXPECT_EQ(Text(node, FLD_NAME), "Probe B");
    DbFreeRecord(node);
    EXPECT_EQ(DbFindRecord(client.m_nodes, 2), node);
    EXPECT_EQ(DbFindRecord(client.m_nodes, 4), 0u);
}

TEST_F(RecordsTest, CursorSelectsVariableRowsAndSeriesRows) {
    DbClient client;
    DbHandle record = DbNewRecord(client.m_requests);
    DbSetInt(record, FLD_VAR_INDEX, 3);
    DbSetText(record, FLD_VAR_OID, "1.3.6.1.2.1.1.5", -1);
    DbSetInt(record, FLD_REQ_TARGET, 1);
    DbSetInt(record, FLD_VAR_INDEX, 2);
    EXPECT_EQ(Text(record, FLD_VAR_OID), "") << "row 2 was created empty";
    EXPECT_EQ(DbGetInt(record, FLD_REQ_TARGET), 1) << "plain fields ignore the cursor";
    DbSetInt(record, FLD_VAR_INDEX, 3);
    EXPECT_EQ(Text(record, FLD_VAR_OID), "1.3.6.1.2.1.1.5");
    DbSetInt(record, FLD_VAR_INDEX, 9);
    EXPECT_EQ(Text(record, FLD_VAR_OID), "");
    EXPECT_EQ(DbGetInt(record, FLD_VAR_INDEX), 9);
    DbSetInt(record, FLD_VAR_INDEX, 0);
    DbSetText(record, FLD_VAR_VALUE, "dropped", -1);
    EXPECT_EQ(Text(record, FLD_VAR_VALUE), "");

    // Series k of a graph record is variable row k + 1.
    DbHandle graph = DbNewRecord(client.m_graphs);
    DbSetInt(graph, FLD_SERIES_INDEX, 0);
    DbSetText(graph, FLD_SERIES_LEGEND, "first", -1);
    DbSetInt(graph, FLD_SERIES_INDEX, 1);
    DbSetText(graph, FLD_SERIES_LEGEND, "second", -1);
    EXPECT_EQ(DbGetInt(graph, FLD_VAR_INDEX), 2);
    DbSetInt(graph, FLD_VAR_INDEX, 1);
    EXPECT_EQ(Text(graph, FLD_SERIES_LEGEND), "first");
    EXPECT_EQ(DbGetInt(graph, FLD_SERIES_INDEX), 0);
}

TEST_F(RecordsTest, GetTextCutsToSizeAndConvertsNumbers) {
    DbClient client;
    DbHandle record = DbNewRecord(client.m_graphs);
    std::string legend(300, 'L');
    DbSetText(record, FLD_SERIES_LEGEND, legend.c_str(), static_cast<int>(legend.size()));
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_STREQ(DbGetText(record, FLD_SERIES_LEGEND, buffer, 5), "LLLL");
    EXPECT_EQ(buffer[5], 'x') << "nothing written past size";
    EXPECT_STREQ(DbGetText(record, FLD_SERIES_LEGEND, buffer, 1), "");
    EXPECT_EQ(Text(record, FLD_SERIES_LEGEND, 1024), legend);
    EXPECT_STREQ(DbGetText(0, FLD_NAME, buffer, sizeof buffer), "") << "bad handle reads empty";

    EXPECT_EQ(DbSetInt(record, FLD_GRAPH_PARENT, -42), -42);
    EXPECT_EQ(Text(record, FLD_GRAPH_PARENT), "-42");
    DbSetText(record, FLD_SERIES_CODE, "174", 3);
    EXPECT_EQ(DbGetInt(record, FLD_SERIES_CODE), 174);
    DbSetText(record, FLD_NAME, "abc\0def", 7);
    EXPECT_EQ(Text(record, FLD_NAME), "abc");
}

// A text field reads as an integer only when the whole text is one: "12abc" was 12.
TEST_F(RecordsTest, TextFieldsReadAsIntegersOnlyWhenWhole) {
    DbClient client;
    DbHandle record = DbNewRecord(client.m_graphs);
    const std::pair<const char*, int32_t> cases[] = {
        {"174", 174},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"12abc", 0},
        {"2147483648", 0},
        {" 5", 0},
        {"", 0},
        {"+5", 0},
    };
    for (const auto& [text, value] : cases) {
        DbSetText(record, FLD_SERIES_CODE, text, -1);
        EXPECT_EQ(DbGetInt(record, FLD_SERIES_CODE), value) << text;
    }
    // The row cursor: a text that is no row number selects no row.
    DbSetText(record, FLD_VAR_INDEX, "2x", -1);
    EXPECT_EQ(DbGetInt(record, FLD_VAR_INDEX), 0);
    DbSetText(record, FLD_VAR_INDEX, "2", -1);
    EXPECT_EQ(DbGetInt(record, FLD_VAR_INDEX), 2);
}

TEST_F(RecordsTest, GraphRecordsStayListedWithEveryField) {
    DbClient client;
    DbHandle graph = DbNewRecord(client.m_graphs);
    DbSetInt(graph, FLD_GRAPH_PARENT, 77);
    for (int k = 0; k < 2; ++k) {
        DbSetInt(graph, FLD_GRAPH_OPTION, 1);
        DbSetInt(graph, FLD_TYPE, 1);
        DbSetInt(graph, FLD_SERIES_INDEX, k);
        DbSetInt(graph, FLD_SERIES_NODE, 1);
        DbSetInt(graph, FLD_SERIES_CODE, 174);
        DbSetText(graph, FLD_SERIES_INSTANCE, "1.6.0.160.201.20.200.41.6.0.0.12.7.172.1", -1);
        DbSetInt(graph, FLD_SERIES_ON, 1);
        DbSetText(graph, FLD_SERIES_LEGEND, k ? "Errors" : "Packets", -1);
        DbSetText(graph, FLD_SERIES_EXPRESSION, k ? "{matrixSDErrors}" : "{matrixSDPkts}", -1);
    }
    DbSetText(graph, FLD_NAME, "Packets for probe", -1);
    ASSERT_TRUE(DbPostRecord(graph));
    EXPECT_EQ(DbGetInt(graph, FLD_GRAPH_WINDOW), 0);

    std::vector<const ksdb::Record*> graphs = ksdb::GraphRecords();
    ASSERT_EQ(graphs.size(), 1u);
    const ksdb::Record& listed = *graphs[0];
    EXPECT_EQ(listed.RowCount(), 2);
    EXPECT_EQ(listed.RowText(2, FLD_SERIES_EXPRESSION), "{matrixSDErrors}");
    EXPECT_EQ(listed.GetText(FLD_NAME), "Packets for probe");
    EXPECT_EQ(listed.GetInt(FLD_GRAPH_PARENT), 77);

    DbDisconnect(client.m_connection);
    EXPECT_EQ(ksdb::GraphRecords().size(), 1u) << "the table keeps what was posted";
    EXPECT_EQ(DbGetRecordId(graph), 0u) << "the poster's handle died with its connection";
}

// Each step: which client locks or unlocks, the mode, and whether it succeeds.
TEST_F(RecordsTest, LocksCountPerTableAndModeAndExcludeOtherConnections) {
    DbClient a, b;
    struct Step {
        DbClient* client;
        bool lock;
        int mode;
        int result;
    } steps[] = {
        {&a, true, DB_LOCK_WRITE, 1},  {&a, true, DB_LOCK_WRITE, 1},  // nested on one connection
        {&a, true, DB_LOCK_READ, 1},   {&b, true, DB_LOCK_READ, 0},   // b waits for a's writes
        {&a, false, DB_LOCK_WRITE, 1}, {&a, false, DB_LOCK_WRITE, 1}, //
        {&b, true, DB_LOCK_WRITE, 0},  {&b, true, DB_LOCK_READ, 1},   // a still reads
        {&a, false, DB_LOCK_WRITE, 0}, {&a, false, DB_LOCK_READ, 1},  // unlock names its mode
        {&a, false, DB_LOCK_READ, 0},  {&a, true, 2, 0},              //
        {&b, false, DB_LOCK_READ, 1},  {&b, true, DB_LOCK_WRITE, 1},  //
    };
    int number = 0;
    for (const Step& step : steps) {
        DbHandle table = step.client->m_requests;
        int result = step.lock ? DbLockTable(table, step.mode) : DbUnlockTable(table, step.mode);
        EXPECT_EQ(result, step.result) << "step " << number++;
    }
    EXPECT_TRUE(DbLockTable(a.m_graphs, DB_LOCK_WRITE)) << "other tables are free";
}

TEST_F(RecordsTest, EndingAHostContextTellsEachOfItsConnectionsOnce) {
    DbClient first(7), second(7), other(0);
    DbHandle request = first.NewRequest(DB_REQ_GET, 1, {"1.3.6.1.2.1.1.5.0"});
    ASSERT_TRUE(DbPostRecord(request));
    ksdb::EndConnections(7);
    for (DbClient* client : {&first, &second}) {
        ASSERT_EQ(client->m_heard.size(), 1u);
        EXPECT_EQ(client->m_heard[0].event, DB_EVENT_DISCONNECTED);
        EXPECT_EQ(DbNewRecord(client->m_requests), 0u);
    }
    EXPECT_EQ(DbGetRecordId(request), 0u);
    RunPendingEvents();
    EXPECT_EQ(first.m_heard.size(), 1u) << "no answer for the dead connection's request";
    EXPECT_TRUE(other.m_heard.empty());
    EXPECT_NE(DbNewRecord(other.m_requests), 0u);
    ksdb::EndAllConnections();
    EXPECT_EQ(other.m_heard.size(), 1u);
}
