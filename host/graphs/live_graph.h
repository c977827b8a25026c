// One graph on screen: its definition, the chart window, the poller, and per series the
// expression and the sampler that turn samples into points of the history.
#pragma once

#include "host/graphs/graph_chart.h"
#include "host/graphs/graph_definition.h"
#include "host/graphs/graph_history.h"
#include "host/graphs/graph_poller.h"
#include "host/graphs/series_expression.h"
#include "host/graphs/series_sampler.h"
#include "platform/core/win32_types.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class LiveGraph {
  public:
    // clock: milliseconds since the epoch, the time a poll is stamped with; intervalMs: the
    // poll interval, which the value axis names for counts.
    LiveGraph(GraphDefinition definition, uintptr_t hostContext, std::function<int64_t()> clock,
              unsigned intervalMs);
    ~LiveGraph();

    // Makes the chart window, a child of the definition's parent. onDestroy runs when that
    // window is destroyed. Answers its handle, NULL if the parent is not a window.
    HWND Open(std::function<void()> onDestroy);
    // Sends one poll (skipped while the last one is still out) and drops points older than
    // an hour.
    void Poll();

    HWND Window() const { return m_window; }
    const GraphDefinition& Definition() const { return m_definition; }
    const GraphHistory& History() const { return *m_history; }
    GraphChart* Chart() const { return m_chart; }
    const GraphPoller& Poller() const { return *m_poller; }

  private:
    void OnSample(int series, const SeriesSample* sample);

    GraphDefinition m_definition;
    std::function<int64_t()> m_clock;
    std::vector<std::unique_ptr<SeriesExpression>> m_expressions;
    std::vector<SeriesSampler> m_samplers;
    std::shared_ptr<GraphHistory> m_history;
    std::unique_ptr<GraphPoller> m_poller;
    QPointer<GraphChart> m_chart;
    HWND m_window = nullptr;
    unsigned m_intervalMs;
    int64_t m_pollTimeMs = 0; // the time of the poll whose answers are coming in
};
