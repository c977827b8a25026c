// The engine end to end under the manual clock: a posted graph record becomes a chart
// window, its polls reach the in-memory agent, and counters become points.
#include "tests/graphs/graph_fixture.h"
#include "tests/support/comma_locale.h"

#include "host/graphs/graph_chart.h"
#include "host/ksdbapi/oid_text.h"
#include "hostapi/ksdb_codes.h"
#include "platform/core/timer_clock.h"
#include "platform/core/window_private.h"
#include "platform/toolkit/platform_app.h"

#include <cmath>
#include <fstream>
#include <sstream>

namespace {

bool IsGap(double value) {
    return std::isnan(value);
}

std::vector<std::string> Names(const ksdb::SnmpRequest& request) {
    std::vector<std::string> names;
    for (const ksdb::SnmpVarBind& var : request.vars) {
        names.push_back(ksdb::FormatOid(var.name));
    }
    return names;
}

} // namespace

TEST_F(GraphFixture, PostedRecordGetsChildChartWindowBeforePostReturns) {
    SetCounters(1, 10, 1000, 0);
    HWND chart = PostGraph({{Instance(1), "a->b", kBytes}}, "Bytes for probe");
    ASSERT_TRUE(IsWindow(chart));
    EXPECT_EQ(GetParent(chart), m_parent.m_hWnd);
    auto* widget = dynamic_cast<GraphChart*>(platform::WindowWidget(chart));
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->chart()->title(), "Bytes for probe");

    // The plug-in places the graph like any child window.
    MoveWindow(chart, -2, -2, 302, 202, TRUE);
    EXPECT_EQ(widget->geometry(), QRect(-2, -2, 302, 202));
}

TEST_F(GraphFixture, UnusableParentGivesNoWindow) {
    m_parent.DestroyWindow();
    EXPECT_EQ(PostGraph({{Instance(1), "a->b", kBytes}}), nullptr);
    EXPECT_TRUE(m_engine->Graphs().empty());
}

TEST_F(GraphFixture, ChartIsDestroyedWithItsParentAndPollingStops) {
    SetCounters(1, 10, 1000, 0);
    HWND chart = PostGraph({{Instance(1), "a->b", kBytes}});
    Tick();
    const size_t polls = m_requests.size();
    EXPECT_EQ(polls, 2u);
    m_parent.DestroyWindow();
    EXPECT_FALSE(IsWindow(chart));
    EXPECT_TRUE(m_engine->Graphs().empty());
    Tick();
    Tick();
    EXPECT_EQ(m_requests.size(), polls);
}

// One get per interval: sysUpTime.0, then each variable the expressions name at each
// series' instance, once even when two series share it.
TEST_F(GraphFixture, PollIsOneGetWithUptimeAndEveryNamedVariable) {
    SetCounters(1, 10, 1000, 1);
    SetCounters(2, 20, 2000, 2);
    PostGraph({{Instance(1), "Packets", kPackets},
               {Instance(1), "Errors", kErrors},
               {Instance(2), "Rate", kErrorRate}});
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].kind, DB_REQ_GET);
    const std::string pkts = "1.3.6.1.2.1.16.6.2.1.4.", errors = "1.3.6.1.2.1.16.6.2.1.6.";
    EXPECT_EQ(
        Names(m_requests[0]),
        (std::vector<std::string>{"1.3.6.1.2.1.1.3.0", pkts + Instance(1), errors + Instance(1),
                                  errors + Instance(2), pkts + Instance(2)}));
    Tick();
    EXPECT_EQ(m_requests.size(), 2u);
}

