// A walk of a large matrix table through the host library, the walker and the Matrix
// view, against the in-memory agent: the first walk of a node appends every row, a
// refresh walk finds every row again and updates its counters. The baseline is a bare
// walker that reads the same answers and keeps nothing, so the ratio is the view's
// own cost per conversation. The clock is manual, so the table's 25 ms repaint never
// runs inside the measurement; painting does not depend on the number of rows.
#include "graphwnd/graph_window_maker.h"
#include "host/ksdbapi/ksdb_host.h"
#include "host/ksdbapi/oid_text.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"
#include "table/ksc_table.h"
#include "tests/support/memory_transport.h"
#include "view/matrix_view.h"
#include "walker/mib_walker.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>

namespace {

// Conversations with distinct keys: sources and destinations from a counter.
std::shared_ptr<ksdb::MemoryAgent> MatrixAgent(int conversations) {
    auto agent = std::make_shared<ksdb::MemoryAgent>();
    for (int i = 0; i < conversations; ++i) {
        std::string source("\x00\xA0\xC9\x00\x00\x00", 6);
        std::string destination("\x00\x00\x0C\x00\x00\x00", 6);
        const uint32_t peer = (static_cast<uint32_t>(i) * 7919u) & 0xFFFFFF;
        for (int b = 0; b < 3; ++b) {
            source[5 - b] = static_cast<char>(i >> (8 * b));
            destination[5 - b] = static_cast<char>(peer >> (8 * b));
        }
        agent->AddConversation(1 + i % 2, source, destination, i * 3, i * 700, i % 5);
    }
    ksdb::Oid after;
    ksdb::ParseOid("1.3.6.1.2.1.16.7.1.1.1.1", after);
    agent->Set(after, ksdb::SnmpValue::Number(ksdb::kAsnInteger, 1));
    return agent;
}

void Serve(int conversations) {
    static int served = -1;
    if (served == conversations) {
        return;
    }
    ksdb::ResetDatabase();
    const std::string nodes = std::string(TESSARAN_BENCH_BINARY_DIR) + "/bench_nodes";
    std::ofstream(nodes) << "1 10.0.0.1 2c public 1000 1 bench-one\n"
                            "2 10.0.0.2 2c public 1000 1 bench-two\n";
    ksdb::LoadNodes(nodes);
    auto transport = std::make_unique<ksdb::MemoryTransport>();
    transport->SetDefaultAgent(MatrixAgent(conversations));
    ksdb::SetTransport(std::move(transport));
    served = conversations;
}

void WaitIdle(const CMibWalker& walker) {
    while (walker.GetPendingRequest() != 0) {
        PlatformApp::PumpMessages();
    }
}

// No popup menu, no name conversion and no conversation window: the walk alone is
// measured.
class NoServices : public ViewHost {
  public:
    CMenu* PopupMenu() override { return nullptr; }
    void ConvertAddress(int, uint32_t*, const char*, char*, intptr_t) override {}
    ConversationWindow* NewConversationWindow(uint32_t, const std::vector<std::string>&,
                                              const std::vector<std::string>&, const char*,
                                              CWnd*) override {
        return nullptr;
    }
    GraphWindowFactory& GraphWindows() override { return m_graphWindows; }

  private:
    GraphWindowMaker m_graphWindows;
};

// The view in a tab window of a frame, as the host shows it.
struct BenchHost {
    BenchHost() : view(services) {
        frame.Create(nullptr, "Bench", WS_OVERLAPPEDWINDOW, CRect(0, 0, 800, 600));
        tabs.Create(&frame, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL);
        view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &tabs,
                    IDC_MATRIX_VIEW);
        view.SetTabIndex(tabs.AddTab(&view, "Matrix"));
    }
    ~BenchHost() {
        view.CloseView();
        view.DestroyWindow();
        tabs.DestroyWindow();
        frame.DestroyWindow();
    }
    NoServices services;
    SECMDIFrameWnd frame;
    SECTabWnd tabs;
    CMatrixView view;
};

void ReportRows(benchmark::State& state, int rowsPerIteration) {
    state.counters["rows"] = rowsPerIteration;
    state.counters["rows_per_second"] = benchmark::Counter(
        static_cast<double>(rowsPerIteration) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

// A node change: the table is emptied and every conversation is appended.
void BM_ViewFirstWalk(benchmark::State& state) {
    const int conversations = static_cast<int>(state.range(0));
    Serve(conversations);
    BenchHost host;
    uint32_t node = 1;
    for (auto _ : state) {
        host.view.ChangeNode(node);
        WaitIdle(host.view);
        node = 3 - node;
    }
    if (host.view.GetTable()->Model().GetRowCount() != conversations) {
        state.SkipWithError("rows missing");
    }
    ReportRows(state, conversations);
}

// The refresh every ten seconds: every conversation is found again and updated.
void BM_ViewRefreshWalk(benchmark::State& state) {
    const int conversations = static_cast<int>(state.range(0));
    Serve(conversations);
    BenchHost host;
    host.view.ChangeNode(1);
    WaitIdle(host.view);
    for (auto _ : state) {
        host.view.RefreshWalk();
        WaitIdle(host.view);
    }
    if (host.view.GetTable()->Model().GetRowCount() != conversations) {
        state.SkipWithError("rows added by a refresh");
    }
    ReportRows(state, conversations);
}

// Baseline: the same walk through the host library and the walker, keeping nothing.
class CountingWalker : public CMibWalker {
  public:
    int OnWalkRow(DbHandle) override {
        ++rows;
        return TRUE;
    }
    int rows = 0;
};

void BM_BareWalk(benchmark::State& state) {
    const int conversations = static_cast<int>(state.range(0));
    Serve(conversations);
    CountingWalker walker;
    walker.Connect(0);
    static const char* const columns[] = {"1.3.6.1.2.1.16.6.2.1.3", "1.3.6.1.2.1.16.6.2.1.1",
                                          "1.3.6.1.2.1.16.6.2.1.2", "1.3.6.1.2.1.16.6.2.1.5",
                                          "1.3.6.1.2.1.16.6.2.1.4", "1.3.6.1.2.1.16.6.2.1.6"};
    for (int i = 0; i < 6; ++i) {
        walker.SetOid(i + 1, columns[i]);
    }
    walker.SetTargetNode(1);
    for (auto _ : state) {
        walker.rows = 0;
        walker.StartWalk("");
        WaitIdle(walker);
    }
    walker.Disconnect();
    if (walker.rows != conversations) {
        state.SkipWithError("rows missing");
    }
    ReportRows(state, conversations);
}

BENCHMARK(BM_BareWalk)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ViewFirstWalk)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ViewRefreshWalk)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    PlatformApp::Init(argc, argv);
    TimerClock::UseManualClock(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
