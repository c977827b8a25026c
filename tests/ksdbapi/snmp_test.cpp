// Requests through net-snmp against real agents: the demo probe of the test fixture
// (nodes file in $TESSARAN_NODES, port in TESSARAN_PROBE_DIR/port), probes the tests start
// themselves (the fast probe; snmpsimd serving a sparse table) and a closed port. Walks
// of v2c nodes read ahead with get-bulk; they must answer exactly what get-next does.
#include "host/ksdbapi/ksdb_host.h"
#include "tests/ksdbapi/db_client.h"
#include "tests/ksdbapi/memory_fixture.h"
#include "tests/support/snmpwalk_reader.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
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

// A probe of the test's own, started through scripts/demo_probe.sh in a folder of its own;
// stopped at the end.
class OwnProbe {
  public:
    explicit OwnProbe(const std::string& name) : m_dir(testing::TempDir() + name) {}
    ~OwnProbe() { Run("stop --dir " + m_dir); }

    bool Start(const std::string& options) {
        return Run("start " + options + " --dir " + m_dir + " --wait 60") == 0 && !Port().empty();
    }
    std::string Port() const {
        std::ifstream file(m_dir + "/port");
        std::string port;
        file >> port;
        return port;
    }
    // Nodes 1 (v2c), 2 (v1) and 3 (v2c, get-next only) on this probe.
    bool LoadNodes() const {
        std::string path = m_dir + "/test-nodes";
        std::string address = "127.0.0.1:" + Port();
        std::ofstream(path) << "1 " << address << " 2c public 2000 2 bulk\n"
                            << "2 " << address << " 1 public 2000 2 v1\n"
                            << "3 " << address << " 2c public 2000 2 bulk=off get-next\n";
        return ksdb::LoadNodes(path);
    }

  private:
    int Run(const std::string& arguments) const {
        std::string command = "FAST_PROBE=" TESSARAN_FAST_PROBE " bash " TESSARAN_PROBE_SCRIPT " " +
                              arguments + " >/dev/null";
        return std::system(command.c_str());
    }

    std::string m_dir;
};

void ExpectSameRows(const std::vector<DbClient::Row>& rows,
                    const std::vector<DbClient::Row>& expected) {
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row].names, expected[row].names) << "row " << row;
        EXPECT_EQ(rows[row].values, expected[row].values) << "row " << row;
    }
}

