// Many walks and a get on one node, against an agent that answers one request at a time
// in the order they arrived, as a busy agent does.
#include "host/ksdbapi/read_ahead_clock.h"
#include "hostapi/ksdb_codes.h"
#include "tests/ksdbapi/memory_fixture.h"

#include <deque>

using namespace ksdb;

namespace {

// Holds every request until the test lets the agent answer the oldest one.
class InOrderAgent : public Transport {
  public:
    explicit InOrderAgent(std::shared_ptr<MemoryAgent> agent) : m_agent(std::move(agent)) {}

    void Send(uint64_t ticket, const NodeConfig& node, const SnmpRequest& request,
              AnswerSink& sink) override {
        m_queue.push_back({ticket, node.version, request, &sink});
    }
    void Cancel(uint64_t) override {}

    bool AnswerOldest() {
        if (m_queue.empty()) {
            return false;
        }
        Held held = m_queue.front();
        m_queue.pop_front();
        held.sink->OnAnswer(held.ticket, m_agent->Answer(held.request, held.version));
        return true;
    }

  private:
    struct Held {
        uint64_t ticket;
        int version;
        SnmpRequest request;
        AnswerSink* sink;
    };
    std::shared_ptr<MemoryAgent> m_agent;
    std::deque<Held> m_queue;
};

class NodeSharingTest : public MemoryDatabaseTest {
  protected:
    void SetUp() override {
        MemoryDatabaseTest::SetUp();
        for (int host = 1; host <= 5; ++host) {
            m_agent->AddConversation(1, std::string(5, '\0') + char(host),
                                     std::string(5, '\0') + char(host + 1), 1, 2, 0);
        }
        auto transport = std::make_unique<InOrderAgent>(m_agent);
        m_inOrder = transport.get();
        SetTransport(std::move(transport));
    }

    // Lets the agent answer one request and continues every walk that heard its answer,
    // as the walkers do; a walk ends once it leaves its column.
    bool Step(DbClient& client, std::vector<DbHandle>& walks) {
        const size_t before = client.m_heard.size();
        if (!m_inOrder->AnswerOldest()) {
            return false;
        }
        RunPendingEvents();
        for (size_t i = before; i < client.m_heard.size(); ++i) {
            for (DbHandle& walk : walks) {
                if (walk && DbGetRecordId(walk) == client.m_heard[i].recordId) {
                    Continue(walk);
                }
            }
        }
        return true;
    }
    void Continue(DbHandle& walk) {
        DbSetInt(walk, FLD_VAR_INDEX, 1);
        if (Text(walk, FLD_VAR_INSTANCE).empty() || DbGetInt(walk, FLD_REQ_ERROR)) {
            DbFreeRecord(walk);
            walk = 0;
            ++m_walksEnded;
            return;
        }
        DbPostRecord(walk);
    }

    InOrderAgent* m_inOrder = nullptr;
    int m_walksEnded = 0;
};

} // namespace

TEST_F(NodeSharingTest, AGetPostedBehindManyWalksIsAnsweredWithinAFewAnswersAndEveryWalkEnds) {
    DbClient client;
    std::vector<DbHandle> walks;
    for (int i = 0; i < 40; ++i) {
        walks.push_back(client.NewRequest(DB_REQ_GET_NEXT, 1, {kMatrixColumns[i % 6]}));
        DbPostRecord(walks.back());
    }
    // Walks freed while they wait for the agent give their place up.
    for (int i = 30; i < 40; ++i) {
        DbFreeRecord(walks[i]);
        walks[i] = 0;
    }
    DbHandle get =
        client.NewRequest(DB_REQ_GET, 1, {kMatrixColumns[3]}, ".1.6.0.0.0.0.0.1.6.0.0.0.0.0.2");
    DbPostRecord(get);
    const uint32_t getId = DbGetRecordId(get);

    int answers = 0;
    auto answered = [&] {
        for (const Notification& heard : client.m_heard) {
            if (heard.recordId == getId) {
                return true;
            }
        }
        return false;
    };
    while (!answered() && Step(client, walks)) {
        ++answers;
    }
    ASSERT_TRUE(answered());
    EXPECT_LE(answers, 5) << "the get waited behind the walks";
    DbSetInt(get, FLD_VAR_INDEX, 1);
    EXPECT_EQ(Text(get, FLD_VAR_VALUE), "1");

    while (Step(client, walks)) {
    }
    EXPECT_EQ(m_walksEnded, 30);
}

// Node 1 waits 1000 ms a try, two tries: a walk request that waited 2 s for a place ends as
// a time-out, so a queue that grows faster than the agent answers stays bounded.
TEST_F(NodeSharingTest, AWalkThatWaitedAsLongAsATimeOutEndsAsOne) {
    struct ManualClock {
        ManualClock() { ReadAheadClock::UseManualClock(true); }
        ~ManualClock() { ReadAheadClock::UseManualClock(false); }
    } clock;
    DbClient client;
    std::vector<DbHandle> walks;
    for (int i = 0; i < 10; ++i) {
        walks.push_back(client.NewRequest(DB_REQ_GET_NEXT, 1, {kMatrixColumns[1]}));
        DbPostRecord(walks.back());
    }
    ReadAheadClock::Advance(std::chrono::milliseconds(1999));
    ASSERT_TRUE(m_inOrder->AnswerOldest());
    RunPendingEvents();
    EXPECT_EQ(DbGetInt(walks[4], FLD_REQ_ERROR), 0) << "the waiting walk took the free place";
    EXPECT_EQ(client.m_heard.size(), 1u);

    ReadAheadClock::Advance(std::chrono::milliseconds(1));
    ASSERT_TRUE(m_inOrder->AnswerOldest());
    RunPendingEvents();
    for (int i = 0; i < 10; ++i) {
        const int expected = i < 5 ? 0 : KSDB_ERR_TIMEOUT;
        EXPECT_EQ(DbGetInt(walks[i], FLD_REQ_ERROR), expected) << "walk " << i;
    }
}
