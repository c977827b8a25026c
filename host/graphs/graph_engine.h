// The host's graph engine. Registered with the host database, it turns every graph record
// (table 12) that a plug-in posts into a live chart window inside FLD_GRAPH_PARENT, whose
// handle the record's FLD_GRAPH_WINDOW holds when DbPostRecord returns. Each graph is
// polled on a timer of its window (so it stops when the window is destroyed, and a test's
// manual clock drives it) through the host database's asynchronous requests.
//
// One engine at a time: the poll timers find it through a static pointer.
#pragma once

#include "host/graphs/live_graph.h"
#include "host/ksdbapi/record.h"

#include <memory>
#include <vector>

class GraphEngine {
  public:
    static constexpr UINT kDefaultIntervalMs = 5000;
    static constexpr UINT kMinIntervalMs = 500;

    // The poll interval of $TESSARAN_GRAPH_INTERVAL (seconds, fractions allowed), else the
    // default; never below the minimum.
    static UINT IntervalFromEnvironment();
    // The interval in milliseconds of a text in seconds, 0 when it is not a number.
    static UINT ParseInterval(const char* seconds);

    // hostContext: the host context of the engine's database connections.
    GraphEngine(uintptr_t hostContext, UINT intervalMs);
    // Unregisters; graphs still open stop polling and their windows stay empty.
    ~GraphEngine();
    GraphEngine(const GraphEngine&) = delete;
    GraphEngine& operator=(const GraphEngine&) = delete;

    // Registers with the host database: graph records posted from now on get graphs.
    void Install();
    UINT Interval() const { return m_intervalMs; }
    // The graphs whose windows are alive, oldest first.
    std::vector<const LiveGraph*> Graphs() const;
    // Milliseconds since the epoch, following the platform's timer clock.
    int64_t Now() const;

  private:
    uint32_t OnGraphPosted(const ksdb::GraphDefinition& definition);
    static void CALLBACK OnPollTimer(HWND hWnd, UINT message, UINT_PTR id, DWORD time);
    static void OnWindowDestroyed(const LiveGraph* graph);
    LiveGraph* Find(HWND hWnd) const;

    uintptr_t m_hostContext;
    UINT m_intervalMs;
    int64_t m_epochAtStart;
    DWORD m_tickAtStart;
    std::vector<std::unique_ptr<LiveGraph>> m_graphs;
};
