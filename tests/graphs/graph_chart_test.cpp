// What a person reads on a chart: axis titles with units, round ticks, legends that fit,
// distinct colours, the hover readout and the collecting text, drawn from a history filled
// here (no engine, no agent).
#include "host/graphs/axis_titles.h"
#include "host/graphs/graph_chart.h"
#include "platform/toolkit/platform_app.h"

#include <QFontMetrics>
#include <QLineSeries>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>

namespace {

constexpr int64_t kStartMs = 1700000000000;
constexpr int64_t kIntervalMs = 5000;

std::shared_ptr<GraphHistory> HistoryOf(const std::vector<std::string>& legends,
                                        const std::vector<std::vector<double>>& values) {
    auto history = std::make_shared<GraphHistory>(legends);
    for (size_t series = 0; series < values.size(); ++series) {
        for (size_t i = 0; i < values[series].size(); ++i) {
            history->AddValue(static_cast<int>(series), kStartMs + kIntervalMs * int64_t(i),
                              values[series][i], 500);
        }
    }
    return history;
}

// A chart laid out at a size, as the plug-in's MoveWindow leaves it.
std::unique_ptr<GraphChart> ChartOf(std::shared_ptr<GraphHistory> history, QSize size,
                                    const QString& valueTitle = "Bytes per 5 s") {
    auto chart = std::make_unique<GraphChart>("Graph", valueTitle, std::move(history));
    chart->resize(size);
    chart->show();
    PlatformApp::PumpMessages();
    return chart;
}

QValueAxis* ValueAxis(const GraphChart& chart) {
    return static_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).at(0));
}

} // namespace

TEST(GraphChart, UnitLettersByMagnitude) {
    const std::pair<double, const char*> cases[] = {
        {0, ""},    {999, ""},  {1000, "K"}, {999999, "K"},
        {1e6, "M"}, {5e8, "M"}, {1e9, "G"},  {4e12, "G"},
    };
    for (const auto& [maximum, letter] : cases) {
        QString unit;
        const double divisor = GraphChart::UnitFor(maximum, unit);
        EXPECT_EQ(unit, letter) << maximum;
        EXPECT_EQ(divisor, unit.isEmpty() ? 1 : unit == "K" ? 1e3 : unit == "M" ? 1e6 : 1e9);
    }
}

// Ticks at 0, 5, 10 ... (never 6.25, 18.75); the unit letter goes in the title, so that no
// tick reads "0 K".
TEST(GraphChart, ValueTicksAreRoundStepsAndTheUnitLetterIsInTheTitle) {
    const std::pair<double, double> steps[] = {{0, 1},      {-3, 1},     {1, 0.2},  {7, 2},
                                               {21.3, 5},   {25, 5},     {100, 20}, {999, 200},
                                               {1001, 200}, {4.5e6, 1e6}};
    for (const auto& [maximum, step] : steps) {
        EXPECT_DOUBLE_EQ(GraphChart::TickStep(maximum), step) << maximum;
    }
    auto chart = ChartOf(HistoryOf({"a->b"}, {{4000, 21300, 9000}}), QSize(600, 400));
    QValueAxis* axis = ValueAxis(*chart);
    EXPECT_EQ(axis->tickType(), QValueAxis::TicksDynamic);
    EXPECT_EQ(axis->tickAnchor(), 0);
    EXPECT_DOUBLE_EQ(axis->tickInterval(), 5);
    EXPECT_EQ(axis->min(), 0);
    EXPECT_DOUBLE_EQ(axis->max(), 25);
    EXPECT_EQ(axis->titleText(), "Bytes per 5 s (K)");
    EXPECT_FALSE(axis->labelFormat().contains('K'));
}

TEST(GraphChart, ValueAxisTitleSaysTheUnitAndTheInterval) {
    const struct {
        std::vector<std::string> expressions;
        unsigned intervalMs;
        const char* title;
    } cases[] = {
        {{"100 * (800*{matrixSDOctets}/({$time}*10000000))"}, 5000, "Per cent"},
        {{"({matrixSDErrors}/{matrixSDPkts})*100", "({x}/{y}) * 100"}, 5000, "Per cent"},
        {{"{matrixSDOctets}", "{matrixSDOctets}"}, 5000, "Bytes per 5 s"},
        {{"{matrixSDPkts}", "{matrixSDErrors}"}, 500, "Packets and Errors per 0.5 s"},
        {{"{ifInDiscards}"}, 60000, "ifInDiscards per 60 s"},
        {{"{matrixSDPkts}", "{matrixSDErrors}*100"}, 5000, ""}, // counts and per cent
        {{"{matrixSDOctets}*8"}, 5000, ""},
        {{"{a}{b}"}, 5000, ""},
        {{}, 5000, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ValueAxisTitle(c.expressions, c.intervalMs), c.title) << c.title;
    }
    setenv("LANGUAGE", "zh_CN", 1);
    EXPECT_EQ(ValueAxisTitle({"{matrixSDOctets}"}, 5000), QString::fromUtf8("字节（每 5 秒）"));
    EXPECT_EQ(TimeAxisTitle(), QString::fromUtf8("时间"));
    unsetenv("LANGUAGE");
}

