// The request table against in-memory agents: walks, answers, faults injected through the
// transport, and the life of requests in flight.
#include "tests/ksdbapi/memory_fixture.h"

#include "host/ksdbapi/oid_text.h"
#include "host/ksdbapi/value_format.h"
#include <optional>

using namespace ksdb;

namespace {

std::string Mac(int host) {
    // Bytes above 0x7f check that addresses become unsigned arcs and hex text.
    return std::string("\x00\xA0\xC9", 3) + static_cast<char>(host) +
           static_cast<char>(0x80 + host) + static_cast<char>(0xFF);
}

std::string DottedMac(int host) {
    return ".0.160.201." + std::to_string(host) + "." + std::to_string(0x80 + host) + ".255";
}

class RequestsTest : public MemoryDatabaseTest {
  protected:
    void SetUp() override {
        MemoryDatabaseTest::SetUp();
        m_client.emplace();
    }
    void TearDown() override {
        m_client.reset();
        MemoryDatabaseTest::TearDown();
    }

    // Conversations 1.(h -> h+1) for h = 1..count, a sysName before the table and one
    // enterprise object after it.
    void FillMatrix(int count) {
        for (int host = 1; host <= count; ++host) {
            m_agent->AddConversation(1, Mac(host), Mac(host + 1), 10u * host, 4000000000u + host,
                                     host % 2);
        }
        Oid sysName;
        ParseOid("1.3.6.1.2.1.1.5.0", sysName);
        m_agent->Set(sysName, SnmpValue::Octets("probe"));
        m_agent->Set({1, 3, 6, 1, 4, 1, 99, 1, 0}, SnmpValue::Octets("tail"));
    }

    // Posts a one-variable request and returns its answer record.
    DbHandle Ask(int kind, uint32_t node, const std::string& oid) {
        DbHandle record = m_client->NewRequest(kind, node, {oid});
        EXPECT_TRUE(m_client->PostAndWait(record));
        return record;
    }

    std::optional<DbClient> m_client;
};

} // namespace

TEST_F(RequestsTest, WalkOfTheMatrixColumnsAnswersEveryRowInOrder) {
    FillMatrix(40);
    int error = -1;
    std::vector<DbClient::Row> rows = m_client->Walk(1, kMatrixColumns, &error);
    ASSERT_EQ(rows.size(), 40u);
    EXPECT_EQ(error, 0);
    // Instances sort by the address bytes: host 1..40 in order.
    for (int host = 1; host <= 40; ++host) {
        const DbClient::Row& row = rows[host - 1];
        std::string instance = ".1.6" + DottedMac(host) + ".6" + DottedMac(host + 1);
        for (size_t column = 0; column < kMatrixColumns.size(); ++column) {
            EXPECT_EQ(row.names[column], kMatrixColumns[column] + instance);
        }
        EXPECT_EQ(row.values[0], FormatHex(Mac(host)));
        EXPECT_EQ(row.values[1], FormatHex(Mac(host + 1)));
        EXPECT_EQ(row.values[2], "1");
        EXPECT_EQ(row.values[3], std::to_string(10 * host));
        EXPECT_EQ(row.values[4], std::to_string(4000000000u + host));
        EXPECT_EQ(row.values[5], std::to_string(host % 2));
    }
}

TEST_F(RequestsTest, InstanceIsTheAnsweredNameLessTheColumnAndWalksContinueFromIt) {
    FillMatrix(3);
    const std::string column = kMatrixColumns[3];
    std::string second = ".1.6" + DottedMac(2) + ".6" + DottedMac(3);
    DbHandle record = m_client->NewRequest(DB_REQ_GET_NEXT, 1, {column}, ".1.6" + DottedMac(1));
    ASSERT_TRUE(m_client->PostAndWait(record));
    std::string first = Text(record, FLD_VAR_INSTANCE);
    EXPECT_EQ(first, ".1.6" + DottedMac(1) + ".6" + DottedMac(2));
    ASSERT_TRUE(m_client->PostAndWait(record));
    EXPECT_EQ(Text(record, FLD_VAR_INSTANCE), second);
    EXPECT_EQ(Text(record, FLD_VAR_OID), column) << "the requested column stays";

    // Writing the instance again restarts from it rather than from the answer.
    DbSetText(record, FLD_VAR_INSTANCE, first.c_str(), -1);
    ASSERT_TRUE(m_client->PostAndWait(record));
    EXPECT_EQ(Text(record, FLD_VAR_INSTANCE), second);

    // A get answers the same identifier; an answer outside the column has no instance.
    DbHandle get = m_client->NewRequest(DB_REQ_GET, 1, {column}, second);
    ASSERT_TRUE(m_client->PostAndWait(get));
    EXPECT_EQ(Text(get, FLD_VAR_INSTANCE), second);
    EXPECT_EQ(Text(get, FLD_VAR_VALUE), "20");
    DbHandle past = Ask(DB_REQ_GET_NEXT, 1, kMatrixColumns[5] + ".9");
    EXPECT_EQ(Text(past, FLD_VAR_NAME), "1.3.6.1.4.1.99.1.0");
    EXPECT_EQ(Text(past, FLD_VAR_INSTANCE), "");
    EXPECT_EQ(Text(past, FLD_VAR_VALUE), "tail");
}

