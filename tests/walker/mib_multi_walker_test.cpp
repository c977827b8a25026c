// CMibMultiWalker against the scripted host database: interleaved walks keep
// their own node and tag, ended walks are released once, and the connection's
// end and Disconnect treat the walks in flight as their owners expect.
#include "tests/walker/fake_db.h"
#include "walker/mib_multi_walker.h"

#include <gtest/gtest.h>

namespace {

const char kColumn[] = "1.3.6.1.2.1.16.6.2.1.4";

struct Hook {
    std::string instance;
    uint32_t node;
    uintptr_t tag;
    int writeLocks;
    bool operator==(const Hook&) const = default;
};

class RecordingMultiWalker : public CMibMultiWalker {
  public:
    int OnWalkRow(DbHandle answer, uint32_t node, uintptr_t tag) override {
        char instance[256];
        DbSetInt(answer, FLD_VAR_INDEX, 1);
        DbGetText(answer, FLD_VAR_INSTANCE, instance, sizeof instance);
        rows.push_back({instance, node, tag, fakedb::Fake().writeLocks});
        return 1;
    }
    void OnWalkDone(const char* lastInstance, uint32_t node, uintptr_t tag) override {
        done.push_back({lastInstance, node, tag, fakedb::Fake().writeLocks});
    }

    std::vector<Hook> rows;
    std::vector<Hook> done;
};

class MibMultiWalkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fakedb::Reset();
        for (int row = 1; row <= 2; ++row) {
            fakedb::AddObject(std::string(kColumn) + ".1." + std::to_string(row), "7");
        }
        fakedb::AddObject("1.3.6.1.2.1.16.6.2.1.5.1.1", "8");
        walker = std::make_unique<RecordingMultiWalker>();
        ASSERT_TRUE(walker->Connect(0));
        walker->SetOid(1, kColumn);
    }

    void TearDown() override {
        walker.reset();
        EXPECT_EQ(fakedb::Fake().writeLocks, 0);
        EXPECT_EQ(fakedb::Fake().unbalancedUnlocks, 0);
        EXPECT_TRUE(fakedb::Fake().records.empty());
    }

    void Start(uint32_t node, uintptr_t tag, const char* instance = "") {
        walker->SetTargetNode(node);
        walker->StartWalk(instance, tag);
    }

    std::unique_ptr<RecordingMultiWalker> walker;
};

TEST_F(MibMultiWalkerTest, InterleavedWalksKeepTheirOwnNodeAndTag) {
    Start(11, 0xA);
    Start(22, 0xB, ".1.1");
    ASSERT_EQ(walker->m_walks.size(), 2u);
    EXPECT_EQ(fakedb::Fake().posts[1].ints.at(FLD_REQ_TARGET), 22);
    fakedb::DeliverAll(); // answers alternate between the two records
    const std::vector<Hook> rows = {
        {".1.1", 11, 0xA, 1}, {".1.2", 22, 0xB, 1}, {".1.2", 11, 0xA, 1}};
    EXPECT_EQ(walker->rows, rows);
    const std::vector<Hook> done = {{".1.2", 22, 0xB, 1}, {".1.2", 11, 0xA, 1}};
    EXPECT_EQ(walker->done, done);
    EXPECT_TRUE(walker->m_walks.empty());
}

TEST_F(MibMultiWalkerTest, EndedWalkIsReleasedSoALateAnswerReachesNoHook) {
    Start(11, 0xA, ".1.2");
    const uint32_t id = fakedb::Fake().posts[0].id;
    fakedb::DeliverAll();
    ASSERT_EQ(walker->done.size(), 1u);
    Start(22, 0xB);
    fakedb::Broadcast(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, id);
    fakedb::Broadcast(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, id + 99);
    EXPECT_EQ(walker->done.size(), 1u);
    EXPECT_TRUE(walker->rows.empty());
    EXPECT_EQ(walker->m_walks.size(), 1u);
}

TEST_F(MibMultiWalkerTest, ErrorEndsOnlyItsWalkWithTheLastInstanceUnchanged) {
    Start(11, 0xA);
    Start(22, 0xB);
    fakedb::DeliverNext(); // row .1.1 of walk A
    fakedb::Fake().errorOnNextAnswer = 2;
    fakedb::DeliverNext(); // walk B fails
    ASSERT_EQ(walker->done.size(), 1u);
    EXPECT_EQ(walker->done[0], (Hook{".1.1", 22, 0xB, 1}));
    fakedb::DeliverAll();
    EXPECT_EQ(walker->rows.size(), 2u);
    EXPECT_EQ(walker->done.size(), 2u);
}

TEST_F(MibMultiWalkerTest, StartFailuresReportOnlyAFailedPostOrMissingColumns) {
    fakedb::Fake().failNewRecord = true;
    Start(11, 0xA);
    EXPECT_TRUE(walker->done.empty());
    fakedb::Fake().failNewRecord = false;
    fakedb::Fake().failPost = true;
    Start(11, 0xB);
    EXPECT_EQ(walker->done, (std::vector<Hook>{{"", 11, 0xB, 1}}));
    fakedb::Fake().failPost = false;
    walker->ClearOids();
    Start(12, 0xC);
    EXPECT_EQ(walker->done.back(), (Hook{"", 12, 0xC, 1}));
    EXPECT_TRUE(walker->m_walks.empty());
    EXPECT_TRUE(fakedb::Fake().posts.empty());
}

TEST_F(MibMultiWalkerTest, DisconnectEventKeepsWalksAndLaterStartsPostNothing) {
    Start(11, 0xA);
    fakedb::Broadcast(0, DB_EVENT_DISCONNECTED, 0);
    EXPECT_EQ(walker->m_connection, 0u);
    EXPECT_EQ(walker->m_requestTable, 0u);
    EXPECT_EQ(walker->m_walks.size(), 1u);
    Start(12, 0xB);
    EXPECT_EQ(fakedb::Fake().posts.size(), 1u);
    EXPECT_TRUE(walker->done.empty());
    walker->Disconnect();
    EXPECT_EQ(walker->m_walks.size(), 1u);
    EXPECT_TRUE(fakedb::Fake().disconnected.empty());
    fakedb::Fake().connections.clear();
}

TEST_F(MibMultiWalkerTest, DisconnectReleasesEveryWalk) {
    Start(11, 0xA);
    Start(12, 0xB);
    walker->Disconnect();
    EXPECT_TRUE(walker->m_walks.empty());
    EXPECT_TRUE(fakedb::Fake().records.empty());
    EXPECT_EQ(walker->m_connection, 0u);
    EXPECT_EQ(fakedb::DeliverAll(), 0);
    EXPECT_TRUE(walker->rows.empty());
    EXPECT_TRUE(walker->done.empty());
}

TEST(MibMultiWalkerConnect, FailureLeavesBothHandlesZero) {
    fakedb::Reset();
    fakedb::Fake().failTable = DB_TABLE_REQUESTS;
    CMibMultiWalker walker;
    EXPECT_FALSE(walker.Connect(0));
    EXPECT_EQ(walker.m_connection, 0u);
    EXPECT_EQ(walker.m_requestTable, 0u);
}

} // namespace
