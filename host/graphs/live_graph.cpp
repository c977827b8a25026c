#include "host/graphs/live_graph.h"

#include "host/graphs/axis_titles.h"
#include "platform/core/win32.h"
#include "platform/framework/adopted_window.h"

namespace {

// The chart is the only child of the window the plug-in gave; its id is arbitrary.
constexpr UINT kGraphChartId = 1;

std::vector<std::string> Legends(const GraphDefinition& definition) {
    std::vector<std::string> legends;
    for (const GraphSeries& series : definition.series) {
        legends.push_back(series.legend);
    }
    return legends;
}

} // namespace

// An expression that does not parse leaves its series without columns: it is never polled
// and its line stays empty, while the graph's other series are drawn.
LiveGraph::LiveGraph(GraphDefinition definition, uintptr_t hostContext,
                     std::function<int64_t()> clock, unsigned intervalMs)
    : m_definition(std::move(definition)), m_clock(std::move(clock)),
      m_history(std::make_shared<GraphHistory>(Legends(m_definition))), m_intervalMs(intervalMs) {
    std::vector<GraphPoller::Series> polled;
    for (const GraphSeries& series : m_definition.series) {
        auto expression = std::make_unique<SeriesExpression>();
        std::string error;
        const bool parsed = expression->Parse(series.expression, error);
        polled.push_back({series.node, series.instance,
                          parsed ? expression->Columns() : std::vector<std::string>{}});
        m_expressions.push_back(std::move(expression));
    }
    m_poller = std::make_unique<GraphPoller>(
        hostContext, std::move(polled),
        [this](int series, const SeriesSample* sample) { OnSample(series, sample); },
        [this] {
            if (m_chart) {
                m_chart->Redraw();
            }
        });
    for (size_t series = 0; series < m_expressions.size(); ++series) {
        m_samplers.emplace_back(*m_expressions[series], m_poller->Syntaxes(int(series)));
    }
}

LiveGraph::~LiveGraph() = default;

HWND LiveGraph::Open(std::function<void()> onDestroy) {
    HWND parent = reinterpret_cast<HWND>(static_cast<uintptr_t>(m_definition.parent));
    if (!IsWindow(parent)) {
        return nullptr;
    }
    std::vector<std::string> expressions;
    for (const GraphSeries& series : m_definition.series) {
        expressions.push_back(series.expression);
    }
    auto* chart = new GraphChart(QString::fromStdString(m_definition.title),
                                 ValueAxisTitle(expressions, m_intervalMs), m_history);
    m_chart = chart;
    m_window =
        platform::AdoptWidget(chart, parent, kGraphChartId, WS_VISIBLE, std::move(onDestroy));
    return m_window;
}

void LiveGraph::Poll() {
    const int64_t now = m_clock();
    m_history->Trim(now);
    if (m_poller->Poll()) {
        m_pollTimeMs = now;
    }
}

void LiveGraph::OnSample(int series, const SeriesSample* sample) {
    if (!sample) {
        m_samplers[series].Forget();
        m_history->AddGap(series, m_pollTimeMs);
    } else {
        const SeriesSampler::Result result = m_samplers[series].Take(*sample);
        if (result.outcome == SeriesSampler::Outcome::Point) {
            m_history->AddValue(series, m_pollTimeMs, result.value, result.interval);
        } else if (result.outcome == SeriesSampler::Outcome::Gap) {
            m_history->AddGap(series, m_pollTimeMs);
        }
    }
}