// An answer's name and instance of each variable stay the answer's whichever field of
// the variable is read or written first: the other keeps what the answer gave.
TEST_F(RequestsTest, AnsweredNameAndInstanceWhateverIsTouchedFirst) {
    FillMatrix(3);
    const std::string instance = ".1.6" + DottedMac(1) + ".6" + DottedMac(2);
    enum class First { kReadName, kReadInstance, kWriteName, kWriteInstance, kWriteColumn };
    for (First first : {First::kReadName, First::kReadInstance, First::kWriteName,
                        First::kWriteInstance, First::kWriteColumn}) {
        DbHandle record = m_client->NewRequest(DB_REQ_GET_NEXT, 1,
                                               {kMatrixColumns[3], kMatrixColumns[4]}, ".1.6");
        ASSERT_TRUE(m_client->PostAndWait(record));
        DbSetInt(record, FLD_VAR_INDEX, 2);
        const std::string name = kMatrixColumns[4] + instance;
        std::string expectName = name;
        std::string expectInstance = instance;
        if (first == First::kWriteName) {
            DbSetText(record, FLD_VAR_NAME, "x", -1);
            expectName = "x";
        } else if (first == First::kWriteInstance) {
            DbSetText(record, FLD_VAR_INSTANCE, ".9", -1);
            expectInstance = ".9";
        } else if (first == First::kWriteColumn) {
            DbSetText(record, FLD_VAR_OID, kMatrixColumns[5].c_str(), -1);
        } else if (first == First::kReadInstance) {
            EXPECT_EQ(Text(record, FLD_VAR_INSTANCE), instance);
        }
        EXPECT_EQ(Text(record, FLD_VAR_NAME), expectName) << int(first);
        EXPECT_EQ(Text(record, FLD_VAR_INSTANCE), expectInstance) << int(first);
        DbSetInt(record, FLD_VAR_INDEX, 1);
        EXPECT_EQ(Text(record, FLD_VAR_NAME), kMatrixColumns[3] + instance) << int(first);
        DbFreeRecord(record);
    }
}

TEST_F(RequestsTest, SetWritesTheValueUnderTheVariablesSyntax) {
    FillMatrix(1);
    DbHandle record = m_client->NewRequest(DB_REQ_SET, 1, {"1.3.6.1.2.1.1.5.0"});
    DbSetText(record, FLD_VAR_VALUE, "renamed", -1);
    ASSERT_TRUE(m_client->PostAndWait(record));
    EXPECT_EQ(DbGetInt(record, FLD_REQ_ERROR), 0);
    EXPECT_EQ(Text(Ask(DB_REQ_GET, 1, "1.3.6.1.2.1.1.5.0"), FLD_VAR_VALUE), "renamed");

    DbHandle counter = m_client->NewRequest(DB_REQ_SET, 1, {kMatrixColumns[3] + ".1"});
    DbSetText(counter, FLD_VAR_VALUE, "many", -1);
    ASSERT_TRUE(m_client->PostAndWait(counter));
    EXPECT_EQ(DbGetInt(counter, FLD_REQ_ERROR), KSDB_ERR_BAD_REQUEST);
}

