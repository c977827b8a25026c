// Get-bulk read-ahead over an in-memory agent: every walk must answer exactly what plain
// get-next answers from the same agent, while the agent sees far fewer requests.
#include "host/ksdbapi/oid_text.h"
#include "host/ksdbapi/read_ahead_transport.h"
#include "tests/ksdbapi/memory_fixture.h"

namespace {

std::string Mac(int host) {
    return std::string("\x00\xA0\xC9\x00", 4) + char(host >> 8) + char(host & 0xff);
}

bool operator==(const DbClient::Row& a, const DbClient::Row& b) {
    return a.names == b.names && a.values == b.values;
}

// Nodes 1 (v2c), 2 (v1) and 4 (v2c, bulk=off) on one agent of 150 conversations; the
// transport counts what reaches the agent and may inject faults.
class ReadAheadTest : public MemoryDatabaseTest {
  protected:
    void SetUp() override {
        MemoryDatabaseTest::SetUp();
        std::string path = testing::TempDir() + "ksdbapi_read_ahead_nodes";
        std::ofstream(path) << "1 agent 2c public 1000 1 Probe A\n"
                               "2 agent 1 public 1000 1 Probe B\n"
                               "4 agent 2c public 1000 1 bulk=off Probe C\n";
        ASSERT_TRUE(ksdb::LoadNodes(path));
        for (int host = 0; host < 150; ++host) {
            m_agent->AddConversation(1, Mac(host), Mac(host + 7), 3u * host, 1000u + host,
                                     host % 5);
        }
    }

    // Walks `columns` of `node` through plain get-next or through the read-ahead; counts
    // the requests the agent answered and the get-bulk requests among them.
    std::vector<DbClient::Row>
    WalkThrough(bool readAhead, uint32_t node,
                const std::vector<std::string>& columns = kMatrixColumns) {
        UseTransport(readAhead);
        DbClient client;
        int error = -1;
        std::vector<DbClient::Row> rows = client.Walk(node, columns, &error);
        m_error = error;
        return rows;
    }

    void UseTransport(bool readAhead) {
        auto memory = std::make_unique<ksdb::MemoryTransport>();
        memory->AddAgent("agent", m_agent);
        memory->SetAnswerHook([this](const ksdb::NodeConfig&, const ksdb::SnmpRequest& request,
                                     ksdb::SnmpAnswer& answer) {
            if (request.kind == ksdb::kReqGetBulk) {
                ++m_bulks;
                m_mostBulkVars =
                    std::max(m_mostBulkVars, request.vars.size() * size_t(request.maxRepetitions));
            }
            if (m_hook) {
                m_hook(request, answer);
            }
        });
        m_memory = memory.get();
        m_readAhead = nullptr;
        if (readAhead) {
            auto wrapped = std::make_unique<ksdb::ReadAheadTransport>(std::move(memory));
            m_readAhead = wrapped.get();
            ksdb::SetTransport(std::move(wrapped));
        } else {
            ksdb::SetTransport(std::move(memory));
        }
        m_bulks = 0;
    }

    // Walks one column of node 1 from each start instance, one step of each walk in turn,
    // as the conversation window's pass runs them; the values each walk read.
    std::vector<std::vector<std::string>> InterleavedWalks(bool readAhead,
                                                           const std::vector<std::string>& starts) {
        UseTransport(readAhead);
        const std::string& column = kMatrixColumns[4];
        DbClient client;
        std::vector<DbHandle> walks;
        for (const std::string& start : starts) {
            walks.push_back(client.NewRequest(DB_REQ_GET_NEXT, 1, {column}, start));
        }
        std::vector<std::vector<std::string>> values(walks.size());
        for (bool stepped = true; stepped;) {
            stepped = false;
            for (size_t walk = 0; walk < walks.size(); ++walk) {
                if (walks[walk] == 0 || !client.PostAndWait(walks[walk])) {
                    continue;
                }
                DbSetInt(walks[walk], FLD_VAR_INDEX, 1);
                if (Text(walks[walk], FLD_VAR_NAME).rfind(column + ".", 0) != 0) {
                    DbFreeRecord(walks[walk]);
                    walks[walk] = 0;
                    continue;
                }
                values[walk].push_back(Text(walks[walk], FLD_VAR_VALUE));
                DbSetInt(walks[walk], FLD_TYPE, DB_REQ_GET_NEXT);
                stepped = true;
            }
        }
        return values;
    }

