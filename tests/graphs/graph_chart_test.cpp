// What a person reads on a chart: axis titles with units, round ticks, legends that fit,
// distinct colours, the hover readout and the collecting text, drawn from a history filled
// here (no engine, no agent).
#include "host/graphs/axis_titles.h"
#include "host/graphs/graph_chart.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGraphicsTextItem>
#include <QLineSeries>
#include <QMouseEvent>
#include <QToolTip>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>

namespace {

constexpr int64_t kStartMs = 1700000000000;
constexpr int64_t kIntervalMs = 5000;
constexpr char kPercent[] = "100 * (800*{matrixSDOctets}/({$time}*10000000))";

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
                                    ValueAxisTitles valueTitles = {"Bytes per 5 s", "Bytes"}) {
    auto chart = std::make_unique<GraphChart>("Graph", valueTitles, std::move(history));
    chart->resize(size);
    chart->show();
    PlatformApp::PumpMessages();
    return chart;
}

QValueAxis* ValueAxis(const GraphChart& chart) {
    return static_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).at(0));
}

// Pixels of the chart drawn in a colour.
int PixelsOf(GraphChart& chart, QColor color) {
    const QImage image = chart.grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == color;
        }
    }
    return count;
}

// The pointer moved to `at` as the window system reports it.
void MoveMouse(GraphChart& chart, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, chart.viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart.viewport(), &move);
    PlatformApp::PumpMessages();
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
    EXPECT_EQ(chart->ValueAxisTitleShown(), "Bytes per 5 s (K)");
    EXPECT_FALSE(axis->labelFormat().contains('K'));
}

// Steps of 1, 2 and 5 at the edge: a maximum that the steps reach exactly keeps that step;
// a low plot takes fewer steps.
TEST(GraphChart, TickStepsAtExactMultiples) {
    const struct {
        double maximum;
        int maxSteps;
        double step;
    } cases[] = {
        {6, 6, 1},       {6.001, 6, 2},  {12, 6, 2},     {12.001, 6, 5}, {30, 6, 5},
        {30.001, 6, 10}, {60, 6, 10},    {60.01, 6, 20}, {1.2, 6, 0.2},  {3000, 6, 500},
        {3001, 6, 1000}, {30, 3, 10},    {30.01, 3, 20}, {4, 2, 2},      {4.01, 2, 5},
        {10, 1, 10},     {10.01, 1, 20},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(GraphChart::TickStep(c.maximum, c.maxSteps), c.step)
            << c.maximum << " in " << c.maxSteps;
    }
}

// The time axis takes no more ticks than labels fit, the fewest steps of round minutes
// that span the values, and a minute in seconds while two labels in seconds fit.
TEST(GraphChart, TimeTicksAreAsManyAsFitAndRoundMinutes) {
    constexpr qint64 kNoon = 1700049600000; // 12:00 UTC
    constexpr qint64 kMinute = 60000;
    const struct {
        qint64 first, last;
        int secondsFit, minutesFit;
        qint64 start, end; // minutes after noon
        int ticks;
        bool seconds;
    } cases[] = {
        {10000, 10000, 9, 9, 0, 1, 5, true},
        {10000, 50000, 4, 6, 0, 1, 3, true},
        {10000, 10000, 2, 3, 0, 1, 2, true},
        {10000, 10000, 1, 2, 0, 1, 2, false},
        {10000, 10000, 0, 0, 0, 1, 2, false},
        {10000, 5 * kMinute + 10000, 9, 9, 0, 6, 7, false},
        {10000, 5 * kMinute + 10000, 9, 4, 0, 6, 4, false},
        {10000, 5 * kMinute + 10000, 9, 2, 0, 10, 2, false},
        {10000, 60 * kMinute + 10000, 9, 7, 0, 75, 6, false},
        {10000, 60 * kMinute + 10000, 9, 3, 0, 120, 3, false},
        {59000, 61000, 9, 9, 0, 2, 3, false}, // a minute's turn: two minutes
    };
    for (const auto& c : cases) {
        const GraphChart::TimeScale scale =
            GraphChart::TimeScaleFor(kNoon + c.first, kNoon + c.last, c.secondsFit, c.minutesFit);
        EXPECT_EQ(scale, (GraphChart::TimeScale{kNoon + c.start * kMinute, kNoon + c.end * kMinute,
                                                c.ticks, c.seconds}))
            << c.first << " " << c.last << " " << c.secondsFit << " " << c.minutesFit << ": "
            << (scale.endMs - kNoon) / kMinute << " min, " << scale.ticks << " ticks";
    }
}