TEST_F(RequestsTest, NoNotificationFromInsidePostNorForFreedOrDisconnectedRequests) {
    FillMatrix(2);
    DbHandle freed = m_client->NewRequest(DB_REQ_GET_NEXT, 1, kMatrixColumns);
    m_client->m_posting = true;
    ASSERT_TRUE(DbPostRecord(freed));
    m_client->m_posting = false;
    EXPECT_TRUE(m_client->m_heard.empty()) << "the answer waits for the event loop";
    DbFreeRecord(freed);

    DbClient leaving;
    DbHandle dropped = leaving.NewRequest(DB_REQ_GET_NEXT, 1, kMatrixColumns);
    ASSERT_TRUE(DbPostRecord(dropped));
    DbDisconnect(leaving.m_connection);

    // Posting again while in flight replaces the request: one answer only.
    DbHandle twice = m_client->NewRequest(DB_REQ_GET_NEXT, 1, kMatrixColumns);
    ASSERT_TRUE(DbPostRecord(twice));
    ASSERT_TRUE(DbPostRecord(twice));
    RunPendingEvents();
    EXPECT_TRUE(leaving.m_heard.empty());
    ASSERT_EQ(m_client->m_heard.size(), 1u);
    EXPECT_EQ(m_client->m_heard[0].recordId, DbGetRecordId(twice));
    EXPECT_EQ(m_client->m_heard[0].table, DB_TABLE_REQUESTS);
}

TEST_F(RequestsTest, AnEndedWalkAnswersAnErrorStatus) {
    FillMatrix(2);
    struct Case {
        const char* what;
        int kind;
        uint32_t node;
        std::string oid;
        int error;
    } cases[] = {
        {"v2c past the last object", DB_REQ_GET_NEXT, 1, "1.3.6.1.4.1.99.1.0",
         KSDB_ERR_END_OF_MIB_VIEW},
        {"v1 past the last object", DB_REQ_GET_NEXT, 2, "1.3.6.1.4.1.99.1.0", 2 /* noSuchName */},
        {"v2c get of a missing instance", DB_REQ_GET, 1, "1.3.6.1.2.1.1.5.1",
         KSDB_ERR_NO_SUCH_OBJECT},
        {"node without agent", DB_REQ_GET, 3, "1.3.6.1.2.1.1.5.0", KSDB_ERR_UNREACHABLE},
        {"node not in table 1", DB_REQ_GET, 99, "1.3.6.1.2.1.1.5.0", KSDB_ERR_UNREACHABLE},
        {"unreadable identifier", DB_REQ_GET, 1, "1.3.six", KSDB_ERR_BAD_REQUEST},
        {"empty identifier", DB_REQ_GET_NEXT, 1, "", KSDB_ERR_BAD_REQUEST},
    };
    for (const Case& c : cases) {
        DbHandle record = Ask(c.kind, c.node, c.oid);
        EXPECT_EQ(DbGetInt(record, FLD_REQ_ERROR), c.error) << c.what;
        DbFreeRecord(record);
    }
}

// The hook stands for an agent or network that misbehaves.
TEST_F(RequestsTest, FaultsInjectedThroughTheTransportBecomeErrorStatuses) {
    FillMatrix(2);
    const std::string start = kMatrixColumns[0];
    struct Case {
        const char* what;
        MemoryTransport::AnswerHook hook;
        int error;
        std::string name; // FLD_VAR_NAME of the answer
    } cases[] = {
        {"time-out",
         [](const NodeConfig&, const SnmpRequest&, SnmpAnswer& answer) {
             answer = SnmpAnswer{KSDB_ERR_TIMEOUT, {}};
         },
         KSDB_ERR_TIMEOUT, start},
        {"error status genErr",
         [](const NodeConfig&, const SnmpRequest& request, SnmpAnswer& answer) {
             answer = SnmpAnswer{5, request.vars};
         },
         5, start},
        {"identifier not increasing",
         [](const NodeConfig&, const SnmpRequest& request, SnmpAnswer& answer) {
             answer.vars[0].name = request.vars[0].name;
         },
         KSDB_ERR_NOT_INCREASING, start},
        {"identifier going back",
         [](const NodeConfig&, const SnmpRequest&, SnmpAnswer& answer) {
             answer.vars[0].name = {1, 3, 6};
         },
         KSDB_ERR_NOT_INCREASING, "1.3.6"},
        {"endOfMibView inside the table",
         [](const NodeConfig&, const SnmpRequest&, SnmpAnswer& answer) {
             answer.vars[0].value = SnmpValue::Number(kAsnEndOfMibView, 0);
         },
         KSDB_ERR_END_OF_MIB_VIEW, start + ".1.6" + DottedMac(1) + ".6" + DottedMac(2)},
        {"variables missing from the answer",
         [](const NodeConfig&, const SnmpRequest&, SnmpAnswer& answer) { answer.vars.clear(); },
         KSDB_ERR_BAD_REQUEST, start},
    };
    for (const Case& c : cases) {
        m_transport->SetAnswerHook(c.hook);
        DbHandle record = Ask(DB_REQ_GET_NEXT, 1, start);
        EXPECT_EQ(DbGetInt(record, FLD_REQ_ERROR), c.error) << c.what;
        EXPECT_EQ(Text(record, FLD_VAR_NAME), c.name) << c.what;
        DbFreeRecord(record);
    }
}