    // The walk through read-ahead equals the walk through get-next; returns its row count.
    size_t ExpectSameWalk(uint32_t node = 1,
                          const std::vector<std::string>& columns = kMatrixColumns) {
        std::vector<DbClient::Row> expected = WalkThrough(false, node, columns);
        int expectedError = m_error;
        std::vector<DbClient::Row> rows = WalkThrough(true, node, columns);
        EXPECT_EQ(m_error, expectedError);
        EXPECT_EQ(rows.size(), expected.size());
        for (size_t row = 0; row < std::min(rows.size(), expected.size()); ++row) {
            EXPECT_TRUE(rows[row] == expected[row]) << "row " << row;
        }
        return expected.size();
    }

    std::function<void(const ksdb::SnmpRequest&, ksdb::SnmpAnswer&)> m_hook;
    ksdb::MemoryTransport* m_memory = nullptr;
    ksdb::ReadAheadTransport* m_readAhead = nullptr;
    uint64_t m_bulks = 0;
    size_t m_mostBulkVars = 0;
    int m_error = 0;
};

} // namespace

TEST_F(ReadAheadTest, DenseTableWalksAsGetNextInAFewRoundTrips) {
    EXPECT_EQ(ExpectSameWalk(), 150u);
    // 151 get-next answers (the last one leaves the column), ten rows of six columns a
    // round trip: no get-bulk asks more than 64 variables. The pipelined get-bulk sent
    // while the walk reads the last answer asks past the table's end.
    EXPECT_LE(m_memory->RequestCount(), 17u);
    EXPECT_GE(m_readAhead->AnsweredAhead(), 135u);
    EXPECT_EQ(m_mostBulkVars, 60u);
    ExpectSameWalk(1, {kMatrixColumns[0]});
    EXPECT_EQ(m_mostBulkVars, 64u);
}

// Columns missing for some rows: each variable goes on to the next row of its own
// column (or past it, into the next column and beyond the table), as get-next does.
TEST_F(ReadAheadTest, SparseTableAnswersEveryColumnAsGetNext) {
    m_agent->Set({1, 3, 6, 1, 2, 1, 16, 7, 1, 0}, ksdb::SnmpValue::Number(ksdb::kAsnInteger, 1));
    std::vector<DbClient::Row> dense = WalkThrough(false, 1);
    for (size_t row = 0; row < dense.size(); ++row) {
        for (uint32_t column : {4u, 6u}) {
            if ((column == 4 && row % 7 == 3) || (column == 6 && row >= 140)) {
                ksdb::Oid name;
                ksdb::ParseOid(dense[row].names[column - 1], name);
                m_agent->Remove(name);
            }
        }
    }
    // The errors column ends at row 140: its variable leaves the table there and the MIB
    // view one row later, which ends the walk after 141 rows, as get-next does.
    EXPECT_EQ(ExpectSameWalk(), 141u);
}

// The table is the last object of the agent: the last columns run into the end of the
// MIB view in the middle of a get-bulk answer. A second walk right after the first must
// not be answered from what the first one read ahead: it sees the agent's new value.
TEST_F(ReadAheadTest, WalkEndingInsideAnAnswerAndTheNextWalkSeeTheAgent) {
    ExpectSameWalk();
    ExpectSameWalk(1, {kMatrixColumns[4], kMatrixColumns[5]});
    ksdb::Oid after = {1, 3, 6, 1, 2, 1, 16, 7, 1, 0};
    m_agent->Set(after, ksdb::SnmpValue::Number(ksdb::kAsnInteger, 5));
    ExpectSameWalk(1, {kMatrixColumns[5]});

    std::vector<DbClient::Row> first = WalkThrough(true, 1);
    ksdb::Oid firstOctets;
    ksdb::ParseOid(first[0].names[4], firstOctets);
    m_agent->Set(firstOctets, ksdb::SnmpValue::Number(ksdb::kAsnCounter32, 77));
    DbClient client;
    int error = -1;
    std::vector<DbClient::Row> second = client.Walk(1, kMatrixColumns, &error);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(second[0].values[4], "77");
}

