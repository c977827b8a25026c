// CMibMultiWalker against the host database: interleaved walks keep their own node
// and tag, ended walks are released once, and the connection's end and Disconnect
// treat the walks in flight as their owners expect.
#include "tests/walker/walker_database.h"
#include "walker/mib_multi_walker.h"

#include <functional>

namespace {

const char kColumn[] = "1.3.6.1.2.1.16.6.2.1.4";

struct Hook {
    std::string instance;
    uint32_t node;
    uintptr_t tag;
    bool locked; // the request table's write lock held while the hook ran
    bool operator==(const Hook&) const = default;
};

class RecordingMultiWalker : public CMibMultiWalker {
  public:
    int OnWalkRow(DbHandle answer, uint32_t node, uintptr_t tag) override {
        char instance[256];
        DbSetInt(answer, FLD_VAR_INDEX, 1);
        DbGetText(answer, FLD_VAR_INSTANCE, instance, sizeof instance);
        rows.push_back({instance, node, tag, locked()});
        return 1;
    }
    void OnWalkDone(const char* lastInstance, uint32_t node, uintptr_t tag) override {
        done.push_back({lastInstance, node, tag, locked()});
    }

    std::vector<Hook> rows;
    std::vector<Hook> done;
    std::function<bool()> locked;
};

class MibMultiWalkerTest : public WalkerDatabaseTest {
  protected:
    void SetUp() override {
        WalkerDatabaseTest::SetUp();
        for (int row = 1; row <= 2; ++row) {
            AddObject(std::string(kColumn) + ".1." + std::to_string(row), 7);
        }
        AddObject("1.3.6.1.2.1.16.6.2.1.5.1.1", 8);
        walker = std::make_unique<RecordingMultiWalker>();
        walker->locked = [this] { return RequestTableLocked(); };
        ASSERT_TRUE(walker->Connect(0));
        walker->SetOid(1, kColumn);
    }

    // Every path leaves the write lock released and no request record alive but those
    // of the walks in flight.
    void TearDown() override {
        EXPECT_FALSE(RequestTableLocked());
        size_t walking = 0;
        for (size_t walk = 0; walk < walker->GetWalkCount(); ++walk) {
            walking += DbGetRecordId(walker->GetWalkRequest(walk)) != 0;
        }
        EXPECT_EQ(LiveRecords(), walking);
        walker.reset();
        WalkerDatabaseTest::TearDown();
    }

    void Start(uint32_t node, uintptr_t tag, const char* instance = "") {
        walker->SetTargetNode(node);
        walker->StartWalk(instance, tag);
    }

    void Notify(int table, int event, uint32_t recordId) {
        CMibMultiWalker::NotifyProc(reinterpret_cast<uintptr_t>(walker.get()), table, event,
                                    recordId);
    }

    std::unique_ptr<RecordingMultiWalker> walker;
};

TEST_F(MibMultiWalkerTest, InterleavedWalksKeepTheirOwnNodeAndTag) {
    Start(11, 0xA);
    Start(22, 0xB, ".1.1");
    ASSERT_EQ(walker->GetWalkCount(), 2u);
    ASSERT_EQ(m_sent.size(), 2u);
    EXPECT_EQ(m_sent[1].node, 22u);
    RunPendingEvents(); // the walk that started first is answered to its end first
    const std::vector<Hook> rows = {
        {".1.1", 11, 0xA, true}, {".1.2", 11, 0xA, true}, {".1.2", 22, 0xB, true}};
    EXPECT_EQ(walker->rows, rows);
    const std::vector<Hook> done = {{".1.2", 11, 0xA, true}, {".1.2", 22, 0xB, true}};
    EXPECT_EQ(walker->done, done);
    EXPECT_EQ(walker->GetWalkCount(), 0u);
}

TEST_F(MibMultiWalkerTest, EndedWalkIsReleasedSoALateAnswerReachesNoHook) {
    Start(11, 0xA, ".1.2");
    const uint32_t id = DbGetRecordId(walker->GetWalkRequest(0));
    RunPendingEvents();
    ASSERT_EQ(walker->done.size(), 1u);
    Start(22, 0xB);
    Notify(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, id);
    Notify(DB_TABLE_REQUESTS, DB_EVENT_ANSWERED, id + 99);
    EXPECT_EQ(walker->done.size(), 1u);
    EXPECT_TRUE(walker->rows.empty());
    EXPECT_EQ(walker->GetWalkCount(), 1u);
}

TEST_F(MibMultiWalkerTest, ErrorEndsOnlyItsWalkWithTheLastInstanceUnchanged) {
    m_errorOnAnswer = 2; // walk B's first request, sent before walk A's second
    Start(11, 0xA);
    Start(22, 0xB);
    RunPendingEvents();
    ASSERT_EQ(walker->done.size(), 2u);
    EXPECT_EQ(walker->done[0].tag, 0xAu);
    EXPECT_EQ(walker->done[1], (Hook{".1.2", 22, 0xB, true})); // walk A's last row
    EXPECT_EQ(walker->rows.size(), 2u);
}

TEST_F(MibMultiWalkerTest, StartFailuresReportOnlyAFailedPostOrMissingColumns) {
    Refuse(ksdb::RefusableCall::NewRecord, DB_TABLE_REQUESTS);
    Start(11, 0xA);
    EXPECT_TRUE(walker->done.empty());
    Refuse(ksdb::RefusableCall::PostRecord, DB_TABLE_REQUESTS);
    Start(11, 0xB);
    EXPECT_EQ(walker->done, (std::vector<Hook>{{"", 11, 0xB, true}}));
    Allow();
    walker->ClearOids();
    Start(12, 0xC);
    EXPECT_EQ(walker->done.back(), (Hook{"", 12, 0xC, true}));
    EXPECT_EQ(walker->GetWalkCount(), 0u);
    EXPECT_TRUE(m_sent.empty());
}

TEST_F(MibMultiWalkerTest, DisconnectEventKeepsWalksAndLaterStartsPostNothing) {
    Start(11, 0xA);
    ksdb::EndConnections(0);
    EXPECT_FALSE(walker->IsConnected());
    EXPECT_EQ(walker->GetWalkCount(), 1u);
    Start(12, 0xB);
    EXPECT_EQ(m_sent.size(), 1u);
    EXPECT_TRUE(walker->done.empty());
    // Without its connection the walker has nothing to disconnect; the watcher's stays.
    walker->Disconnect();
    EXPECT_EQ(walker->GetWalkCount(), 1u);
    EXPECT_EQ(ksdb::CountLiveHandles().connections, 1u);
}

TEST_F(MibMultiWalkerTest, DisconnectReleasesEveryWalk) {
    Start(11, 0xA);
    Start(12, 0xB);
    walker->Disconnect();
    EXPECT_EQ(walker->GetWalkCount(), 0u);
    EXPECT_EQ(LiveRecords(), 0u);
    EXPECT_FALSE(walker->IsConnected());
    RunPendingEvents();
    EXPECT_TRUE(walker->rows.empty());
    EXPECT_TRUE(walker->done.empty());
}

class MibMultiWalkerConnect : public WalkerDatabaseTest {};

TEST_F(MibMultiWalkerConnect, FailureLeavesBothHandlesZero) {
    Refuse(ksdb::RefusableCall::OpenTable, DB_TABLE_REQUESTS);
    CMibMultiWalker walker;
    EXPECT_FALSE(walker.Connect(0));
    EXPECT_FALSE(walker.IsConnected());
}

} // namespace
