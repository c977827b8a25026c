// CMibWalker against the scripted host database: request contents, the ways a
// walk ends, notifications that must be ignored and the failure paths.
#include "tests/walker/fake_db.h"
#include "walker/mib_walker.h"

#include <gtest/gtest.h>

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
    void OnWalkDone(const char* lastInstance) override { done.push_back(lastInstance); }

    std::vector<Row> rows;
    std::vector<std::string> done;
    int stopAtRow = -1;
    std::function<void()> onRow;
};

class MibWalkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fakedb::Reset();
        // Three rows of two columns, then an object after the table.
        for (const char* column : {kColumn1, kColumn2}) {
            for (int row = 1; row <= 3; ++row) {
                fakedb::AddObject(std::string(column) + ".1." + std::to_string(row),
                                  std::string(column).substr(21) + "/" + std::to_string(row));
            }
        }
        fakedb::AddObject("1.3.6.1.2.1.16.7.1.0", "after");
        walker = std::make_unique<RecordingWalker>();
        ASSERT_TRUE(walker->Connect(0));
        walker->SetTargetNode(42);
        walker->SetOid(1, kColumn1);
        walker->SetOid(2, kColumn2);
    }

    // Every path leaves the write lock balanced and, once the walker is gone, no
    // request record behind.
    void TearDown() override {
        walker.reset();
        EXPECT_EQ(fakedb::Fake().writeLocks, 0);
        EXPECT_EQ(fakedb::Fake().unbalancedUnlocks, 0);
        EXPECT_TRUE(fakedb::Fake().records.empty());
        EXPECT_TRUE(fakedb::Fake().connections.empty());
    }

    std::unique_ptr<RecordingWalker> walker;
};

TEST_F(MibWalkerTest, WalksEveryRowOfTheFirstColumnAndReportsTheLastInstance) {
    walker->StartWalk("");
    ASSERT_EQ(fakedb::Fake().posts.size(), 1u);
    const fakedb::Record request = fakedb::Fake().posts[0];
    EXPECT_EQ(request.ints.at(FLD_TYPE), DB_REQ_GET_NEXT);
    EXPECT_EQ(request.ints.at(FLD_REQ_OPTION), 2);
    EXPECT_EQ(request.ints.at(FLD_REQ_TARGET), 42);
    ASSERT_EQ(request.vars.size(), 2u);
    EXPECT_EQ(request.vars[0].oid, kColumn1);
    EXPECT_EQ(request.vars[1].oid, kColumn2);
    EXPECT_EQ(request.vars[1].instance, "");

    EXPECT_EQ(fakedb::DeliverAll(), 4);
    ASSERT_EQ(walker->rows.size(), 3u);
    EXPECT_EQ(walker->rows[2].instance, ".1.3");
    EXPECT_EQ(walker->rows[2].value, "3/3");
    EXPECT_EQ(walker->done, std::vector<std::string>{".1.3"});
    EXPECT_EQ(walker->m_pendingRecord, 0u);
    // Every follow-up went out as get-next under the first request's id.
    for (const fakedb::Record& post : fakedb::Fake().posts) {
        EXPECT_EQ(post.id, request.id);
        EXPECT_EQ(post.ints.at(FLD_TYPE), DB_REQ_GET_NEXT);
    }
}

struct EndCase {
    const char* name;
    const char* startInstance;
    int32_t errorOnAnswer; // 1-based answer that carries an error status, 0 none
    int stopAtRow;         // row whose hook returns 0, -1 none
    size_t rows;
    const char* done;
};

class MibWalkerEndTest : public MibWalkerTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(MibWalkerEndTest, EndsOnceWithTheExpectedInstance) {
    const EndCase& c = GetParam();
    walker->stopAtRow = c.stopAtRow;
    walker->StartWalk(c.startInstance);
    for (int answer = 1; fakedb::Fake().answerQueue.size() > 0; ++answer) {
        ASSERT_LT(answer, 100);
        fakedb::Fake().errorOnNextAnswer = answer == c.errorOnAnswer ? 5 : 0;
        fakedb::DeliverNext();
    }
    EXPECT_EQ(walker->rows.size(), c.rows);
    EXPECT_EQ(walker->done, std::vector<std::string>{c.done});
    EXPECT_EQ(walker->m_pendingRecord, 0u);
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
    const uint32_t id = fakedb::Fake().posts[0].id;
    fakedb::Broadcast(DB_TABLE_GRAPHS, DB_EVENT_ANSWERED, id);
    fakedb::Broadcast(DB_TABLE_REQUESTS, 7, id);
    fakedb::Broadcast(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, id + 1);
    fakedb::Fake().failFind = true;
    fakedb::Broadcast(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, id);
    fakedb::Fake().failFind = false;
    EXPECT_TRUE(walker->rows.empty());
    EXPECT_TRUE(walker->done.empty());
    EXPECT_NE(walker->m_pendingRecord, 0u);
    fakedb::DeliverAll();
    EXPECT_EQ(walker->rows.size(), 3u);
    EXPECT_EQ(walker->done.size(), 1u);
}

