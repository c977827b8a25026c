// The Matrix view against an agent that misbehaves on command, through the real net-snmp
// transport over UDP with its get-bulk read-ahead. Whatever the agent does, every walk
// ends, rows keep their last answered values, the walk is retried ten seconds after it
// ended, and each conversation is one row with its own values.
#include "host/ksdbapi/read_ahead_transport.h"
#include "hostapi/ksdb_codes.h"
#include "hostapi/ksdbapi.h"
#include "platform/toolkit/platform_app.h"
#include "table/ksc_table.h"
#include "tests/support/udp_agent_server.h"
#include "tests/view/view_fixture.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

namespace {

using ksdb::SnmpAnswer;
using ksdb::SnmpRequest;
using ksdb::SnmpValue;

// How long a request waits for its answer; the node asks once, without retries.
constexpr int kTimeoutMs = 300;
// Several get-bulk round trips: the read-ahead asks at most ten rows of six columns.
constexpr int kManyConversations = 30;
// matrixSDEntry and its columns.
const ksdb::Oid kEntry = {1, 3, 6, 1, 2, 1, 16, 6, 2, 1};
enum { kSourceColumn = 1, kDestinationColumn = 2, kIndexColumn = 3, kOctetsColumn = 5 };

std::string HostBytes(int host) {
    return std::string("\x00\xA0\xC9\x00\x00", 5) + static_cast<char>(host);
}

// Conversations of hosts i and i+1, in the agent's order; counters scale with `scale`.
std::vector<TestConversation> Conversations(int count, uint32_t scale) {
    std::vector<TestConversation> rows;
    for (int i = 0; i < count; ++i) {
        const uint32_t n = static_cast<uint32_t>(i + 1);
        rows.push_back({1, HostBytes(i), HostBytes(i + 1), scale * n, 100 * scale * n, scale});
    }
    return rows;
}

// A row as the test reads it: index, source and destination addresses, bytes, packets,
// errors.
using Cells = std::vector<std::string>;

Cells Expected(const TestConversation& c) {
    return {std::to_string(c.index),  AddressText(c.source),     AddressText(c.destination),
            std::to_string(c.octets), std::to_string(c.packets), std::to_string(c.errors)};
}

std::vector<Cells> Expected(const std::vector<TestConversation>& rows) {
    std::vector<Cells> cells;
    for (const TestConversation& c : rows) {
        cells.push_back(Expected(c));
    }
    return cells;
}

// The object of a matrixSDTable column at a conversation's instance.
ksdb::Oid ColumnOid(uint32_t column, const TestConversation& c) {
    ksdb::Oid name = kEntry;
    name.push_back(column);
    name.push_back(static_cast<uint32_t>(c.index));
    for (const std::string* address : {&c.source, &c.destination}) {
        name.push_back(static_cast<uint32_t>(address->size()));
        for (unsigned char byte : *address) {
            name.push_back(byte);
        }
    }
    return name;
}

// The variables asked, each with the value `type` and nothing else.
std::vector<ksdb::SnmpVarBind> EchoAs(const SnmpRequest& request, uint8_t type) {
    std::vector<ksdb::SnmpVarBind> vars;
    for (const ksdb::SnmpVarBind& var : request.vars) {
        vars.push_back({var.name, SnmpValue::Number(type, 0)});
    }
    return vars;
}

class MatrixViewFaultTest : public MatrixViewTest {
  protected:
    void SetUpHostLibrary() override {
        ASSERT_TRUE(m_server.Start());
        UseCommunity("public");
        ksdb::SetTransport(nullptr); // net-snmp behind the read-ahead
        ksdb::ReadAheadClock::UseManualClock(true);
    }
    void TearDown() override {
        MatrixViewTest::TearDown();
        ksdb::ReadAheadClock::UseManualClock(false);
    }

    void UseCommunity(const std::string& community) {
        const std::string nodes = std::string(TESSARAN_TEST_BINARY_DIR) + "/fault_nodes";
        std::ofstream(nodes) << "1 127.0.0.1:" << m_server.Port() << " 2c " << community << " "
                             << kTimeoutMs << " 0 faulty-probe\n";
        ASSERT_TRUE(ksdb::LoadNodes(nodes));
    }

    std::shared_ptr<ksdb::MemoryAgent> ServeOverUdp(const std::vector<TestConversation>& rows) {
        auto agent = MakeMatrixAgent(rows);
        m_server.SetAgent(agent);
        return agent;
    }

    // Runs the event loop until the view's walk ends; a walk still going after ten
    // seconds has hung.
    void Walk() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (m_view->GetPendingRequest() != 0 && std::chrono::steady_clock::now() < deadline) {
            PlatformApp::PumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_EQ(m_view->GetPendingRequest(), 0u) << "the walk hung";
    }

    // Rows the read-ahead kept from an earlier walk could answer this one; ten real
    // seconds between walks would have let them age out.
    static void LetReadAheadAgeOut() {
        ksdb::ReadAheadClock::Advance(
            std::chrono::milliseconds(ksdb::ReadAheadTransport::kMaxAgeMs + 1));
    }