// Every column of a walk through the database against snmpwalk (get-next) of that column.
void ExpectColumnsAsSnmpwalk(const std::vector<DbClient::Row>& rows, const std::string& port,
                             const std::string& version) {
    for (size_t column = 0; column < kMatrixColumns.size(); ++column) {
        auto expected = Snmpwalk("127.0.0.1:" + port, kMatrixColumns[column], version);
        ASSERT_EQ(rows.size(), expected.size()) << "column " << column;
        for (size_t row = 0; row < rows.size(); ++row) {
            EXPECT_EQ(rows[row].names[column], expected[row].name);
            EXPECT_EQ(rows[row].values[column], expected[row].value);
        }
    }
}

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
// the event loop running meanwhile; for the SNMPv3 node too, whose engine discovery goes
// through the event loop like any request.
TEST_F(SnmpTest, AgentThatDoesNotAnswerGivesAnErrorWhileTheEventLoopRuns) {
    int closedPort = 0, silentPort = 0;
    close(BoundSocket(closedPort));
    int silent = BoundSocket(silentPort);
    std::string path = testing::TempDir() + "ksdbapi_closed_nodes";
    std::ofstream(path) << "5 127.0.0.1:" << closedPort << " 2c public 200 1 closed\n"
                        << "6 127.0.0.1:" << silentPort << " 1 public 200 1 silent\n"
                        << "7 127.0.0.1:" << silentPort
                        << " 3 operator 200 1 auth=SHA-256 authpass=auth-phrase priv=AES "
                           "privpass=priv-phrase silent-v3\n";
    ASSERT_TRUE(ksdb::LoadNodes(path));
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);

    DbClient client;
    for (uint32_t node : {5u, 6u, 7u}) {
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

// The fast probe (net-snmp's agent library) over v2c with read-ahead and over v1 with
// get-next: both walks are what snmpwalk sees.
TEST_F(SnmpTest, FastProbeWalksAsSnmpwalkOverV2cAndV1) {
    OwnProbe probe("ksdbapi_fast_probe");
    ASSERT_TRUE(probe.Start("--fast --static --conversations 700 --port 0"));
    ASSERT_TRUE(probe.LoadNodes());
    DbClient client;
    int error = -1;
    std::vector<DbClient::Row> rows = client.Walk(1, kMatrixColumns, &error);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(rows.size(), 700u);
    ExpectColumnsAsSnmpwalk(rows, probe.Port(), "2c");
    rows = client.Walk(2, kMatrixColumns, &error);
    EXPECT_EQ(error, 0);
    ExpectColumnsAsSnmpwalk(rows, probe.Port(), "1");
}

// snmpsimd serving a table with holes: some rows lack packets, the last ones errors. A
// column's variable runs ahead of the others there, as get-next makes it.
TEST_F(SnmpTest, SparseTableWalksAsGetNext) {
    std::string data = testing::TempDir() + "ksdbapi_sparse.snmprec";
    {
        std::ifstream in(TESSARAN_STATIC_DATA);
        std::ofstream out(data);
        std::string line;
        for (int number = 0; std::getline(in, line); ++number) {
            bool packets = line.rfind("1.3.6.1.2.1.16.6.2.1.4.", 0) == 0 && number % 4 == 0;
            bool errors = line.rfind("1.3.6.1.2.1.16.6.2.1.6.", 0) == 0 && number % 9 == 0;
            if (!packets && !errors) {
                out << line << '\n';
            }
        }
    }
    OwnProbe probe("ksdbapi_sparse_probe");
    ASSERT_TRUE(probe.Start("--data " + data + " --port 0"));
    ASSERT_TRUE(probe.LoadNodes());
    DbClient client;
    int error = -1;
    std::vector<DbClient::Row> expected = client.Walk(3, kMatrixColumns, &error);
    ASSERT_GT(expected.size(), 100u);
    const DbClient::Row& last = expected.back();
    EXPECT_NE(last.names[3].substr(kMatrixColumns[3].size()),
              last.names[0].substr(kMatrixColumns[0].size()))
        << "the packets column has no holes";
    ExpectSameRows(client.Walk(1, kMatrixColumns, &error), expected);
}

// The agent stops and starts again on its port in the middle of a walk; the walk goes on
// and answers what get-next answers.
TEST_F(SnmpTest, AgentRestartingMidWalk) {
    OwnProbe probe("ksdbapi_restart_probe");
    ASSERT_TRUE(probe.Start("--fast --static --conversations 600 --port 0"));
    std::string port = probe.Port();
    ASSERT_TRUE(probe.LoadNodes());
    DbClient client;
    DbHandle record = client.NewRequest(DB_REQ_GET_NEXT, 1, kMatrixColumns);
    std::vector<std::string> names;
    for (int step = 0; step < 1000 && client.PostAndWait(record); ++step) {
        DbSetInt(record, FLD_VAR_INDEX, 1);
        std::string name = Text(record, FLD_VAR_NAME);
        if (DbGetInt(record, FLD_REQ_ERROR) != 0 || name.rfind(kMatrixColumns[0], 0) != 0) {
            break;
        }
        names.push_back(name + "=" + Text(record, FLD_VAR_VALUE));
        if (step == 250) {
            ASSERT_TRUE(probe.Start("--fast --static --conversations 600 --port " + port));
        }
    }
    DbFreeRecord(record);
    int error = -1;
    std::vector<DbClient::Row> expected = client.Walk(3, kMatrixColumns, &error);
    ASSERT_EQ(names.size(), expected.size());
    for (size_t row = 0; row < names.size(); ++row) {
        EXPECT_EQ(names[row], expected[row].names[0] + "=" + expected[row].values[0]);
    }
}