TEST(GraphChart, LegendsElideInTheMiddleWithTheWholeTextInATooltip) {
    const std::string longLegend = "fileserver.engineering.example -> printer-2f.floor2.example";
    std::vector<std::string> legends(8, "short");
    legends[3] = longLegend;
    auto chart = ChartOf(HistoryOf(legends, {}), QSize(800, 500));
    const QString label = chart->LegendLabel(3);
    EXPECT_NE(label, QString::fromStdString(longLegend));
    EXPECT_TRUE(label.contains(QChar(0x2026))) << label.toStdString();
    EXPECT_TRUE(label.startsWith("file")) << label.toStdString();
    EXPECT_TRUE(label.endsWith("example")) << label.toStdString();
    const QFontMetrics metrics(chart->chart()->legend()->font());
    EXPECT_LE(metrics.horizontalAdvance(label), 800 / 4);
    EXPECT_EQ(chart->LegendToolTip(3), QString::fromStdString(longLegend));
    EXPECT_EQ(chart->LegendLabel(0), "short");
}

TEST(GraphChart, TwentySeriesGetTwentyDistinctColours) {
    std::vector<std::string> legends;
    for (int n = 0; n < GraphChart::kDistinctColors; ++n) {
        legends.push_back("series " + std::to_string(n));
    }
    auto chart = ChartOf(HistoryOf(legends, {}), QSize(600, 400));
    std::set<QRgb> colours;
    for (int n = 0; n < GraphChart::kDistinctColors; ++n) {
        colours.insert(chart->LineColor(n).rgb());
    }
    EXPECT_EQ(colours.size(), size_t(GraphChart::kDistinctColors));
}

TEST(GraphChart, HoverReadsTheNearestPointWithinAFewPixels) {
    auto chart =
        ChartOf(HistoryOf({"a->b", "c->d"}, {{10, 20, 30, 40}, {5, 5, 5, 5}}), QSize(600, 400));
    const QPointF third(double(kStartMs + 2 * kIntervalMs), 30);
    const QPointF at = chart->ViewPosition(third);
    const QString readout = chart->ReadoutAt((at + QPointF(3, -2)).toPoint());
    EXPECT_TRUE(readout.startsWith("a->b\n")) << readout.toStdString();
    EXPECT_TRUE(readout.endsWith("  30")) << readout.toStdString();
    EXPECT_TRUE(chart->ReadoutAt((at + QPointF(0, 20)).toPoint()).isEmpty());
    const QPointF low = chart->ViewPosition(QPointF(double(kStartMs + kIntervalMs), 5));
    EXPECT_TRUE(chart->ReadoutAt(low.toPoint()).startsWith("c->d\n"));
}

// The words sit in the middle of the plot: while they show, no grid line runs through them.
TEST(GraphChart, CollectingShowsNoGrid) {
    auto history = HistoryOf({"a->b"}, {});
    auto chart = ChartOf(history, QSize(600, 400));
    ASSERT_TRUE(chart->IsCollecting());
    for (QAbstractAxis* axis : chart->chart()->axes()) {
        EXPECT_FALSE(axis->isGridLineVisible());
    }
    history->AddValue(0, kStartMs, 1, 500);
    chart->Redraw();
    EXPECT_FALSE(chart->IsCollecting());
    for (QAbstractAxis* axis : chart->chart()->axes()) {
        EXPECT_TRUE(axis->isGridLineVisible());
    }
}

// Texts are kept as pictures between paints: after the axes, the legends or the size
// changed, a chart must draw what a new chart of the same history draws.
TEST(GraphChart, RedrawnChartDrawsAsANewOne) {
    std::vector<std::string> legends;
    for (int n = 0; n < 6; ++n) {
        legends.push_back("host-" + std::to_string(n) + " -> printer-2f.floor2.example");
    }
    auto history = HistoryOf(legends, {{10, 100, 30}, {4, 5, 6}}); // ticks 0, 20 ... 100
    auto chart = ChartOf(history, QSize(500, 350));
    chart->grab();
    history->AddValue(0, kStartMs + 100 * kIntervalMs, 250000, 500); // 0, 50 ... 250 K
    chart->Redraw();
    PlatformApp::PumpMessages();
    EXPECT_TRUE(chart->grab().toImage() == ChartOf(history, QSize(500, 350))->grab().toImage());
    chart->resize(600, 400);
    PlatformApp::PumpMessages();
    EXPECT_TRUE(chart->grab().toImage() == ChartOf(history, QSize(600, 400))->grab().toImage());
}