    void Show() {
        LetReadAheadAgeOut();
        m_view->ChangeNode(1);
        ASSERT_NO_FATAL_FAILURE(Walk());
    }

    // The next walk starts ten seconds after the last one ended, not before.
    void Refresh() {
        LetReadAheadAgeOut();
        const int walks = ksdb::ActivityOf(1).walksEnded;
        TimerClock::Advance(REFRESH_INTERVAL - 1);
        PlatformApp::PumpMessages();
        ASSERT_EQ(m_view->GetPendingRequest(), 0u) << "walked again before ten seconds";
        TimerClock::Advance(1);
        ASSERT_NO_FATAL_FAILURE(Walk());
        ASSERT_EQ(ksdb::ActivityOf(1).walksEnded, walks + 1) << "no walk after ten seconds";
    }

    std::vector<Cells> Table() const {
        std::vector<Cells> rows;
        for (int row = 0; row < RowCount(); ++row) {
            const std::vector<std::string> cells = Row(row);
            rows.push_back({cells[CMatrixView::COL_INDEX], cells[CMatrixView::COL_SOURCE_ADDRESS],
                            cells[CMatrixView::COL_DESTINATION_ADDRESS],
                            cells[CMatrixView::COL_BYTES], cells[CMatrixView::COL_PACKETS],
                            cells[CMatrixView::COL_ERRORS]});
        }
        return rows;
    }

    ksdb::UdpAgentServer m_server;
};

// A fault the agent commits once, on the second request of a walk: by then the first
// rows have arrived and the rest are still to come.
struct PduFault {
    const char* name;
    std::function<bool(ksdb::MemoryAgent& agent, const SnmpRequest&, SnmpAnswer&)> commit;
};

const PduFault kPduFaults[] = {
    {"time-out", [](auto&, auto&, auto&) { return false; }},
    {"genErr status",
     [](auto&, const SnmpRequest& request, SnmpAnswer& answer) {
         answer = {5, EchoAs(request, ksdb::kAsnNull)};
         return true;
     }},
    {"tooBig",
     [](auto&, const SnmpRequest& request, SnmpAnswer& answer) {
         answer = {ksdb::kStatusTooBig, EchoAs(request, ksdb::kAsnNull)};
         return true;
     }},
    {"endOfMibView inside the table",
     [](auto&, const SnmpRequest& request, SnmpAnswer& answer) {
         answer = {0, EchoAs(request, ksdb::kAsnEndOfMibView)};
         return true;
     }},
    {"the identifiers asked, answered again",
     [](ksdb::MemoryAgent& agent, const SnmpRequest& request, SnmpAnswer& answer) {
         answer = agent.Answer({DB_REQ_GET, request.vars, 0}, 1);
         return true;
     }},
    {"identifiers that go back to the first row",
     [](ksdb::MemoryAgent& agent, SnmpRequest request, SnmpAnswer& answer) {
         for (ksdb::SnmpVarBind& var : request.vars) {
             var.name.resize(kEntry.size() + 1);
         }
         answer = agent.Answer(request, 1);
         return true;
     }},
};

TEST_F(MatrixViewFaultTest, FaultOnOneRequestEndsTheWalkWithTheRowsSoFarAndTheRetryHasAll) {
    const std::vector<Cells> all = Expected(Conversations(kManyConversations, 1));
    for (const PduFault& fault : kPduFaults) {
        SCOPED_TRACE(fault.name);
        auto agent = ServeOverUdp(Conversations(kManyConversations, 1));
        int requests = 0;
        m_server.SetFaultHook([&](const SnmpRequest& request, SnmpAnswer& answer) {
            return ++requests != 2 || fault.commit(*agent, request, answer);
        });
        ASSERT_NO_FATAL_FAILURE(Show());
        const std::vector<Cells> first = Table();
        ASSERT_GT(requests, 1);
        ASSERT_LE(first.size(), all.size());
        EXPECT_TRUE(std::equal(first.begin(), first.end(), all.begin())) << "a wrong row";
        ASSERT_NO_FATAL_FAILURE(Refresh());
        EXPECT_EQ(Table(), all);
        m_server.SetFaultHook(nullptr);
    }
}

TEST_F(MatrixViewFaultTest, AgentRestartWithCountersResetUpdatesTheSameRows) {
    const auto before = Conversations(5, 10);
    ServeOverUdp(before);
    ASSERT_NO_FATAL_FAILURE(Show());
    ASSERT_EQ(Table(), Expected(before));

    // The agent is down: the walk times out, the rows keep their last values.
    const uint16_t port = m_server.Port();
    m_server.Stop();
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Table(), Expected(before));
    EXPECT_EQ(ksdb::ActivityOf(1).lastError, KSDB_ERR_TIMEOUT);

    // Back on the same port with its counters started again from zero.
    const auto after = Conversations(5, 1);
    ServeOverUdp(after);
    ASSERT_TRUE(m_server.Start(port));
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Table(), Expected(after));
}