// A status line reads from the activity whether a node answers: a time-out starts a
// silence that later time-outs do not move and any answer ends, an error status included;
// walks that start inside a table do not replace the last whole-table walk.
TEST_F(RequestsTest, ActivityTellsSilenceFromAnswersAndWholeTableWalks) {
    FillMatrix(4);
    int error = -1;
    ASSERT_EQ(m_client->Walk(1, kMatrixColumns, &error).size(), 4u);
    EXPECT_EQ(ActivityOf(1).lastTableWalk.rows, 4);
    EXPECT_EQ(ActivityOf(1).tableRows, 4);
    EXPECT_EQ(ActivityOf(1).silentSince, std::chrono::system_clock::time_point{});

    // A walk from inside the column: a walk, but not of the whole table.
    const std::string inside = ".1.6" + DottedMac(1) + ".6" + DottedMac(2);
    DbHandle partial = m_client->NewRequest(DB_REQ_GET_NEXT, 1, {"1.3.6.1.2.1.16.6.2.1.4"}, inside);
    for (int posts = 0; posts < 10 && ActivityOf(1).walksEnded == 1; ++posts) {
        ASSERT_TRUE(m_client->PostAndWait(partial));
    }
    DbFreeRecord(partial);
    EXPECT_EQ(ActivityOf(1).walksEnded, 2);
    EXPECT_EQ(ActivityOf(1).tableWalksEnded, 1) << "a walk from inside is not of the table";
    EXPECT_EQ(ActivityOf(1).lastTableWalk.rows, 4);

    m_transport->SetAnswerHook([](const NodeConfig&, const SnmpRequest&, SnmpAnswer& answer) {
        answer = SnmpAnswer{KSDB_ERR_TIMEOUT, {}};
    });
    DbFreeRecord(Ask(DB_REQ_GET, 1, "1.3.6.1.2.1.1.3.0"));
    const auto silentSince = ActivityOf(1).silentSince;
    EXPECT_NE(silentSince, std::chrono::system_clock::time_point{});
    m_client->Walk(1, kMatrixColumns, &error);
    EXPECT_EQ(error, KSDB_ERR_TIMEOUT);
    EXPECT_EQ(ActivityOf(1).silentSince, silentSince) << "the silence began with the first";
    EXPECT_EQ(ActivityOf(1).lastTableWalk.status, KSDB_ERR_TIMEOUT);
    EXPECT_EQ(ActivityOf(1).tableWalksEnded, 2) << "a walk that failed ended all the same";
    EXPECT_EQ(ActivityOf(1).tableRows, 4) << "a walk cut short keeps the last full count";

    m_transport->SetAnswerHook(
        [](const NodeConfig&, const SnmpRequest& request, SnmpAnswer& answer) {
            answer = SnmpAnswer{5, request.vars};
        });
    DbFreeRecord(Ask(DB_REQ_GET, 1, "1.3.6.1.2.1.1.3.0"));
    EXPECT_EQ(ActivityOf(1).silentSince, std::chrono::system_clock::time_point{});
    EXPECT_EQ(ErrorText(ActivityOf(1).lastError), "genErr");
}

// Both ends of each table of names, and the codes just outside them.
TEST(ErrorText, NamesEveryCodeOfBothTables) {
    const std::pair<int, const char*> cases[] = {
        {0, ""},
        {1, "tooBig"},
        {2, "noSuchName"},
        {18, "inconsistentName"},
        {19, "error 19"},
        {100, "error 100"},
        {KSDB_ERR_TIMEOUT, "time-out"},
        {KSDB_ERR_UNREACHABLE, "unreachable"},
        {KSDB_ERR_REPORT, "refused by the agent (report)"},
        {KSDB_ERR_REPORT + 1, "error 114"},
        {-1, "error -1"},
    };
    for (const auto& [code, name] : cases) {
        EXPECT_EQ(ErrorText(code), name) << code;
    }
}

