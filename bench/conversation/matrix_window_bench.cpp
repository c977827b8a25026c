// One polling pass of CMatrixWindow against a real agent over UDP: for 4 and 10 hosts,
// the walks the pass starts, the SNMP requests it sends, the time until its last walk
// ends, and the longest the GUI event loop went without serving a 1 ms heartbeat timer
// while the pass ran (the longest a user would have waited for the window to react).
//
// Graphs beside the walks: two Bytes pair graphs poll every second for a minute, first
// alone (the baseline), then while the window polls 10 hosts (a pass every 5 s, walks
// piling up while the agent is slower than that); gaps are intervals whose poll brought
// no point, with the ratio of the points to the baseline's.
//
// The agent is the first node of the nodes file in $TESSARAN_NODES, for example the demo
// probe: bash scripts/demo_probe.sh start --static --port 0 --dir /tmp/p, then
// TESSARAN_NODES=/tmp/p/nodes build/bin/matrix_window_bench. Its hosts are the first
// distinct sources and destinations of its matrix table with index 1.
#include "common/hex_digit.h"
#include "conversation/matrix_window.h"
#include "host/graphs/graph_poller.h"
#include "host/ksdbapi/ksdb_host.h"
#include "host/ksdbapi/net_snmp_transport.h"
#include "host/ksdbapi/read_ahead_transport.h"
#include "platform/framework/resource.h"
#include "platform/toolkit/platform_app.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>

extern "C" const RESOURCETABLE ModuleResourceTable;

namespace {

// matrixSDIndex, matrixSDSourceAddress and matrixSDDestAddress.
const char kIndexColumn[] = "1.3.6.1.2.1.16.6.2.1.3";
const char kSourceColumn[] = "1.3.6.1.2.1.16.6.2.1.1";
const char kDestinationColumn[] = "1.3.6.1.2.1.16.6.2.1.2";
constexpr int kHeartbeatMs = 1;

// The real transport, counting the requests that go out on the wire: it sits below the
// get-bulk read-ahead, as the default transport does, so get-next answered from kept
// repetitions costs no request.
class CountingTransport : public ksdb::Transport {
  public:
    void Send(uint64_t ticket, const ksdb::NodeConfig& node, const ksdb::SnmpRequest& request,
              ksdb::AnswerSink& sink) override {
        ++m_requests;
        m_inner.Send(ticket, node, request, sink);
    }
    void Cancel(uint64_t ticket) override { m_inner.Cancel(ticket); }

    uint64_t m_requests = 0;

  private:
    ksdb::NetSnmpTransport m_inner;
};

// Reads the matrix table's index, source and destination columns, one row at a time.
struct HostReader {
    DbHandle table = 0;
    DbHandle record = 0;
    size_t wanted = 0;
    std::vector<std::string> hosts;
    std::vector<std::pair<std::string, std::string>> pairs; // of the first rows
    bool done = false;

    void Note(const std::string& address) {
        if (hosts.size() < wanted &&
            std::find(hosts.begin(), hosts.end(), address) == hosts.end()) {
            hosts.push_back(address);
        }
    }
    static int OnNotify(uintptr_t datum, int table, int event, uint32_t) {
        auto* reader = reinterpret_cast<HostReader*>(datum);
        if (table == DB_TABLE_REQUESTS && event == DB_EVENT_ANSWERED) {
            reader->OnAnswer();
        }
        return 1;
    }
    std::string Var(int index, int field) {
        char text[256] = "";
        DbSetInt(record, FLD_VAR_INDEX, index);
        DbGetText(record, field, text, sizeof text);
        return text;
    }
    void OnAnswer() {
        if (DbGetInt(record, FLD_REQ_ERROR) != 0 ||
            Var(1, FLD_VAR_NAME).rfind(kIndexColumn, 0) != 0 || Var(1, FLD_VAR_VALUE) != "1" ||
            hosts.size() >= wanted) {
            done = true;
            return;
        }
        Note(Var(2, FLD_VAR_VALUE));
        Note(Var(3, FLD_VAR_VALUE));
        pairs.emplace_back(Var(2, FLD_VAR_VALUE), Var(3, FLD_VAR_VALUE));
        DbSetInt(record, FLD_TYPE, DB_REQ_GET_NEXT);
        DbPostRecord(record);
    }
};

HostReader ReadHosts(size_t count) {
    HostReader reader;
    reader.wanted = count;
    const DbHandle connection =
        DbConnect(0, &HostReader::OnNotify, reinterpret_cast<uintptr_t>(&reader));
    reader.table = DbOpenTable(connection, DB_TABLE_REQUESTS);
    reader.record = DbNewRecord(reader.table);
    DbSetInt(reader.record, FLD_TYPE, DB_REQ_GET_NEXT);
    DbSetInt(reader.record, FLD_REQ_OPTION, 2);
    DbSetInt(reader.record, FLD_REQ_TARGET, 1);
    const char* const columns[] = {kIndexColumn, kSourceColumn, kDestinationColumn};
    for (int i = 0; i < 3; ++i) {
        DbSetInt(reader.record, FLD_VAR_INDEX, i + 1);
        DbSetText(reader.record, FLD_VAR_OID, columns[i], -1);
        DbSetText(reader.record, FLD_VAR_INSTANCE, "", 0);
    }
    DbPostRecord(reader.record);
    while (!reader.done) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    DbFreeRecord(reader.record);
    DbDisconnect(connection);
    return reader;
}

void BM_PollingPass(benchmark::State& state) {
    const size_t hostCount = static_cast<size_t>(state.range(0));
    auto counting = std::make_unique<CountingTransport>();
    CountingTransport* transport = counting.get();
    ksdb::SetTransport(std::make_unique<ksdb::ReadAheadTransport>(std::move(counting)));
    const std::vector<std::string> hosts = ReadHosts(hostCount).hosts;
    if (hosts.size() < hostCount) {
        state.SkipWithError("no agent, or too few hosts in its matrix table (see TESSARAN_NODES)");
        return;
    }
    std::vector<std::string> names;
    for (size_t i = 0; i < hosts.size(); ++i) {
        names.push_back("host-" + std::to_string(i));
    }

    SECMDIFrameWnd frame;
    frame.Create(nullptr, "Bench", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 600));
    auto* window = new CMatrixWindow(1, names, hosts, "1", nullptr);
    window->Create(nullptr, "Hi there!", 0x50CF0000, CRect(0, 0, 400, 300), &frame);
    window->Connect(0);