TEST_F(MatrixViewFaultTest, ConversationsThatVanishKeepTheirRowAndComeBackToIt) {
    const auto first = Conversations(6, 10);
    ServeOverUdp(first);
    ASSERT_NO_FATAL_FAILURE(Show());

    // Conversations 1 and 3 are gone from the agent; the others grew.
    const auto grown = Conversations(6, 20);
    ServeOverUdp({grown[0], grown[2], grown[4], grown[5]});
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Table(), Expected({grown[0], first[1], grown[2], first[3], grown[4], grown[5]}));

    // They return, with a new conversation, which gets the next row.
    auto back = Conversations(7, 30);
    ServeOverUdp(back);
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Table(), Expected(back));
}

TEST_F(MatrixViewFaultTest, MalformedValuesGiveOneRowPerConversationWalkAfterWalk) {
    auto rows = Conversations(6, 1);
    rows.push_back({2147483647, HostBytes(7), HostBytes(8), 1, 100, 0});
    auto agent = ServeOverUdp(rows);
    std::vector<Cells> expected = Expected(rows);
    // Source an INTEGER; seven bytes; destination five bytes; source empty; source 2,000
    // bytes (the cell keeps 5,119 characters of its text); a Counter64 in the octets column;
    // an index that is no number (the Index column keeps the number its text starts with).
    agent->Set(ColumnOid(kSourceColumn, rows[0]), SnmpValue::Number(ksdb::kAsnInteger, 5));
    expected[0][1] = "5";
    const std::string seven("\x01\x02\x03\x04\x05\x06\x07", 7);
    agent->Set(ColumnOid(kSourceColumn, rows[1]), SnmpValue::Octets(seven));
    expected[1][1] = AddressText(seven);
    const std::string five("\x0A\x0B\x0C\x0D\x0E", 5);
    agent->Set(ColumnOid(kDestinationColumn, rows[2]), SnmpValue::Octets(five));
    expected[2][2] = AddressText(five);
    agent->Set(ColumnOid(kSourceColumn, rows[3]), SnmpValue::Octets(""));
    expected[3][1] = "";
    const std::string huge(2000, '\x5A');
    agent->Set(ColumnOid(kSourceColumn, rows[4]), SnmpValue::Octets(huge));
    expected[4][1] = AddressText(huge).substr(0, 5119);
    agent->Set(ColumnOid(kOctetsColumn, rows[5]),
               SnmpValue::Number(ksdb::kAsnCounter64, int64_t(1) << 40));
    expected[5][3] = "1099511627776";
    agent->Set(ColumnOid(kIndexColumn, rows[6]), SnmpValue::Octets("\x41\x32\x01"));
    expected[6][0] = "41";

    ASSERT_NO_FATAL_FAILURE(Show());
    for (int walk = 0; walk < 3; ++walk) {
        ASSERT_NO_FATAL_FAILURE(Refresh());
        ASSERT_EQ(RowCount(), static_cast<int>(expected.size())) << "a row added by a walk";
    }
    EXPECT_EQ(Table(), expected);
}

// Two instances whose cells name the same conversation: one row, with the values of the
// later instance of each walk.
TEST_F(MatrixViewFaultTest, DuplicateRowsInOneWalkAreOneRow) {
    const auto rows = Conversations(3, 1);
    auto agent = ServeOverUdp(rows);
    TestConversation twin = rows[1];
    twin.source = HostBytes(1) + "\x01"; // an instance of its own, later in the walk
    for (uint32_t column = 1; column <= 6; ++column) {
        SnmpValue value = agent->Answer({DB_REQ_GET, {{ColumnOid(column, rows[1]), {}}}, 0}, 1)
                              .vars.front()
                              .value;
        if (column == kOctetsColumn) {
            value.number = 777;
        }
        agent->Set(ColumnOid(column, twin), value);
    }
    std::vector<Cells> expected = Expected(rows);
    expected[1][3] = "777";

    ASSERT_NO_FATAL_FAILURE(Show());
    EXPECT_EQ(Table(), expected);
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Table(), expected);
}

// A community the agent does not know is never answered: each walk times out, the table
// stays as it was and the walk is retried until the node's community is right.
TEST_F(MatrixViewFaultTest, WrongCommunityTimesOutAndRetriesUntilItIsRight) {
    const auto rows = Conversations(3, 1);
    ServeOverUdp(rows);
    ASSERT_NO_FATAL_FAILURE(UseCommunity("private"));
    ASSERT_NO_FATAL_FAILURE(Show());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(ksdb::ActivityOf(1).lastError, KSDB_ERR_TIMEOUT);
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(RowCount(), 0);
    EXPECT_EQ(m_server.RequestCount(), 0u);

    ASSERT_NO_FATAL_FAILURE(UseCommunity("public"));
    ASSERT_NO_FATAL_FAILURE(Refresh());
    EXPECT_EQ(Table(), Expected(rows));
}

} // namespace