TEST_F(RequestsTest, SnmprecFileLoadsIntoTheAgent) {
    std::string path = testing::TempDir() + "ksdbapi.snmprec";
    std::ofstream(path)
        << "1.3.6.1.2.1.1.1.0|4|Test probe\n"
           "1.3.6.1.2.1.1.3.0|67|4200\n"
           "1.3.6.1.2.1.16.6.2.1.1.1.6.0.160.201.1.2.3.6.0.0.12.7.172.1|4x|00a0c9010203\n"
           "1.3.6.1.2.1.16.6.2.1.4.1.6.0.160.201.1.2.3.6.0.0.12.7.172.1|65:numeric|"
           "rate=10\n";
    MemoryAgent agent;
    ASSERT_TRUE(agent.LoadSnmprec(path));
    EXPECT_EQ(agent.Size(), 4u);
    m_transport->AddAgent("agent", std::make_shared<MemoryAgent>(agent));
    int error = -1;
    std::vector<DbClient::Row> rows =
        m_client->Walk(1, {kMatrixColumns[0], kMatrixColumns[3]}, &error);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].values[0], "00 A0 C9 01 02 03");
    EXPECT_EQ(rows[0].values[1], "0");
    EXPECT_EQ(Text(Ask(DB_REQ_GET, 1, "1.3.6.1.2.1.1.1.0"), FLD_VAR_VALUE), "Test probe");

    std::ofstream(path) << "1.3.6.1.2.1.1.1.0|4|fine\nnot a record\n";
    EXPECT_FALSE(agent.LoadSnmprec(path));
    EXPECT_FALSE(agent.LoadSnmprec(path + ".missing"));
}

// What the host reads of a node's walks comes from the database's own records: a walk ends
// when its first variable leaves the column or an error is answered; one abandoned midway
// does not end; errors of any request are kept with their time.
TEST_F(RequestsTest, ActivityOfANodeCountsTheWalksThatEndedAndKeepsTheLastError) {
    FillMatrix(5);
    EXPECT_EQ(ActivityOf(1).walksEnded, 0);
    const auto before = std::chrono::system_clock::now();
    int error = -1;
    ASSERT_EQ(m_client->Walk(1, kMatrixColumns, &error).size(), 5u);
    NodeActivity activity = ActivityOf(1);
    EXPECT_EQ(activity.walksEnded, 1);
    EXPECT_EQ(activity.lastWalk.rows, 5);
    EXPECT_EQ(activity.lastWalk.status, 0);
    EXPECT_GE(activity.lastWalk.endedAt, before);
    EXPECT_GE(activity.lastWalk.took.count(), 0);
    EXPECT_EQ(activity.lastError, 0);
    EXPECT_EQ(ActivityOf(2).walksEnded, 0) << "walks belong to their node";

    // Abandoned after its first answer: no walk ends.
    DbHandle abandoned = m_client->NewRequest(DB_REQ_GET_NEXT, 1, kMatrixColumns);
    ASSERT_TRUE(m_client->PostAndWait(abandoned));
    DbFreeRecord(abandoned);
    EXPECT_EQ(ActivityOf(1).walksEnded, 1);

    // Past the agent's last object: the walk ends with its error.
    DbHandle past = Ask(DB_REQ_GET_NEXT, 1, "1.3.6.1.4.1.99.1.0");
    activity = ActivityOf(1);
    EXPECT_EQ(activity.walksEnded, 2);
    EXPECT_EQ(activity.lastWalk.rows, 0);
    EXPECT_EQ(activity.lastWalk.status, KSDB_ERR_END_OF_MIB_VIEW);
    EXPECT_EQ(activity.lastError, KSDB_ERR_END_OF_MIB_VIEW);
    EXPECT_GE(activity.lastErrorAt, before);
    DbFreeRecord(past);

    // A get is no walk, but its error is the node's last.
    DbFreeRecord(Ask(DB_REQ_GET, 3, "1.3.6.1.2.1.1.5.0"));
    EXPECT_EQ(ActivityOf(3).walksEnded, 0);
    EXPECT_EQ(ActivityOf(3).lastError, KSDB_ERR_UNREACHABLE);
}
