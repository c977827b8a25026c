// Both walkers through the real host library, served by its in-memory agent:
// the values of a whole matrix walk, an error status, interleaved tagged walks,
// the end of the connection and Disconnect.
#include "host/ksdbapi/ksdb_host.h"
#include "host/ksdbapi/oid_text.h"
#include "platform/platform_app.h"
#include "tests/walker/collecting_walker.h"
#include "walker/mib_multi_walker.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <stdlib.h>

namespace {

const char kEntry[] = "1.3.6.1.2.1.16.6.2.1.";

struct Conversation {
    int index;
    std::string source; // address bytes
    std::string destination;
    int64_t packets, octets, errors;
};

std::string Instance(const Conversation& c) {
    std::string instance = "." + std::to_string(c.index) + ".6";
    for (unsigned char byte : c.source) {
        instance += "." + std::to_string(byte);
    }
    instance += ".6";
    for (unsigned char byte : c.destination) {
        instance += "." + std::to_string(byte);
    }
    return instance;
}

void AddColumn(ksdb::MemoryAgent& agent, int column, const std::string& instance,
               ksdb::SnmpValue value) {
    ksdb::Oid oid;
    ASSERT_TRUE(ksdb::ParseOid(kEntry + std::to_string(column) + instance, oid));
    agent.Set(oid, std::move(value));
}

std::shared_ptr<ksdb::MemoryAgent> MakeAgent(const std::vector<Conversation>& conversations) {
    auto agent = std::make_shared<ksdb::MemoryAgent>();
    for (const Conversation& c : conversations) {
        const std::string instance = Instance(c);
        AddColumn(*agent, 1, instance, ksdb::SnmpValue::Octets(c.source));
        AddColumn(*agent, 2, instance, ksdb::SnmpValue::Octets(c.destination));
        AddColumn(*agent, 3, instance, ksdb::SnmpValue::Number(ksdb::kAsnInteger, c.index));
        AddColumn(*agent, 4, instance, ksdb::SnmpValue::Number(ksdb::kAsnCounter32, c.packets));
        AddColumn(*agent, 5, instance, ksdb::SnmpValue::Number(ksdb::kAsnCounter32, c.octets));
        AddColumn(*agent, 6, instance, ksdb::SnmpValue::Number(ksdb::kAsnCounter32, c.errors));
    }
    ksdb::Oid after;
    ksdb::ParseOid("1.3.6.1.2.1.16.7.1.1.1.1", after);
    agent->Set(after, ksdb::SnmpValue::Number(ksdb::kAsnInteger, 1));
    return agent;
}

const std::string kHostA("\x00\xA0\xC9\x12\x34\x56", 6);
const std::string kHostB("\x00\x05\x85\xC9\x65\xA5", 6);
const std::string kBroadcast("\xFF\xFF\xFF\xFF\xFF\xFF", 6);

// In the agent's order: instances compare arc by arc.
const std::vector<Conversation> kConversations = {
    {1, kHostB, kHostA, 12, 4294967295LL, 2},
    {1, kHostA, kHostB, 10, 1500, 0},
    {2, kHostA, kBroadcast, 3, 180, 0},
};

// The matrix columns in the view's order, by identifier.
void SetMatrixColumns(CMibWalker& walker) {
    const int columns[] = {3, 1, 2, 5, 4, 6};
    for (int i = 0; i < 6; ++i) {
        walker.SetOid(i + 1, (kEntry + std::to_string(columns[i])).c_str());
    }
}

class WalkerAgentTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { PlatformApp::Init(); }

    void SetUp() override {
        const std::string nodes = std::string(TESSARAN_TEST_BINARY_DIR) + "/walker_nodes";
        std::ofstream(nodes) << "1 10.0.0.1 2c public 1000 1 alpha\n"
                                "2 10.0.0.2 2c public 1000 1 beta\n";
        setenv("TESSARAN_NODES", nodes.c_str(), 1);
        ksdb::ResetDatabase();
        ASSERT_TRUE(ksdb::LoadNodes(nodes));
        auto transport = std::make_unique<ksdb::MemoryTransport>();
        transport->AddAgent("10.0.0.1", MakeAgent(kConversations));
        transport->AddAgent("10.0.0.2", MakeAgent({{7, kHostB, kHostA, 99, 99, 99}}));
        memory = transport.get();
        ksdb::SetTransport(std::move(transport));
    }

    void TearDown() override { ksdb::ResetDatabase(); }

    // Runs the event loop for a bounded number of rounds, or until done holds.
    static void Drain(const std::function<bool()>& done = [] { return false; }) {
        for (int round = 0; round < 200 && !done(); ++round) {
            PlatformApp::PumpMessages();
        }
    }

    ksdb::MemoryTransport* memory = nullptr;
};

