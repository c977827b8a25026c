// CPU cost of one live graph of 20 series (Utilization of 20 conversations) with an hour
// of points: one poll (request built, answered by the in-memory agent, counters turned
// into points, lines replaced) and one redraw of the chart into an image. Two baselines
// run beside them: a bare get of the same 21 variables through the host database, and Qt
// Charts' own chart of the same lines at the same size, nothing of ours in it.
// At the end the run prints poll plus redraw against the 1 ms target and each ratio.
#include "host/graphs/graph_chart.h"
#include "host/graphs/graph_engine.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/core/timer_clock.h"
#include "platform/core/window_private.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"

#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>

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

void Render(benchmark::State& state, QWidget* widget) {
    QImage image(widget->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        widget->render(&painter);
    }
}

void BM_RedrawGraphOf20Series(benchmark::State& state) {
    Render(state, platform::WindowWidget(TheBench().chart));
}

// Qt Charts alone: the graph's drawn lines (the same points) as one-pixel lines with the
// default axes and legend, 800 x 500.
void BM_BaselineQtChartOfTheSameLines(benchmark::State& state) {
    auto* graph = static_cast<QChartView*>(platform::WindowWidget(TheBench().chart));
    QChartView view;
    view.resize(800, 500);
    auto* chart = new QChart;
    for (QAbstractSeries* drawn : graph->chart()->series()) {
        auto* series = new QLineSeries;
        series->replace(static_cast<QLineSeries*>(drawn)->points());
        series->setName(drawn->name());
        chart->addSeries(series);
        QPen pen = series->pen();
        pen.setWidth(1); // as the graph draws them
        series->setPen(pen);
    }
    chart->createDefaultAxes();
    view.setChart(chart);
    view.show();
    PlatformApp::PumpMessages();
    Render(state, &view);
}

// Prints as the console does and keeps each benchmark's CPU time (the median when
// repeated) for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name.empty() || run.aggregate_name == "median") {
                m_microseconds[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }

    void PrintSummary() const {
        const double poll = Time("BM_PollGraphOf20Series");
        const double redraw = Time("BM_RedrawGraphOf20Series");
        const double get = Time("BM_BaselineGetOf21Variables");
        const double qtChart = Time("BM_BaselineQtChartOfTheSameLines");
        if (poll <= 0 || redraw <= 0 || get <= 0 || qtChart <= 0) {
            return;
        }
        std::printf("poll + redraw: %.3f ms (target 1 ms)\n", (poll + redraw) / 1000);
        std::printf("poll / bare get of the same variables: %.1fx\n", poll / get);
        std::printf("redraw / Qt Charts' own chart of the same lines: %.2fx\n", redraw / qtChart);
    }

  private:
    double Time(const char* name) const {
        auto found = m_microseconds.find(name);
        return found == m_microseconds.end() ? 0 : found->second;
    }

    std::map<std::string, double> m_microseconds;
};

} // namespace

BENCHMARK(BM_BaselineGetOf21Variables)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_PollGraphOf20Series)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_BaselineQtChartOfTheSameLines)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();
BENCHMARK(BM_RedrawGraphOf20Series)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PlatformApp::Init(argc, argv);
    TimerClock::UseManualClock(true);
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