TEST_F(GraphFixture, FirstSampleCollectsThenEachIntervalGivesAPoint) {
    SetCounters(1, 100, 1000000, 0);
    HWND chart = PostGraph({{Instance(1), "a->b", kUtilization}});
    auto* widget = dynamic_cast<GraphChart*>(platform::WindowWidget(chart));
    EXPECT_FALSE(History().HasValues());
    EXPECT_TRUE(widget->IsCollecting());

    SetCounters(1, 200, 1000000 + 62500, 0); // 62,500 bytes in 5 s: 100 kbit/s of 10 Mbit/s
    Tick(500);
    EXPECT_EQ(Values(0), std::vector<double>{1.0});
    EXPECT_FALSE(widget->IsCollecting());
    SetCounters(1, 300, 1000000 + 62500 + 125000, 0);
    Tick(250); // the agent's own interval counts, not the poll's
    EXPECT_EQ(Values(0), (std::vector<double>{1.0, 4.0}));
    EXPECT_EQ(History().Points(0)[1].interval, 250u);
}

TEST_F(GraphFixture, Counter32WrapAddsTwoToThe32) {
    SetCounters(1, 0, 4294967196u, 0);
    PostGraph({{Instance(1), "a->b", kBytes}});
    SetCounters(1, 0, 50, 0);
    Tick();
    EXPECT_EQ(Values(0), std::vector<double>{150});
}

TEST_F(GraphFixture, AgentRestartGivesGapThenPointsResume) {
    SetCounters(1, 0, 5000, 0);
    PostGraph({{Instance(1), "a->b", kBytes}});
    SetCounters(1, 0, 6000, 0);
    Tick();
    // Restarted: uptime and counters begin again; the lower counter is no wrap.
    SetUptime(300);
    SetCounters(1, 0, 40, 0);
    TimerClock::Advance(kIntervalMs);
    PlatformApp::PumpMessages();
    SetCounters(1, 0, 90, 0);
    Tick();
    const std::vector<double> values = Values(0);
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0], 1000);
    EXPECT_TRUE(IsGap(values[1]));
    EXPECT_EQ(values[2], 50);
}

// Half a second is a usable interval (--graph-interval 0.5): only answers closer than a
// tenth of a second give a gap.
TEST_F(GraphFixture, ZeroIntervalGivesGapKeepsTheBaselineHalfASecondGivesAPoint) {
    SetCounters(1, 0, 1000, 0);
    PostGraph({{Instance(1), "a->b", kUtilization}});
    SetCounters(1, 0, 1000 + 62500, 0);
    Tick(0); // the agent's uptime did not move
    EXPECT_FALSE(History().HasValues());
    SetCounters(1, 0, 1000 + 6250, 0);
    Tick(50); // half a second since the kept baseline: 100 kbit/s of 10 Mbit/s
    const std::vector<double> values = Values(0);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_TRUE(IsGap(values[0]));
    EXPECT_DOUBLE_EQ(values[1], 1.0);
}

TEST_F(GraphFixture, ErrorRateOfZeroPacketsIsAGapNeverNaNOrInfinity) {
    SetCounters(1, 100, 1000, 0);
    SetCounters(2, 100, 1000, 0);
    PostGraph({{Instance(1), "idle", kErrorRate}, {Instance(2), "busy", kErrorRate}});
    SetCounters(1, 100, 1000, 0); // no packets: 0/0
    SetCounters(2, 300, 1000, 5);
    Tick();
    SetCounters(1, 100, 1000, 3); // errors without packets: 3/0
    SetCounters(2, 500, 1000, 5);
    Tick();
    EXPECT_EQ(History().ValueCount(0), 0);
    EXPECT_EQ(History().Points(0).size(), 2u) << "every interval counts, with or without a value";
    EXPECT_EQ(Values(1), (std::vector<double>{2.5, 0}));
}

