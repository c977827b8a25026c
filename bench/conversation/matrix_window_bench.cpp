// One polling pass of CMatrixWindow against a real agent over UDP: for 4 and 10 hosts,
// the walks the pass starts, the SNMP requests it sends, the time until its last walk
// ends, and the longest the GUI event loop went without serving a 1 ms heartbeat timer
// while the pass ran (the longest a user would have waited for the window to react).
//
// The agent is the first node of the nodes file in $TESSARAN_NODES, for example the demo
// probe: bash scripts/demo_probe.sh start --static --port 0 --dir /tmp/p, then
// TESSARAN_NODES=/tmp/p/nodes build/bin/matrix_window_bench. Its hosts are the first
// distinct sources and destinations of its matrix table with index 1.
#include "conversation/matrix_window.h"
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
        DbSetInt(record, FLD_TYPE, DB_REQ_GET_NEXT);
        DbPostRecord(record);
    }
};

std::vector<std::string> ReadHosts(size_t count) {
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
    return reader.hosts;
}

void BM_PollingPass(benchmark::State& state) {
    const size_t hostCount = static_cast<size_t>(state.range(0));
    auto counting = std::make_unique<CountingTransport>();
    CountingTransport* transport = counting.get();
    ksdb::SetTransport(std::make_unique<ksdb::ReadAheadTransport>(std::move(counting)));
    const std::vector<std::string> hosts = ReadHosts(hostCount);
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
        walks += static_cast<double>(window->m_walks.size());
        while (!window->m_walks.empty()) {
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

} // namespace

int main(int argc, char** argv) {
    PlatformApp::Init(argc, argv);
    platform::RegisterModuleResources(GetModuleHandle(nullptr), &ModuleResourceTable);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