TEST(GraphChart, ValueAxisTitleSaysTheUnitAndTheInterval) {
    const struct {
        std::vector<std::string> expressions;
        unsigned intervalMs;
        const char* title;
        const char* brief;
    } cases[] = {
        {{"100 * (800*{matrixSDOctets}/({$time}*10000000))"}, 5000, "Per cent", "%"},
        {{"({matrixSDErrors}/{matrixSDPkts})*100", "({x}/{y}) * 100"}, 5000, "Per cent", "%"},
        {{"{matrixSDOctets}", "{matrixSDOctets}"}, 5000, "Bytes per 5 s", "Bytes"},
        {{"{matrixSDPkts}", "{matrixSDErrors}"},
         500,
         "Packets and Errors per 0.5 s",
         "Packets and Errors"},
        {{"{ifInDiscards}"}, 60000, "ifInDiscards per 60 s", "ifInDiscards"},
        {{"{matrixSDPkts}", "{matrixSDErrors}*100"}, 5000, "", ""}, // counts and per cent
        {{"{matrixSDOctets}*8"}, 5000, "", ""},
        {{"{a}{b}"}, 5000, "", ""},
        {{}, 5000, "", ""},
    };
    for (const auto& c : cases) {
        const ValueAxisTitles titles = ValueAxisTitle(c.expressions, c.intervalMs);
        EXPECT_EQ(titles.full, c.title) << c.title;
        EXPECT_EQ(titles.brief, c.brief) << c.title;
    }
    setenv("LANGUAGE", "zh_CN", 1);
    EXPECT_EQ(ValueAxisTitle({"{matrixSDOctets}"}, 5000).full,
              QString::fromUtf8("字节（每 5 秒）"));
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

// Over the legend of an elided text the tooltip gives the whole text, and keeps it while the
// pointer moves on the legend; a legend shown whole gets none.
TEST(GraphChart, HoveringAnElidedLegendShowsItsWholeText) {
    const std::string longLegend = "fileserver.engineering.example -> printer-2f.floor2.example";
    auto chart = ChartOf(HistoryOf({"short", longLegend}, {}), QSize(500, 300));
    const QPoint elided = chart->LegendRect(1).center();
    ASSERT_NE(chart->LegendLabel(1), QString::fromStdString(longLegend));
    ASSERT_GE(elided.x(), 0);
    for (QPoint at : {elided, elided + QPoint(2, 1), elided + QPoint(-3, 0)}) {
        MoveMouse(*chart, at);
        EXPECT_TRUE(QToolTip::isVisible()) << at.x();
        EXPECT_EQ(QToolTip::text(), QString::fromStdString(longLegend));
        EXPECT_EQ(chart->ToolTipAt(at), QString::fromStdString(longLegend));
    }
    const QPoint whole = chart->LegendRect(0).center();
    MoveMouse(*chart, whole);
    EXPECT_TRUE(chart->ToolTipAt(whole).isEmpty());
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

// A value with no neighbour to draw a line to shows as a dot: the first value of a series
// (the words are gone by then) and a value between two gaps. The legends' markers have the
// lines' colours too: only what the plot adds counts.
TEST(GraphChart, AValueWithoutALineShowsAsADot) {
    constexpr int kDotPixels = 9;
    auto history = HistoryOf({"a->b", "c->d"}, {});
    auto chart = ChartOf(history, QSize(400, 300));
    const QColor first = chart->LineColor(0), second = chart->LineColor(1);
    const int firstMarker = PixelsOf(*chart, first), secondMarker = PixelsOf(*chart, second);
    history->AddValue(0, kStartMs, 10, 500);
    chart->Redraw();
    EXPECT_FALSE(chart->IsCollecting());
    EXPECT_GE(PixelsOf(*chart, first) - firstMarker, kDotPixels) << "the first value";
    history->AddValue(1, kStartMs, 4, 500);
    history->AddGap(1, kStartMs + kIntervalMs);
    history->AddValue(1, kStartMs + 2 * kIntervalMs, 6, 500);
    history->AddGap(1, kStartMs + 3 * kIntervalMs);
    chart->Redraw();
    EXPECT_GE(PixelsOf(*chart, second) - secondMarker, 2 * kDotPixels) << "values between gaps";
}

// Texts Qt Charts cut to fit ("22:1...", "Per ...") that show; empty when none is cut.
QStringList CutTexts(const GraphChart& chart) {
    QStringList cut;
    for (QGraphicsItem* item : chart.scene()->items()) {
        const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
        if (text && text->isVisible() && text->toPlainText().contains("...")) {
            cut.append(text->toPlainText());
        }
    }
    return cut;
}

// Tiled small, a chart shows fewer ticks, briefer titles and legends cut once in the middle,
// never a text cut to dots; under zh_CN the per-cent title shows whole over ticks 0 and 1.
TEST(GraphChart, SmallChartsShowNoTextCutToDots) {
    const std::vector<std::string> legends = {"XEROX_12:34:56->fileserver", "gateway->printer-2f",
                                              "build-01->Intel_aa:57:05"};
    const struct {
        QSize size;
        int values;     // one every 5 s
        double maximum; // of the first series
        const char* language;
        const char* title;
    } cases[] = {
        {{290, 230}, 7, 40, "", "%"},          {{290, 230}, 60, 40, "", "%"},
        {{200, 160}, 7, 4000, "", "% (K)"},    {{900, 600}, 7, 0, "zh_CN", "百分比"},
        {{290, 230}, 7, 1, "zh_CN", "百分比"}, {{600, 400}, 7, 1, "", "Per cent"},
    };
    for (const auto& c : cases) {
        setenv("LANGUAGE", c.language, 1);
        std::vector<std::vector<double>> values(3);
        for (int i = 0; i < c.values; ++i) {
            values[0].push_back(c.maximum * (i + 1) / c.values);
        }
        const std::vector<std::string> percent = {kPercent};
        auto chart = ChartOf(HistoryOf(legends, values), c.size, ValueAxisTitle(percent, 5000));
        chart->Redraw();
        PlatformApp::PumpMessages();
        EXPECT_EQ(CutTexts(*chart).join(" ").toStdString(), "")
            << c.size.width() << " " << c.values << " " << c.language;
        EXPECT_EQ(chart->ValueAxisTitleShown().toStdString(), c.title) << c.size.width();
        for (int series = 0; series < 3; ++series) {
            EXPECT_LE(chart->LegendLabel(series).count(QChar(0x2026)), 1);
        }
    }
    unsetenv("LANGUAGE");
}

// A save that cannot be written is told with the file and the reason; both formats.
TEST(GraphChart, AFailedSaveNamesTheFileAndTheReason) {
    auto chart = ChartOf(HistoryOf({"a->b"}, {{1, 2}}), QSize(300, 200));
    for (auto format : {GraphChart::SaveFormat::Png, GraphChart::SaveFormat::Csv}) {
        platform::ClearMessageBoxRecords();
        const std::string path = testing::TempDir() + "no-such-folder/graph1";
        EXPECT_FALSE(chart->Save(path, format));
        ASSERT_EQ(platform::MessageBoxRecords().size(), 1u);
        EXPECT_EQ(platform::MessageBoxRecords()[0].text,
                  "Cannot write " + path + ": No such file or directory");
        EXPECT_EQ(platform::MessageBoxRecords()[0].caption, "Save graph");
    }
    platform::ClearMessageBoxRecords();
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