TEST_F(MibWalkerTest, SetOidGrowsTheListAndEveryColumnIsPosted) {
    walker->ClearOids();
    walker->SetOid(5, kColumn2);
    ASSERT_EQ(walker->m_columnList.size(), 5u);
    EXPECT_EQ(walker->m_columnList[3], "");
    walker->SetOid(2, kColumn1);
    EXPECT_EQ(walker->m_columnList.size(), 5u);
    walker->StartWalk(".9");
    ASSERT_EQ(fakedb::Fake().posts[0].vars.size(), 5u);
    EXPECT_EQ(fakedb::Fake().posts[0].vars[1].oid, kColumn1);
    EXPECT_EQ(fakedb::Fake().posts[0].vars[4].oid, kColumn2);
    EXPECT_EQ(fakedb::Fake().posts[0].vars[0].instance, ".9");
    walker->CancelRequest();
}

TEST_F(MibWalkerTest, CancellingOrRestartingDropsTheOldWalkWithoutAHook) {
    walker->StartWalk("");
    const uint32_t firstId = fakedb::Fake().posts[0].id;
    walker->StartWalk("");
    EXPECT_EQ(fakedb::Fake().records.size(), 1u);
    walker->SetTargetNode(43);
    EXPECT_EQ(walker->m_pendingRecord, 0u);
    EXPECT_EQ(walker->m_node, 43u);
    fakedb::Broadcast(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, firstId);
    EXPECT_EQ(fakedb::DeliverAll(), 0);
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
    fakedb::DeliverAll();
    EXPECT_EQ(walker->rows.size(), 4u); // one of the first walk, three of the second
    EXPECT_EQ(walker->done.size(), 1u);
}

TEST_F(MibWalkerTest, RequestFailuresEndAsTheirOwnersExpect) {
    fakedb::Fake().failNewRecord = true;
    walker->StartWalk("");
    EXPECT_TRUE(walker->done.empty());
    EXPECT_EQ(walker->m_pendingRecord, 0u);

    fakedb::Fake().failNewRecord = false;
    fakedb::Fake().failPost = true;
    walker->StartWalk(".1.1");
    EXPECT_EQ(walker->done, std::vector<std::string>{""});
    EXPECT_EQ(walker->m_pendingRecord, 0u);

    fakedb::Fake().failPost = false;
    walker->ClearOids();
    walker->StartWalk("");
    EXPECT_EQ(walker->done.size(), 2u);
    EXPECT_TRUE(fakedb::Fake().posts.empty());
}

TEST_F(MibWalkerTest, DisconnectEventKillsHandlesButKeepsTheWalk) {
    walker->StartWalk("");
    fakedb::Broadcast(0, DB_EVENT_DISCONNECTED, 0);
    EXPECT_EQ(walker->m_connection, 0u);
    EXPECT_EQ(walker->m_requestTable, 0u);
    EXPECT_EQ(walker->m_nodeTable, 0u);
    EXPECT_NE(walker->m_pendingRecord, 0u);
    EXPECT_TRUE(walker->done.empty());
    // Without its connection the walker does not disconnect again.
    walker->Disconnect();
    EXPECT_TRUE(fakedb::Fake().disconnected.empty());
    fakedb::Fake().connections.clear();
}

struct ConnectCase {
    const char* name;
    bool failConnect;
    int failTable;
};

class MibWalkerConnectTest : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(MibWalkerConnectTest, FailsWhenAnyHandleIsMissing) {
    fakedb::Reset();
    fakedb::Fake().failConnect = GetParam().failConnect;
    fakedb::Fake().failTable = GetParam().failTable;
    CMibWalker walker;
    EXPECT_FALSE(walker.Connect(7));
}

INSTANTIATE_TEST_SUITE_P(Handles, MibWalkerConnectTest,
                         ::testing::Values(ConnectCase{"Connection", true, 0},
                                           ConnectCase{"RequestTable", false, DB_TABLE_REQUESTS},
                                           ConnectCase{"NodeTable", false, DB_TABLE_NODES}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