TEST_F(GraphFixture, VanishedInstanceGapsOnlyItsSeries) {
    SetCounters(1, 0, 1000, 0);
    SetCounters(2, 0, 1000, 0);
    PostGraph({{Instance(1), "stays", kBytes}, {Instance(2), "goes", kBytes}});
    SetCounters(1, 0, 2000, 0);
    SetCounters(2, 0, 1500, 0);
    Tick();
    RemoveConversation(2);
    SetCounters(1, 0, 3000, 0);
    Tick();
    EXPECT_EQ(Values(0), (std::vector<double>{1000, 1000}));
    const std::vector<double> gone = Values(1);
    ASSERT_EQ(gone.size(), 2u);
    EXPECT_EQ(gone[0], 500);
    EXPECT_TRUE(IsGap(gone[1]));
}

// A time-out breaks every line, and so does a value that is no unsigned number (an INTEGER
// -1 was read as 2^64-1); the next answer is a new baseline, so no interval that spans the
// failure is drawn.
TEST_F(GraphFixture, TimeoutOrNegativeValueGivesGapAndNextAnswerIsABaseline) {
    using Fault =
        std::function<void(const ksdb::NodeConfig&, const ksdb::SnmpRequest&, ksdb::SnmpAnswer&)>;
    const Fault faults[] = {
        [](const ksdb::NodeConfig&, const ksdb::SnmpRequest&, ksdb::SnmpAnswer& answer) {
            answer = {KSDB_ERR_TIMEOUT, {}};
        },
        [](const ksdb::NodeConfig&, const ksdb::SnmpRequest&, ksdb::SnmpAnswer& answer) {
            for (ksdb::SnmpVarBind& var : answer.vars) {
                if (var.value.type == ksdb::kAsnCounter32) {
                    var.value = ksdb::SnmpValue::Number(ksdb::kAsnInteger, -1);
                }
            }
        },
    };
    for (size_t graph = 0; graph < std::size(faults); ++graph) {
        SetCounters(1, 0, 1000, 0);
        PostGraph({{Instance(1), "a->b", kBytes}});
        SetCounters(1, 0, 2000, 0);
        Tick();
        m_fault = faults[graph];
        SetCounters(1, 0, 3000, 0);
        Tick();
        m_fault = nullptr;
        SetCounters(1, 0, 4000, 0);
        Tick();
        SetCounters(1, 0, 4100, 0);
        Tick();
        const std::vector<double> values = Values(0, graph);
        ASSERT_EQ(values.size(), 3u) << graph;
        EXPECT_EQ(values[0], 1000) << graph;
        EXPECT_TRUE(IsGap(values[1])) << graph;
        EXPECT_EQ(values[2], 100) << graph;
    }
}

TEST_F(GraphFixture, TooBigSplitsTheSeriesOverSmallerRequests) {
    for (int n = 1; n <= 4; ++n) {
        SetCounters(n, 0, 1000, 0);
    }
    std::vector<SeriesSpec> series;
    for (int n = 1; n <= 4; ++n) {
        series.push_back({Instance(n), "s" + std::to_string(n), kBytes});
    }
    m_fault = [](const ksdb::NodeConfig&, const ksdb::SnmpRequest& request,
                 ksdb::SnmpAnswer& answer) {
        if (request.vars.size() > 3) {
            answer = {1 /* tooBig */, request.vars};
        }
    };
    PostGraph(series);
    // 5 variables refused, then two requests of uptime + 2 series.
    ASSERT_EQ(m_requests.size(), 3u);
    EXPECT_EQ(m_requests[1].vars.size(), 3u);
    EXPECT_EQ(m_requests[2].vars.size(), 3u);
    EXPECT_EQ(Graph().Poller().RequestCount(), 2);
    for (int n = 1; n <= 4; ++n) {
        SetCounters(n, 0, 1000 + 10 * n, 0);
    }
    Tick();
    EXPECT_EQ(m_requests.size(), 5u);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(Values(n), std::vector<double>{10.0 * (n + 1)}) << n;
    }
}

TEST_F(GraphFixture, PollsSkippedWhileAnAnswerIsOutstanding) {
    SetCounters(1, 0, 1000, 0);
    PostGraph({{Instance(1), "a->b", kBytes}});
    // Two intervals pass before the answer is delivered: only one poll goes out.
    SetUptime(m_uptime + 500);
    TimerClock::Advance(kIntervalMs);
    TimerClock::Advance(kIntervalMs);
    PlatformApp::PumpMessages();
    EXPECT_EQ(m_requests.size(), 2u);
}

