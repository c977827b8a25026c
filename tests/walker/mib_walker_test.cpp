// CMibWalker against the host database: request contents, the ways a walk ends,
// notifications that must be ignored and the failure paths.
#include "tests/walker/walker_database.h"
#include "walker/mib_walker.h"

#include <functional>

namespace {

const char kColumn1[] = "1.3.6.1.2.1.16.6.2.1.3";
const char kColumn2[] = "1.3.6.1.2.1.16.6.2.1.5";

struct Row {
    std::string instance;
    std::string value;
};

class RecordingWalker : public CMibWalker {
  public:
    int OnWalkRow(DbHandle answer) override {
        char text[256];
        DbSetInt(answer, FLD_VAR_INDEX, 1);
        DbGetText(answer, FLD_VAR_INSTANCE, text, sizeof text);
        Row row{text, ""};
        DbGetText(answer, FLD_VAR_VALUE, text, sizeof text);
        row.value = text;
        rows.push_back(row);
        if (onRow) {
            onRow();
        }
        return static_cast<int>(rows.size()) != stopAtRow;
    }
    void OnWalkDone(const char* lastInstance) override {
        done.push_back(lastInstance);
        doneLocked.push_back(locked());
    }

    std::vector<Row> rows;
    std::vector<std::string> done;
    std::vector<bool> doneLocked; // the request table's write lock held during each OnWalkDone
    int stopAtRow = -1;
    std::function<void()> onRow;
    std::function<bool()> locked;
};

class MibWalkerTest : public WalkerDatabaseTest {
  protected:
    void SetUp() override {
        WalkerDatabaseTest::SetUp();
        // Three rows of two columns (values column * 10 + row), then an object after the table.
        for (int column : {3, 5}) {
            for (int row = 1; row <= 3; ++row) {
                AddObject("1.3.6.1.2.1.16.6.2.1." + std::to_string(column) + ".1." +
                              std::to_string(row),
                          column * 10 + row);
            }
        }
        AddObject("1.3.6.1.2.1.16.7.1.0", 99);
        walker = std::make_unique<RecordingWalker>();
        walker->locked = [this] { return RequestTableLocked(); };
        ASSERT_TRUE(walker->Connect(0));
        walker->SetTargetNode(42);
        walker->SetOid(1, kColumn1);
        walker->SetOid(2, kColumn2);
    }

    // Every path leaves the write lock released and no request record behind but the one
    // the walker waits on; once the walker is gone, its connection is gone too.
    void TearDown() override {
        EXPECT_FALSE(RequestTableLocked());
        const bool pendingAlive = DbGetRecordId(walker->GetPendingRequest()) != 0;
        EXPECT_EQ(LiveRecords(), pendingAlive ? 1u : 0u);
        walker.reset();
        EXPECT_TRUE(ConnectionsBackToStart());
        WalkerDatabaseTest::TearDown();
    }

    void Notify(int table, int event, uint32_t recordId) {
        CMibWalker::NotifyProc(reinterpret_cast<uintptr_t>(walker.get()), table, event, recordId);
    }