TEST_F(WalkerAgentTest, WalksTheMatrixColumnsInTheViewsOrder) {
    CollectingWalker walker;
    ASSERT_TRUE(walker.Connect(0));
    SetMatrixColumns(walker);
    walker.SetTargetNode(1);
    walker.WalkAndWait();
    const std::vector<WalkedRow> expected = {
        {Instance(kConversations[0]),
         {"1", "00 05 85 C9 65 A5", "00 A0 C9 12 34 56", "4294967295", "12", "2"}},
        {Instance(kConversations[1]),
         {"1", "00 A0 C9 12 34 56", "00 05 85 C9 65 A5", "1500", "10", "0"}},
        {Instance(kConversations[2]),
         {"2", "00 A0 C9 12 34 56", "FF FF FF FF FF FF", "180", "3", "0"}},
    };
    EXPECT_EQ(walker.rows, expected);
    EXPECT_EQ(walker.done, std::vector<std::string>{Instance(kConversations[2])});
    EXPECT_EQ(walker.m_pendingRecord, 0u);
}

TEST_F(WalkerAgentTest, ErrorStatusEndsTheWalkWithAnEmptyInstance) {
    int answers = 0;
    memory->SetAnswerHook(
        [&answers](const ksdb::NodeConfig&, const ksdb::SnmpRequest&, ksdb::SnmpAnswer& answer) {
            if (++answers == 2) {
                answer.status = 5; // genErr
            }
        });
    CollectingWalker walker;
    ASSERT_TRUE(walker.Connect(0));
    SetMatrixColumns(walker);
    walker.SetTargetNode(1);
    walker.WalkAndWait();
    EXPECT_EQ(walker.rows.size(), 1u);
    EXPECT_EQ(walker.done, std::vector<std::string>{""});
}

struct TaggedRow {
    uint32_t node;
    uintptr_t tag;
    std::string packets;
    bool operator==(const TaggedRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TaggedRow& row) {
    return out << row.node << "/" << row.tag << ":" << row.packets;
}

class TaggedWalker : public CMibMultiWalker {
  public:
    int OnWalkRow(DbHandle answer, uint32_t node, uintptr_t tag) override {
        rows.push_back({node, tag, AnswerValues(answer, 1)[0]});
        return 1;
    }
    void OnWalkDone(const char*, uint32_t node, uintptr_t tag) override {
        done.push_back({node, tag, ""});
    }
    void Start(uint32_t node, uintptr_t tag) {
        SetTargetNode(node);
        StartWalk("", tag);
    }
    std::vector<TaggedRow> rows;
    std::vector<TaggedRow> done;
};

TEST_F(WalkerAgentTest, TaggedWalksOfTwoNodesKeepTheirOwnAnswers) {
    TaggedWalker walker;
    ASSERT_TRUE(walker.Connect(0));
    walker.SetOid(1, "1.3.6.1.2.1.16.6.2.1.4");
    walker.Start(1, 0x100);
    walker.Start(2, 0x200);
    Drain([&walker] { return walker.done.size() == 2; });
    std::vector<TaggedRow> node1, node2;
    for (const TaggedRow& row : walker.rows) {
        (row.node == 1 ? node1 : node2).push_back(row);
    }
    EXPECT_EQ(node1, (std::vector<TaggedRow>{{1, 0x100, "12"}, {1, 0x100, "10"}, {1, 0x100, "3"}}));
    EXPECT_EQ(node2, (std::vector<TaggedRow>{{2, 0x200, "99"}}));
    EXPECT_EQ(walker.done.size(), 2u);
    EXPECT_TRUE(walker.m_walks.empty());
}

TEST_F(WalkerAgentTest, EndOfTheConnectionSilencesBothWalkers) {
    CollectingWalker single;
    TaggedWalker multi;
    ASSERT_TRUE(single.Connect(0));
    ASSERT_TRUE(multi.Connect(0));
    single.SetOid(1, "1.3.6.1.2.1.16.6.2.1.3");
    multi.SetOid(1, "1.3.6.1.2.1.16.6.2.1.3");
    single.SetTargetNode(1);
    single.StartWalk("");
    multi.Start(1, 0x1);
    ksdb::EndConnections(0);
    EXPECT_EQ(single.m_connection, 0u);
    EXPECT_EQ(single.m_nodeTable, 0u);
    EXPECT_EQ(multi.m_requestTable, 0u);
    EXPECT_EQ(multi.m_walks.size(), 1u);
    multi.Start(1, 0x2);
    Drain();
    EXPECT_TRUE(single.rows.empty());
    EXPECT_TRUE(single.done.empty());
    EXPECT_TRUE(multi.rows.empty());
    EXPECT_TRUE(multi.done.empty());
}

TEST_F(WalkerAgentTest, DisconnectReleasesWalksInFlight) {
    TaggedWalker walker;
    ASSERT_TRUE(walker.Connect(0));
    walker.SetOid(1, "1.3.6.1.2.1.16.6.2.1.3");
    walker.Start(1, 0x1);
    walker.Start(2, 0x2);
    walker.Disconnect();
    EXPECT_TRUE(walker.m_walks.empty());
    Drain();
    EXPECT_TRUE(walker.rows.empty());
    EXPECT_TRUE(walker.done.empty());
}

} // namespace
