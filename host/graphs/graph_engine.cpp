#include "host/graphs/graph_engine.h"

#include "common/number_text.h"

#include "host/graphs/graph_definition.h"
#include "host/ksdbapi/ksdb_host.h"
#include "platform/core/timer_clock.h"
#include "platform/core/win32.h"

#include <QDateTime>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr UINT_PTR kPollTimer = 1;
GraphEngine* g_engine = nullptr;

} // namespace

UINT GraphEngine::ParseInterval(const char* seconds) {
    double value = 0;
    if (!seconds || !ParseWholeNumber(seconds, value) || !(value > 0) || value > 86400) {
        return 0;
    }
    return std::max(kMinIntervalMs, static_cast<UINT>(value * 1000));
}

UINT GraphEngine::IntervalFromEnvironment() {
    const UINT interval = ParseInterval(std::getenv("TESSARAN_GRAPH_INTERVAL"));
    return interval ? interval : kDefaultIntervalMs;
}

GraphEngine::GraphEngine(uintptr_t hostContext, UINT intervalMs)
    : m_hostContext(hostContext), m_intervalMs(std::max(kMinIntervalMs, intervalMs)),
      m_epochAtStart(QDateTime::currentMSecsSinceEpoch()), m_tickAtStart(TimerClock::Now()) {}

GraphEngine::~GraphEngine() {
    if (g_engine != this) {
        return;
    }
    ksdb::SetGraphEngine(nullptr);
    for (const std::unique_ptr<LiveGraph>& graph : m_graphs) {
        KillTimer(graph->Window(), kPollTimer);
    }
    g_engine = nullptr;
}

void GraphEngine::Install() {
    g_engine = this;
    ksdb::SetGraphEngine([this](const ksdb::Record& record) { return OnGraphPosted(record); });
}

int64_t GraphEngine::Now() const {
    return m_epochAtStart + static_cast<DWORD>(TimerClock::Now() - m_tickAtStart);
}

std::vector<const LiveGraph*> GraphEngine::Graphs() const {
    std::vector<const LiveGraph*> graphs;
    for (const std::unique_ptr<LiveGraph>& graph : m_graphs) {
        graphs.push_back(graph.get());
    }
    return graphs;
}

// The first poll goes out at once, so the first point comes one interval later.
uint32_t GraphEngine::OnGraphPosted(const ksdb::Record& record) {
    auto graph = std::make_unique<LiveGraph>(
        ReadGraphRecord(record), m_hostContext, [this] { return Now(); }, m_intervalMs);
    HWND window = graph->Open([raw = graph.get()] { OnWindowDestroyed(raw); });
    if (!window) {
        return 0;
    }
    m_graphs.push_back(std::move(graph));
    SetTimer(window, kPollTimer, m_intervalMs, &GraphEngine::OnPollTimer);
    m_graphs.back()->Poll();
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
}

LiveGraph* GraphEngine::Find(HWND hWnd) const {
    for (const std::unique_ptr<LiveGraph>& graph : m_graphs) {
        if (graph->Window() == hWnd) {
            return graph.get();
        }
    }
    return nullptr;
}

void CALLBACK GraphEngine::OnPollTimer(HWND hWnd, UINT, UINT_PTR, DWORD) {
    if (LiveGraph* graph = g_engine ? g_engine->Find(hWnd) : nullptr) {
        graph->Poll();
    }
}

// Polling ends with the window: its timer died with it, and its graph goes now.
void GraphEngine::OnWindowDestroyed(const LiveGraph* graph) {
    if (!g_engine) {
        return;
    }
    auto& graphs = g_engine->m_graphs;
    graphs.erase(
        std::remove_if(graphs.begin(), graphs.end(),
                       [graph](const std::unique_ptr<LiveGraph>& g) { return g.get() == graph; }),
        graphs.end());
}