    QElapsedTimer beat;
    qint64 longestStallMs = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestStallMs = std::max(longestStallMs, beat.restart() - kHeartbeatMs);
    });
    heartbeat.start(kHeartbeatMs);

    double walks = 0, requests = 0, seconds = 0;
    for (auto _ : state) {
        const uint64_t before = transport->m_requests;
        QElapsedTimer pass;
        pass.start();
        beat.start();
        window->RequestAllPairs();
        walks += static_cast<double>(window->GetWalkCount());
        while (window->GetWalkCount() != 0) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        seconds += pass.nsecsElapsed() / 1e9;
        requests += static_cast<double>(transport->m_requests - before);
    }
    heartbeat.stop();
    const double passes = static_cast<double>(state.iterations());
    state.counters["walks"] = walks / passes;
    state.counters["requests"] = requests / passes;
    state.counters["pass_ms"] = seconds / passes * 1000;
    state.counters["longest_stall_ms"] = static_cast<double>(longestStallMs);
    frame.DestroyWindow();
    ksdb::SetTransport(nullptr);
}

BENCHMARK(BM_PollingPass)->Arg(4)->Arg(10)->Iterations(3)->Unit(benchmark::kMillisecond);

// "00 17 A4 6B 7F 32" as an instance's address arcs: "0.23.164.107.127.50".
std::string DottedAddress(const std::string& hex) {
    std::string dotted;
    for (size_t at = 0; at + 1 < hex.size(); at += 3) {
        const int byte = HexDigit(hex[at]) * 16 + HexDigit(hex[at + 1]);
        dotted += (dotted.empty() ? "" : ".") + std::to_string(byte);
    }
    return dotted;
}

struct GraphTally {
    int intervals = 0;
    int points = 0;
};

// Two one-series Bytes graphs of the first two conversations, polled every kGraphMs for
// `seconds`; an interval counts a point when the graph's poll of it was answered with
// values before the next one was due.
GraphTally PollGraphs(const HostReader& table, int seconds) {
    constexpr int kGraphMs = 1000;
    GraphTally tally;
    std::vector<std::unique_ptr<GraphPoller>> graphs;
    std::vector<int> sampled(2, 0);
    for (size_t i = 0; i < 2; ++i) {
        GraphPoller::Series series{1,
                                   "1.6." + DottedAddress(table.pairs[i].first) + ".6." +
                                       DottedAddress(table.pairs[i].second),
                                   {"matrixSDOctets"}};
        graphs.push_back(std::make_unique<GraphPoller>(
            0, std::vector<GraphPoller::Series>{series},
            [&sampled, i](int, const SeriesSample* sample) { sampled[i] += sample != nullptr; },
            [] {}));
    }
    QElapsedTimer clock;
    clock.start();
    for (int tick = 0; tick <= seconds * 1000 / kGraphMs; ++tick) {
        while (clock.elapsed() < tick * kGraphMs) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        for (size_t i = 0; i < graphs.size(); ++i) {
            if (tick > 0) {
                ++tally.intervals;
                tally.points += sampled[i] > 0;
            }
            sampled[i] = 0;
            graphs[i]->Poll();
        }
    }
    return tally;
}

void BM_GraphsWhileTheWindowWalks(benchmark::State& state) {
    constexpr size_t kHosts = 10;
    constexpr int kSeconds = 60;
    const HostReader table = ReadHosts(kHosts);
    if (table.hosts.size() < kHosts || table.pairs.size() < 2) {
        state.SkipWithError("no agent, or too few hosts in its matrix table (see TESSARAN_NODES)");
        return;
    }
    std::vector<std::string> names;
    for (size_t i = 0; i < table.hosts.size(); ++i) {
        names.push_back("host-" + std::to_string(i));
    }
    GraphTally alone, walking;
    for (auto _ : state) {
        alone = PollGraphs(table, kSeconds);
        SECMDIFrameWnd frame;
        frame.Create(nullptr, "Bench", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 600));
        auto* window = new CMatrixWindow(1, names, table.hosts, "1", nullptr);
        window->Create(nullptr, "Hi there!", 0x50CF0000, CRect(0, 0, 400, 300), &frame);
        window->StartPolling();
        window->RequestAllPairs();
        walking = PollGraphs(table, kSeconds);
        state.counters["walks_left"] = static_cast<double>(window->GetWalkCount());
        frame.DestroyWindow();
    }
    state.counters["intervals"] = walking.intervals;
    state.counters["gaps_alone"] = alone.intervals - alone.points;
    state.counters["gaps_walking"] = walking.intervals - walking.points;
    state.counters["points_ratio"] =
        alone.points ? static_cast<double>(walking.points) / alone.points : 0;
}

BENCHMARK(BM_GraphsWhileTheWindowWalks)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    PlatformApp::Init(argc, argv);
    platform::RegisterModuleResources(GetModuleHandle(nullptr), &ModuleResourceTable);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
