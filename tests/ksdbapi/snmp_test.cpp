// Requests through net-snmp against real agents: the demo probe of the test fixture
// (nodes file in $TESSARAN_NODES, port in TESSARAN_PROBE_DIR/port) and a closed port.
#include "host/ksdbapi/ksdb_host.h"
#include "tests/ksdbapi/db_client.h"
#include "tests/ksdbapi/memory_fixture.h"
#include "tests/support/snmpwalk_reader.h"

#include <QTimer>

#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A loopback UDP socket on a free port; the caller closes it (a closed port) or keeps it
// open without ever reading (an agent that does not answer).
int BoundSocket(int& port) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

class SnmpTest : public testing::Test {
  protected:
    void SetUp() override { ksdb::ResetDatabase(); }
    void TearDown() override { ksdb::ResetDatabase(); }
};

} // namespace

TEST_F(SnmpTest, WalkOfTheMatrixColumnsMatchesSnmpwalk) {
    const std::string port = ProbePort(TESSARAN_PROBE_DIR);
    ASSERT_FALSE(port.empty()) << "the demo_probe fixture did not run";
    std::vector<std::vector<WalkedVariable>> expected;
    for (const std::string& column : kMatrixColumns) {
        expected.push_back(Snmpwalk("127.0.0.1:" + port, column));
    }
    ASSERT_GT(expected[0].size(), 100u);

    DbClient client;
    DbHandle node = DbFindRecord(client.m_nodes, 1);
    ASSERT_EQ(Text(node, FLD_NAME), "demo-probe");
    int error = -1;
    std::vector<DbClient::Row> rows = client.Walk(1, kMatrixColumns, &error);
    EXPECT_EQ(error, 0);
    ASSERT_EQ(rows.size(), expected[0].size());
    for (size_t row = 0; row < rows.size(); ++row) {
        for (size_t column = 0; column < kMatrixColumns.size(); ++column) {
            ASSERT_LT(row, expected[column].size());
            EXPECT_EQ(rows[row].names[column], expected[column][row].name);
            EXPECT_EQ(rows[row].values[column], expected[column][row].value);
        }
    }
}

// Time-out 200 ms, one retry: the answer must come within 400 ms and some slack, with
// the event loop running meanwhile.
TEST_F(SnmpTest, AgentThatDoesNotAnswerGivesAnErrorWhileTheEventLoopRuns) {
    int closedPort = 0, silentPort = 0;
    close(BoundSocket(closedPort));
    int silent = BoundSocket(silentPort);
    std::string path = testing::TempDir() + "ksdbapi_closed_nodes";
    std::ofstream(path) << "5 127.0.0.1:" << closedPort << " 2c public 200 1 closed\n"
                        << "6 127.0.0.1:" << silentPort << " 1 public 200 1 silent\n";
    ASSERT_TRUE(ksdb::LoadNodes(path));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);

    DbClient client;
    for (uint32_t node : {5u, 6u}) {
        DbHandle record = client.NewRequest(DB_REQ_GET, node, {"1.3.6.1.2.1.1.5.0"});
        ticks = 0;
        ASSERT_TRUE(client.PostAndWait(record)) << "no answer within the bound, node " << node;
        int error = DbGetInt(record, FLD_REQ_ERROR);
        // A closed port may answer at once through ICMP; a silent agent only times out.
        EXPECT_TRUE(error == KSDB_ERR_TIMEOUT || (node == 5 && error == KSDB_ERR_UNREACHABLE))
            << error << " node " << node;
        EXPECT_GT(ticks, 3) << "the event loop was blocked, node " << node;
        EXPECT_EQ(Text(record, FLD_VAR_NAME), "1.3.6.1.2.1.1.5.0");
    }
    close(silent);
}
