// CPU cost of one live graph of 20 series (Utilization of 20 conversations) with an hour
// of points: one poll (request built, answered by the in-memory agent, counters turned
// into points, lines replaced) and one redraw of the chart into an image. The baseline is
// a bare get of the same 21 variables through the host database.
#include "host/graphs/graph_chart.h"
#include "host/graphs/graph_engine.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/core/timer_clock.h"
#include "platform/core/window_private.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "tests/support/memory_transport.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>

namespace {

constexpr int kSeries = 20;
constexpr UINT kIntervalMs = 5000;
constexpr int kHourOfPolls = 3600 / 5;
const ksdb::Oid kSysUpTime = {1, 3, 6, 1, 2, 1, 1, 3, 0};
const char kUtilization[] = "100 * (800*{matrixSDOctets}/({$time}*10000000))";

std::string Mac(int n) {
    return std::string("\x00\xA0\xC9\x00\x00", 5) + static_cast<char>(n);
}

std::string Instance(int n) {
    return std::to_string(n) + ".6.0.160.201.0.0." + std::to_string(n) + ".6.0.160.201.0.0." +
           std::to_string(100 + n);
}

// The database, the agent, the engine and one graph of kSeries conversations.
struct Bench {
    std::shared_ptr<ksdb::MemoryAgent> agent = std::make_shared<ksdb::MemoryAgent>();
    std::unique_ptr<GraphEngine> engine;
    CWnd parent;
    HWND chart = nullptr;
    uint32_t uptime = 1000;
    uint32_t octets = 0;

    Bench() {
        const std::string nodes = "/tmp/graph_bench_nodes";
        std::ofstream(nodes) << "1 agent 2c public 1000 1 Probe\n";
        ksdb::LoadNodes(nodes);
        auto transport = std::make_unique<ksdb::MemoryTransport>();
        transport->SetDefaultAgent(agent);
        ksdb::SetTransport(std::move(transport));
        engine = std::make_unique<GraphEngine>(1, kIntervalMs);
        engine->Install();
        parent.CreateEx(0, nullptr, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 800, 500, nullptr, nullptr);
        Advance();
        chart = PostGraph();
        MoveWindow(chart, 0, 0, 800, 500, TRUE);
        for (int i = 0; i < kHourOfPolls; ++i) {
            Tick();
        }
    }

    // Counters grow by different amounts per conversation, so that the lines differ; the
    // measured polls move the uptime only (the engine's work is the same).
    void Advance(bool counters = true) {
        uptime += 500;
        octets += 100000;
        agent->Set(kSysUpTime, ksdb::SnmpValue::Number(ksdb::kAsnTimeTicks, uptime));
        for (int n = 1; counters && n <= kSeries; ++n) {
            agent->AddConversation(n, Mac(n), Mac(100 + n), octets / 100, octets / n * (n % 3 + 1),
                                   0);
        }
    }

    void Tick(bool counters = true) {
        Advance(counters);
        TimerClock::Advance(kIntervalMs);
        PlatformApp::PumpMessages();
    }

    HWND PostGraph() {
        const DbHandle connection = DbConnect(0, nullptr, 0);
        const DbHandle graphs = DbOpenTable(connection, DB_TABLE_GRAPHS);
        const DbHandle record = DbNewRecord(graphs);
        DbSetInt(record, FLD_GRAPH_PARENT,
                 static_cast<int32_t>(reinterpret_cast<uintptr_t>(parent.m_hWnd)));
        for (int k = 0; k < kSeries; ++k) {
            DbSetInt(record, FLD_SERIES_INDEX, k);
            DbSetInt(record, FLD_SERIES_NODE, 1);
            DbSetText(record, FLD_SERIES_INSTANCE, Instance(k + 1).c_str(), -1);
            DbSetText(record, FLD_SERIES_LEGEND, ("conversation " + std::to_string(k + 1)).c_str(),
                      -1);
            DbSetText(record, FLD_SERIES_EXPRESSION, kUtilization, -1);
        }
        DbSetText(record, FLD_NAME, "Utilization for bench", -1);
        DbPostRecord(record);
        const int32_t window = DbGetInt(record, FLD_GRAPH_WINDOW);
        DbDisconnect(connection);
        return reinterpret_cast<HWND>(static_cast<uintptr_t>(window));
    }
};

Bench& TheBench() {
    static Bench* bench = new Bench; // lives to the end of the process, as the console's
    return *bench;
}

void BM_BaselineGetOf21Variables(benchmark::State& state) {
    Bench& bench = TheBench();
    const DbHandle connection = DbConnect(0, nullptr, 0);
    const DbHandle requests = DbOpenTable(connection, DB_TABLE_REQUESTS);
    const DbHandle record = DbNewRecord(requests);
    DbSetInt(record, FLD_TYPE, DB_REQ_GET);
    DbSetInt(record, FLD_REQ_TARGET, 1);
    DbSetText(record, FLD_VAR_OID, "1.3.6.1.2.1.1.3.0", -1);
    for (int n = 1; n <= kSeries; ++n) {
        DbSetInt(record, FLD_VAR_INDEX, n + 1);
        DbSetText(record, FLD_VAR_OID, "1.3.6.1.2.1.16.6.2.1.5", -1);
        DbSetText(record, FLD_VAR_INSTANCE, Instance(n).c_str(), -1);
    }
    for (auto _ : state) {
        DbPostRecord(record);
        PlatformApp::PumpMessages();
    }
    DbDisconnect(connection);
    (void)bench;
}

void BM_PollGraphOf20Series(benchmark::State& state) {
    Bench& bench = TheBench();
    for (auto _ : state) {
        bench.Tick(false);
    }
    state.counters["points"] =
        static_cast<double>(bench.engine->Graphs()[0]->History().Points(0).size());
}

void BM_RedrawGraphOf20Series(benchmark::State& state) {
    Bench& bench = TheBench();
    QWidget* widget = platform::WindowWidget(bench.chart);
    QImage image(widget->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        widget->render(&painter);
    }
}

} // namespace

BENCHMARK(BM_BaselineGetOf21Variables)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PollGraphOf20Series)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_RedrawGraphOf20Series)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PlatformApp::Init(argc, argv);
    TimerClock::UseManualClock(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
