// Message dispatch with the trace channel off (TESSARAN_TRACE unset, as by default), against
// two baselines measured in the same run: the window procedure called directly (what a
// dispatch adds around a handler), and the channel's off test alone. The ratios show what the
// channel costs every message when nobody traces.
//
//   dispatch_bench            (Google Benchmark options apply)
#include "common/trace.h"
#include "platform/framework/afx.h"
#include "platform/toolkit/platform_app.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>

namespace {

constexpr int kMessages = 100000;

// Answers WM_USER at once, so that the dispatch itself is what is timed.
class QuietWnd : public CWnd {
  public:
    LRESULT Call(UINT message, WPARAM wParam, LPARAM lParam) {
        return WindowProc(message, wParam, lParam);
    }

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        return message == WM_USER ? static_cast<LRESULT>(wParam)
                                  : CWnd::WindowProc(message, wParam, lParam);
    }
};

template <typename Body> double SecondsOf(Body body) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMessages; ++i) {
        body(i);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_DispatchTraceOff(benchmark::State& state) {
    QuietWnd window;
    if (!window.CreateEx(0, "QuietWnd", "bench", WS_OVERLAPPED, CRect(0, 0, 100, 100), nullptr,
                         0)) {
        state.SkipWithError("no window");
        return;
    }
    if (TraceOn(TraceChannel::kMsg)) {
        state.SkipWithError("TESSARAN_TRACE names msg: the channel is not off");
        return;
    }
    const HWND hwnd = window.m_hWnd;
    double dispatch = 0, direct = 0, check = 0, empty = 0;
    for (auto _ : state) {
        const double pass = SecondsOf([hwnd](int i) {
            benchmark::DoNotOptimize(SendMessage(hwnd, WM_USER, static_cast<WPARAM>(i), 0));
        });
        dispatch += pass;
        // Through a pointer the compiler cannot see into: a virtual call, as dispatch makes.
        QuietWnd* target = &window;
        benchmark::DoNotOptimize(target);
        direct += SecondsOf([target](int i) {
            benchmark::DoNotOptimize(target->Call(WM_USER, static_cast<WPARAM>(i), 0));
        });
        check += SecondsOf([](int) { benchmark::DoNotOptimize(TraceOn(TraceChannel::kMsg)); });
        empty += SecondsOf([](int i) { benchmark::DoNotOptimize(i); });
        state.SetIterationTime(pass);
    }
    const double messages = static_cast<double>(state.iterations()) * kMessages;
    state.counters["ns_dispatch"] = dispatch / messages * 1e9;
    state.counters["ns_direct"] = direct / messages * 1e9;
    state.counters["ratio_to_direct"] = dispatch / direct;
    // The off test's own cost, above an empty loop, as a share of one dispatch.
    state.counters["ns_off_test"] = std::max(0.0, check - empty) / messages * 1e9;
    state.counters["off_test_share"] = std::max(0.0, check - empty) / dispatch;
    window.DestroyWindow();
}

BENCHMARK(BM_DispatchTraceOff)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PlatformApp::Init(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