TEST_F(GraphFixture, UnknownVariableLeavesItsSeriesEmptyOthersDrawn) {
    SetCounters(1, 0, 1000, 0);
    PostGraph({{Instance(1), "bad", "{noSuchColumn}"},
               {Instance(1), "bad syntax", "({matrixSDOctets}"},
               {Instance(1), "good", kBytes}});
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(m_requests[0].vars.size(), 2u);
    SetCounters(1, 0, 1700, 0);
    Tick();
    EXPECT_TRUE(History().Points(0).empty());
    EXPECT_TRUE(History().Points(1).empty());
    EXPECT_EQ(Values(2), std::vector<double>{700});
}

TEST_F(GraphFixture, OnlyTheLastHourIsKept) {
    SetCounters(1, 0, 0, 0);
    PostGraph({{Instance(1), "a->b", kBytes}});
    const int polls = 60 * 60 / 5 + 20;
    for (int i = 1; i <= polls; ++i) {
        SetCounters(1, 0, static_cast<uint32_t>(i), 0);
        Tick();
    }
    const std::deque<GraphPoint>& points = History().Points(0);
    EXPECT_LE(points.size(), 721u);
    EXPECT_GE(points.size(), 719u);
    EXPECT_LE(points.back().timeMs - points.front().timeMs, GraphHistory::kKeptMs);
}

TEST_F(GraphFixture, ChartSavesPngAndCsv) {
    SetCounters(1, 0, 1000, 0);
    SetCounters(2, 0, 1000, 0);
    HWND chart =
        PostGraph({{Instance(1), "one, quoted \"", kBytes}, {Instance(2), "two \"b\"", kBytes}});
    auto* widget = dynamic_cast<GraphChart*>(platform::WindowWidget(chart));
    MoveWindow(chart, 0, 0, 320, 200, TRUE);
    SetCounters(1, 0, 3000, 0);
    RemoveConversation(2);
    Tick();

    const std::string csv = testing::TempDir() + "graph.csv";
    ASSERT_TRUE(widget->Save(csv, GraphChart::SaveFormat::Csv));
    std::ifstream in(csv);
    std::stringstream text;
    text << in.rdbuf();
    const std::string lines = text.str();
    EXPECT_EQ(lines.substr(0, lines.find('\n')), "time,\"one, quoted \"\"\",\"two \"\"b\"\"\"");
    EXPECT_NE(lines.find("Z,2000,\n"), std::string::npos) << lines;

    const std::string png = testing::TempDir() + "graph.png";
    ASSERT_TRUE(widget->Save(png, GraphChart::SaveFormat::Png));
    QImage image(QString::fromStdString(png));
    EXPECT_EQ(image.size(), QSize(320, 200));
}

// $TESSARAN_GRAPH_INTERVAL and --graph-interval are seconds with a point, in every locale:
// under a decimal comma "2.5" still means two and a half seconds, and "2,5" is no number.
TEST_F(CommaLocaleTest, GraphIntervalKeepsItsPoint) {
    EXPECT_EQ(GraphEngine::ParseInterval("2.5"), 2500u);
    EXPECT_EQ(GraphEngine::ParseInterval("0.5"), 500u);
    EXPECT_EQ(GraphEngine::ParseInterval("0.1"), GraphEngine::kMinIntervalMs);
    EXPECT_EQ(GraphEngine::ParseInterval("2,5"), 0u);
    EXPECT_EQ(GraphEngine::ParseInterval("86400.5"), 0u);
    EXPECT_EQ(GraphEngine::ParseInterval("-1"), 0u);
    EXPECT_EQ(GraphEngine::ParseInterval(""), 0u);
}