    std::unique_ptr<RecordingWalker> walker;
};

TEST_F(MibWalkerTest, WalksEveryRowOfTheFirstColumnAndReportsTheLastInstance) {
    walker->StartWalk("");
    const DbHandle request = walker->GetPendingRequest();
    EXPECT_EQ(DbGetInt(request, FLD_TYPE), DB_REQ_GET_NEXT);
    EXPECT_EQ(DbGetInt(request, FLD_REQ_OPTION), 2);
    EXPECT_EQ(DbGetInt(request, FLD_REQ_TARGET), 42);
    const std::vector<Variable> variables = RequestVariables(request);
    ASSERT_EQ(variables.size(), 2u);
    EXPECT_EQ(variables[0].oid, kColumn1);
    EXPECT_EQ(variables[1].oid, kColumn2);
    EXPECT_EQ(variables[1].instance, "");

    RunPendingEvents();
    EXPECT_EQ(m_sent.size(), 4u);
    ASSERT_EQ(walker->rows.size(), 3u);
    EXPECT_EQ(walker->rows[2].instance, ".1.3");
    EXPECT_EQ(walker->rows[2].value, "33");
    EXPECT_EQ(walker->done, std::vector<std::string>{".1.3"});
    EXPECT_EQ(walker->GetPendingRequest(), 0u);
    for (const Sent& sent : m_sent) {
        EXPECT_EQ(sent.node, 42u);
        EXPECT_EQ(sent.kind, DB_REQ_GET_NEXT);
    }
}

struct EndCase {
    const char* name;
    const char* startInstance;
    size_t errorOnAnswer; // 1-based answer that carries an error status, 0 none
    int stopAtRow;        // row whose hook returns 0, -1 none
    size_t rows;
    const char* done;
};

class MibWalkerEndTest : public MibWalkerTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(MibWalkerEndTest, EndsOnceWithTheExpectedInstance) {
    const EndCase& c = GetParam();
    walker->stopAtRow = c.stopAtRow;
    m_errorOnAnswer = c.errorOnAnswer;
    walker->StartWalk(c.startInstance);
    RunPendingEvents();
    EXPECT_EQ(walker->rows.size(), c.rows);
    EXPECT_EQ(walker->done, std::vector<std::string>{c.done});
    EXPECT_EQ(walker->GetPendingRequest(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Ends, MibWalkerEndTest,
                         ::testing::Values(EndCase{"FirstAnswerOutsideColumn", ".1.3", 0, -1, 0,
                                                   ".1.3"},
                                           EndCase{"StartInMiddle", ".1.1", 0, -1, 2, ".1.3"},
                                           EndCase{"ErrorOnFirstAnswer", "", 1, -1, 0, ""},
                                           EndCase{"ErrorOnLaterAnswer", "", 3, -1, 2, ""},
                                           EndCase{"HookStopsFirstRow", "", 0, 1, 1, ".1.1"},
                                           EndCase{"HookStopsSecondRow", "", 0, 2, 2, ".1.2"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MibWalkerTest, IgnoresNotificationsThatAreNotItsAnswer) {
    walker->StartWalk("");
    const uint32_t id = DbGetRecordId(walker->GetPendingRequest());
    const DbHandle other = m_watcher->NewRequest(DB_REQ_GET_NEXT, 42, {kColumn1});
    ASSERT_TRUE(DbPostRecord(other));
    Notify(DB_TABLE_GRAPHS, DB_EVENT_ANSWERED, id);
    Notify(DB_TABLE_REQUESTS, 7, id);
    Notify(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, DbGetRecordId(other));
    DbFreeRecord(other);
    Refuse(ksdb::RefusableCall::FindRecord);
    Notify(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, id);
    Allow();
    EXPECT_TRUE(walker->rows.empty());
    EXPECT_TRUE(walker->done.empty());
    EXPECT_NE(walker->GetPendingRequest(), 0u);
    RunPendingEvents();
    EXPECT_EQ(walker->rows.size(), 3u);
    EXPECT_EQ(walker->done.size(), 1u);
}

TEST_F(MibWalkerTest, SetOidGrowsTheListAndEveryColumnIsPosted) {
    walker->ClearOids();
    walker->SetOid(5, kColumn2);
    ASSERT_EQ(walker->GetColumns().size(), 5u);
    EXPECT_EQ(walker->GetColumns()[3], "");
    walker->SetOid(2, kColumn1);
    EXPECT_EQ(walker->GetColumns().size(), 5u);
    walker->StartWalk(".9");
    const std::vector<Variable> variables = RequestVariables(walker->GetPendingRequest());
    ASSERT_EQ(variables.size(), 5u);
    EXPECT_EQ(variables[1].oid, kColumn1);
    EXPECT_EQ(variables[4].oid, kColumn2);
    EXPECT_EQ(variables[0].instance, ".9");
    walker->CancelRequest();
}

TEST_F(MibWalkerTest, CancellingOrRestartingDropsTheOldWalkWithoutAHook) {
    walker->StartWalk("");
    const uint32_t firstId = DbGetRecordId(walker->GetPendingRequest());
    walker->StartWalk("");
    EXPECT_EQ(LiveRecords(), 1u);
    walker->SetTargetNode(43);
    EXPECT_EQ(walker->GetPendingRequest(), 0u);
    EXPECT_EQ(walker->GetTargetNode(), 43u);
    Notify(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, firstId);
    RunPendingEvents();
    EXPECT_EQ(m_sent.size(), 2u); // the two first requests, never one more
    EXPECT_TRUE(walker->rows.empty());
    EXPECT_TRUE(walker->done.empty());
}

TEST_F(MibWalkerTest, HookThatRestartsTheWalkDoesNotRepostTheOldAnswer) {
    walker->onRow = [this] {
        if (walker->rows.size() == 1) {
            walker->StartWalk("");
        }
    };
    walker->StartWalk("");
    RunPendingEvents();
    EXPECT_EQ(walker->rows.size(), 4u); // one of the first walk, three of the second
    EXPECT_EQ(walker->done.size(), 1u);
}

TEST_F(MibWalkerTest, RequestFailuresEndAsTheirOwnersExpect) {
    Refuse(ksdb::RefusableCall::NewRecord, DB_TABLE_REQUESTS);
    walker->StartWalk("");
    EXPECT_TRUE(walker->done.empty());
    EXPECT_EQ(walker->GetPendingRequest(), 0u);

    Refuse(ksdb::RefusableCall::PostRecord, DB_TABLE_REQUESTS);
    walker->StartWalk(".1.1");
    EXPECT_EQ(walker->done, std::vector<std::string>{""});
    EXPECT_EQ(walker->GetPendingRequest(), 0u);

    Allow();
    walker->ClearOids();
    walker->StartWalk("");
    EXPECT_EQ(walker->done.size(), 2u);
    // Both ends were reported inside StartWalk, under its write lock.
    EXPECT_EQ(walker->doneLocked, (std::vector<bool>{true, true}));
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(MibWalkerTest, DisconnectEventKillsHandlesButKeepsTheWalk) {
    walker->StartWalk("");
    ksdb::EndConnections(0);
    EXPECT_FALSE(walker->IsConnected());
    EXPECT_NE(walker->GetPendingRequest(), 0u);
    EXPECT_TRUE(walker->done.empty());
    // Without its connection the walker has nothing to disconnect; the watcher's stays.
    walker->Disconnect();
    EXPECT_EQ(ksdb::CountLiveHandles().connections, 1u);
}

struct ConnectCase {
    const char* name;
    ksdb::RefusableCall call;
    int table;
};

class MibWalkerConnectTest : public WalkerDatabaseTest,
                             public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(MibWalkerConnectTest, FailsWhenAnyHandleIsMissing) {
    Refuse(GetParam().call, GetParam().table);
    CMibWalker walker;
    EXPECT_FALSE(walker.Connect(7));
}

INSTANTIATE_TEST_SUITE_P(
    Handles, MibWalkerConnectTest,
    ::testing::Values(ConnectCase{"Connection", ksdb::RefusableCall::Connect, 0},
                      ConnectCase{"RequestTable", ksdb::RefusableCall::OpenTable,
                                  DB_TABLE_REQUESTS},
                      ConnectCase{"NodeTable", ksdb::RefusableCall::OpenTable, DB_TABLE_NODES}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
