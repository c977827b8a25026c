#include "host/console/script/graph_commands.h"

#include "host/console/quillon_frame.h"
#include "host/graphs/graph_engine.h"
#include "platform/framework/mdi_child_wnd.h"
#include "platform/framework/sec_tab_wnd.h"

#include <QToolTip>

#include <cstdio>
#include <fstream>

namespace {

constexpr int kTabWindowId = 59648; // the framework's first pane id
constexpr double kDefaultGraphTimeoutSeconds = 60;

// The fewest points (values and gaps) any series of any open graph has; -1 without an
// open graph. Gaps count, so that a series without a value to show (an error rate with
// no packets) does not hold the wait up for ever.
int FewestValues(const GraphEngine& engine) {
    int fewest = -1;
    for (const LiveGraph* graph : engine.Graphs()) {
        const GraphHistory& history = graph->History();
        for (int series = 0; series < history.SeriesCount(); ++series) {
            const int count = static_cast<int>(history.Points(series).size());
            fewest = fewest < 0 ? count : std::min(fewest, count);
        }
    }
    return fewest;
}

std::string PointLine(const GraphPoint& point) {
    char text[96];
    if (point.gap) {
        std::snprintf(text, sizeof text, "point\t%.3f\t-\t-", point.timeMs / 1000.0);
    } else {
        std::snprintf(text, sizeof text, "point\t%.3f\t%.17g\t%u", point.timeMs / 1000.0,
                      point.value, point.interval);
    }
    return text;
}

void WriteGraph(const LiveGraph& graph, std::ostream& out) {
    out << "graph\t" << graph.Definition().title << '\n';
    for (const ksdb::GraphSeries& series : graph.Definition().series) {
        out << "series\t" << series.index << '\t' << series.legend << '\t' << series.instance
            << '\t' << series.expression << '\n';
        for (const GraphPoint& point : graph.History().Points(series.index)) {
            out << PointLine(point) << '\n';
        }
    }
}

ScriptRunner::Outcome WaitGraphs(const GraphEngine& engine, const std::vector<std::string>& args) {
    int count = 0;
    double seconds = kDefaultGraphTimeoutSeconds;
    if (args.empty() || args.size() > 2 || !ScriptRunner::ParseCount(args[0], count) ||
        (args.size() > 1 && !ScriptRunner::ParseNumber(args[1], seconds))) {
        return ScriptRunner::Failed("usage: wait-graphs N [SECONDS]");
    }
    ScriptRunner::Outcome outcome;
    outcome.until = [&engine, count] { return FewestValues(engine) >= count; };
    outcome.timeoutSeconds = seconds;
    outcome.timeoutMessage = "timed out: " + std::to_string(engine.Graphs().size()) +
                             " graphs open, waiting for " + std::to_string(count) +
                             " points per series";
    return outcome;
}

ScriptRunner::Outcome DumpGraphs(const GraphEngine& engine, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-graphs FILE");
    }
    std::ofstream out(args[0]);
    for (const LiveGraph* graph : engine.Graphs()) {
        WriteGraph(*graph, out);
    }
    return out ? ScriptRunner::Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

// Per series of every open graph whose chart shows: where its legend's label shows on the
// screen, the label as shown and the whole legend.
void WriteLegends(const LiveGraph& graph, int number, std::ostream& out) {
    const GraphChart* chart = graph.Chart();
    for (int series = 0; chart && chart->isVisible() && series < graph.History().SeriesCount();
         ++series) {
        const QRect rect = chart->LegendRect(series);
        const QPoint at = chart->mapToGlobal(rect.topLeft());
        out << "legend\t" << number << '\t' << series << '\t' << at.x() << '\t' << at.y() << '\t'
            << rect.width() << '\t' << rect.height() << '\t'
            << chart->LegendLabel(series).toStdString() << '\t'
            << chart->LegendToolTip(series).toStdString() << '\n';
    }
}

ScriptRunner::Outcome DumpLegends(const GraphEngine& engine, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-legends FILE");
    }
    std::ofstream out(args[0]);
    for (size_t graph = 0; graph < engine.Graphs().size(); ++graph) {
        WriteLegends(*engine.Graphs()[graph], static_cast<int>(graph), out);
    }
    return out ? ScriptRunner::Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

ScriptRunner::Outcome DumpToolTip(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-tooltip FILE");
    }
    std::ofstream out(args[0]);
    out << (QToolTip::isVisible() ? "tooltip\t" + QToolTip::text().toStdString() : "none") << '\n';
    return out ? ScriptRunner::Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

// The active multi-document child's tab window (pane 59648) activates the tab, telling
// the frame as a click on it would.
ScriptRunner::Outcome Tab(QuillonFrame& frame, const std::vector<std::string>& args) {
    int position = 0;
    if (args.size() != 1 || !ScriptRunner::ParseCount(args[0], position)) {
        return ScriptRunner::Failed("usage: tab N");
    }
    CMDIChildWnd* active = frame.MDIGetActive();
    CWnd* pane = active ? active->GetDlgItem(kTabWindowId) : nullptr;
    const HWND tabs = pane ? pane->GetSafeHwnd() : nullptr;
    const LRESULT count = tabs ? SendMessage(tabs, TCM_GETITEMCOUNT, 0, 0) : 0;
    if (count <= 0) {
        return ScriptRunner::Failed("the active window has no tabs");
    }
    if (SendMessage(tabs, TCM_SETCURSEL, static_cast<WPARAM>(position), 0) < 0) {
        return ScriptRunner::Failed("no tab " + args[0] + " (there are " + std::to_string(count) +
                                    ")");
    }
    return {};
}

} // namespace

void AddGraphCommands(ScriptRunner& runner, QuillonFrame& frame, const GraphEngine& engine) {
    runner.AddCommand("wait-graphs",
                      [&engine](const auto& args) { return WaitGraphs(engine, args); });
    runner.AddCommand(
        "dump-graphs", [&engine](const auto& args) { return DumpGraphs(engine, args); },
        ScriptRunner::Kind::Observes);
    runner.AddCommand(
        "dump-legends", [&engine](const auto& args) { return DumpLegends(engine, args); },
        ScriptRunner::Kind::Observes);
    runner.AddCommand("dump-tooltip", DumpToolTip, ScriptRunner::Kind::Observes);
    runner.AddCommand("tab", [&frame](const auto& args) { return Tab(frame, args); });
}