// tooBig halves max-repetitions until the answer fits; an agent whose message size cuts
// answers short caps them at what came back.
TEST_F(ReadAheadTest, TooBigAndShortAnswersShrinkTheRepetitions) {
    m_hook = [](const ksdb::SnmpRequest& request, ksdb::SnmpAnswer& answer) {
        if (request.kind == ksdb::kReqGetBulk && request.maxRepetitions > 5) {
            answer = {ksdb::kStatusTooBig, request.vars};
        }
    };
    EXPECT_EQ(ExpectSameWalk(), 150u);
    EXPECT_LE(m_readAhead->RepetitionsFor(1), 5);
    EXPECT_GT(m_readAhead->AnsweredAhead(), 100u);

    m_hook = nullptr;
    m_agent->SetMaxAnswerVars(6 * 9 + 4);
    EXPECT_EQ(ExpectSameWalk(), 150u);
    EXPECT_EQ(m_readAhead->RepetitionsFor(1), 9);

    // Not even one repetition fits, or get-bulk is always too big: get-next walks.
    m_agent->SetMaxAnswerVars(4);
    EXPECT_EQ(ExpectSameWalk(), 150u);
    m_agent->SetMaxAnswerVars(0);
    m_hook = [](const ksdb::SnmpRequest& request, ksdb::SnmpAnswer& answer) {
        if (request.kind == ksdb::kReqGetBulk) {
            answer = {ksdb::kStatusTooBig, request.vars};
        }
    };
    EXPECT_EQ(ExpectSameWalk(), 150u);
}

// An agent whose get-bulk answers go backwards after their second repetition: what was
// read ahead past that point is thrown away and the walk asks again from where it stands,
// instead of ending with a not-increasing error.
TEST_F(ReadAheadTest, AnswerThatGoesBackwardsIsNotReadAhead) {
    m_hook = [](const ksdb::SnmpRequest& request, ksdb::SnmpAnswer& answer) {
        const size_t width = request.vars.size();
        if (request.kind == ksdb::kReqGetBulk && answer.vars.size() >= 3 * width) {
            std::copy_n(answer.vars.begin(), width, answer.vars.begin() + long(2 * width));
        }
    };
    EXPECT_EQ(ExpectSameWalk(), 150u);
    EXPECT_EQ(m_error, 0);
}

// Walks of one column from five instances at once, stepped in turn: each reads what
// get-next reads, and they share what any of them read ahead instead of throwing it away.
TEST_F(ReadAheadTest, InterleavedWalksShareTheirReadAhead) {
    std::vector<DbClient::Row> rows = WalkThrough(false, 1, {kMatrixColumns[4]});
    std::vector<std::string> starts;
    for (size_t row : {0u, 30u, 60u, 90u, 120u}) {
        starts.push_back(rows[row].names[0].substr(kMatrixColumns[4].size() + 1));
    }
    std::vector<std::vector<std::string>> expected = InterleavedWalks(false, starts);
    EXPECT_EQ(expected[1].size(), 119u);
    EXPECT_EQ(InterleavedWalks(true, starts), expected);
    // 455 get-next answers; one get-bulk each before blocks were shared.
    EXPECT_LE(m_memory->RequestCount(), 40u);
}

// A v1 node and a node with bulk=off never see get-bulk.
TEST_F(ReadAheadTest, SnmpV1AndSwitchedOffNodesKeepGetNext) {
    for (uint32_t node : {2u, 4u}) {
        EXPECT_EQ(ExpectSameWalk(node), 150u) << "node " << node;
        EXPECT_EQ(m_bulks, 0u) << "node " << node;
        EXPECT_EQ(m_readAhead->AnsweredAhead(), 0u) << "node " << node;
    }
}
