// The Matrix view's graphs: the text builders, the graph records it writes to the host's
// graph table, the single-graph and "All" frames it opens, and the pair messages of the
// conversation window.
#include "hostapi/ksmem32.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "table/ksc_table.h"
#include "tests/view/view_fixture.h"

#include <string.h>
#include <tuple>

namespace {

const std::string kHostA("\x00\xA0\xC9\x14\xC8\x29", 6);
const std::string kHostB("\x00\x00\x0C\x07\xAC\x01", 6);
const std::string kHostC("\x00\x05\x85\xC9\x65\xA5", 6);
const std::string kB = AddressText(kHostB);
const std::string kC = AddressText(kHostC);
const char kInstanceAB[] = "1.6.0.160.201.20.200.41.6.0.0.12.7.172.1";
const char kInstanceBC[] = "1.6.0.0.12.7.172.1.6.0.5.133.201.101.165";
const char kInstanceCA[] = "1.6.0.5.133.201.101.165.6.0.160.201.20.200.41";
const char kUtilization[] = "100 * (800*{matrixSDOctets}/({$time}*10000000))";
const char kPackets[] = "{matrixSDPkts}";
const char kErrors[] = "{matrixSDErrors}";

// The agent serves its rows in instance order, which is the order of the source addresses.
constexpr int kRowBC = 0;
constexpr int kRowCA = 1;
constexpr int kRowAB = 2;

// A series of a graph record: instance, legend, expression. Every series of the view
// names the node, code 174 and "on", which SeriesOf checks on the way.
using Series = std::tuple<std::string, std::string, std::string>;

std::vector<Series> SeriesOf(const ksdb::Record& record) {
    std::vector<Series> series;
    for (int row = 1; row <= record.RowCount(); ++row) {
        EXPECT_EQ(record.RowText(row, FLD_SERIES_NODE), "1");
        EXPECT_EQ(record.RowText(row, FLD_SERIES_CODE), "174");
        EXPECT_EQ(record.RowText(row, FLD_SERIES_ON), "1");
        series.emplace_back(record.RowText(row, FLD_SERIES_INSTANCE),
                            record.RowText(row, FLD_SERIES_LEGEND),
                            record.RowText(row, FLD_SERIES_EXPRESSION));
    }
    return series;
}

HWND ParentOf(const ksdb::Record& record) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(record.GetInt(FLD_GRAPH_PARENT)));
}

// A window's rectangle in its parent's client coordinates.
CRect PlacedRect(const CWnd& window) {
    CRect rect;
    window.GetWindowRect(&rect);
    window.GetParent()->ScreenToClient(&rect);
    return rect;
}

// A stand-in for the host's graph engine: every graph record gets a plain child window of
// its parent, made while the record is posted.
struct GraphEngineDouble {
    GraphEngineDouble() {
        ksdb::SetGraphEngine([this](const ksdb::GraphDefinition& definition) {
            auto graph = std::make_unique<CWnd>();
            graph->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 1, 1),
                          CWnd::FromHandle(reinterpret_cast<HWND>(
                              static_cast<intptr_t>(static_cast<int32_t>(definition.parent)))),
                          1);
            graphs.push_back(std::move(graph));
            return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(graphs.back()->m_hWnd));
        });
    }
    ~GraphEngineDouble() { ksdb::SetGraphEngine(nullptr); }
    std::vector<std::unique_ptr<CWnd>> graphs;
};

std::string WindowText(const CWnd* window) {
    std::string text;
    window->GetWindowText(text);
    return text;
}

// A list of the conversation window: two addresses per pair.
struct AddressList {
    explicit AddressList(std::initializer_list<const char*> addresses) : nodes(addresses.size()) {
        size_t i = 0;
        for (const char* address : addresses) {
            snprintf(nodes[i].address, sizeof nodes[i].address, "%s", address);
            nodes[i].next = i + 1 < nodes.size() ? &nodes[i + 1] : nullptr;
            ++i;
        }
    }
    WPARAM Head() { return reinterpret_cast<WPARAM>(&nodes[0]); }
    std::vector<AddressListNode> nodes;
};

// The index text as the sender makes it; the view frees it.
LPARAM IndexText(const char* index) {
    char* text = new char[MATRIX_INDEX_TEXT_SIZE];
    snprintf(text, MATRIX_INDEX_TEXT_SIZE, "%s", index);
    return reinterpret_cast<LPARAM>(text);
}

class MatrixGraphTest : public MatrixViewTest {
  protected:
    // Child frames keep their window state only in a frame that is shown. Three
    // conversations of index 1: A->B, B->C, C->A; A is named "alpha".
    void SetUp() override {
        MatrixViewTest::SetUp();
        m_frame->ShowWindow(SW_SHOW);
        g_testNames[AddressText(kHostA)] = "alpha";
        Serve({{1, kHostA, kHostB, 10, 1000, 1},
               {1, kHostB, kHostC, 20, 2000, 0},
               {1, kHostC, kHostA, 30, 3000, 2}});
        ShowNode(1);
        ASSERT_EQ(RowCount(), 3);
    }
    void Select(std::initializer_list<int> rows) {
        m_view->GetTable()->Model().ClearSelection();
        for (int row : rows) {
            m_view->GetTable()->Model().SelectRow(row, TRUE);
        }
    }
    // The frame's multi-document children, oldest first.
    std::vector<CMDIChildWnd*> Children() const {
        std::vector<CMDIChildWnd*> children;
        CWnd* client = CWnd::FromHandle(m_frame->m_hWndMDIClient);
        for (CWnd* child = client->GetWindow(GW_CHILD); child != nullptr;
             child = child->GetWindow(GW_HWNDNEXT)) {
            children.push_back(static_cast<CMDIChildWnd*>(child));
        }
        return children;
    }
    std::vector<std::string> Titles() const {
        std::vector<std::string> titles;
        for (CMDIChildWnd* child : Children()) {
            titles.push_back(WindowText(child));
        }
        return titles;
    }
    std::vector<const ksdb::Record*> Records() const { return ksdb::GraphRecords(); }
};

TEST_F(MatrixGraphTest, AddressToOidReadsUpperCaseHexPairs) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"00 A0 C9", ".0.160.201"},
        {"0a 1B", ".0.27"},     // lower-case digits count as 0
        {"00 A0 ", ".0.160.0"}, // an empty piece after a trailing blank
        {"F", ".240"},          // a missing second character counts as 0
        {"FF  01", ".255.0.1"}, // two blanks give an empty piece
    };
    for (const auto& [text, oid] : cases) {
        std::string converted = text;
        CMatrixView::AddressToOid(converted);
        EXPECT_EQ(converted, oid) << "\"" << text << "\"";
    }
}

// The builders read the row they are given, whichever rows are selected.
TEST_F(MatrixGraphTest, TextBuildersWorkOnTheRowTheyAreGiven) {
    Select({kRowBC, kRowAB});
    EXPECT_EQ(m_view->CollectSelectedRows(), (std::vector<int>{kRowBC, kRowAB}));
    EXPECT_EQ(m_view->BuildInstance(kRowAB), kInstanceAB);
    EXPECT_EQ(m_view->BuildInstance(kRowCA), kInstanceCA);
    EXPECT_EQ(m_view->BuildLegend(kRowAB, "Bytes", LEGEND_SERIES), "Bytes");
    EXPECT_EQ(m_view->BuildLegend(kRowAB, "Bytes", LEGEND_PAIR), "alpha->" + kB);
    EXPECT_EQ(m_view->BuildLegend(kRowCA, "Bytes", LEGEND_SERIES_AND_PAIR),
              "Bytes  (" + kC + "->alpha)");
    EXPECT_EQ(m_view->BuildGraphTitle(GRAPH_ERRORS, 0, kRowAB), "Errors for probe-one");
    EXPECT_EQ(m_view->BuildGraphTitle(static_cast<GraphCategory>(9), 0, kRowAB),
              "UnknownCategory for probe-one");
    EXPECT_EQ(m_view->BuildGraphTitle(GRAPH_BYTES, LEGEND_PAIR, kRowBC),
              "Bytes for probe-one - " + kB + "->" + kC);
    // Empty names read "Unavailable", in labels and titles.
    m_view->GetTable()->Model().SetRowText(kRowAB, "\t", CMatrixView::COL_SOURCE_NAME, '\t', FALSE);
    EXPECT_EQ(m_view->BuildGraphTitle(GRAPH_PACKETS, LEGEND_SERIES, kRowAB),
              "Packets for probe-one - Unavailable->Unavailable");
}

TEST_F(MatrixGraphTest, UtilizationOfThreeRowsWritesThreeSeriesAndOpensItsFrame) {
    Select({kRowBC, kRowCA, kRowAB});
    m_view->DispatchCommand(ID_GRAPH_UTILIZATION);
    const std::vector<CMDIChildWnd*> children = Children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_STREQ(children[0]->GetRuntimeClass()->m_lpszClassName, "CMibGraph");
    EXPECT_EQ(WindowText(children[0]), "Utilization for probe-one");
    EXPECT_EQ(children[0]->GetStyle() & (WS_VISIBLE | WS_MAXIMIZE), DWORD(WS_VISIBLE));

    ASSERT_EQ(Records().size(), 1u);
    const ksdb::Record& record = *Records()[0];
    EXPECT_EQ(ParentOf(record), children[0]->GetSafeHwnd());
    EXPECT_EQ(record.GetInt(FLD_GRAPH_OPTION), 1);
    EXPECT_EQ(record.GetInt(FLD_TYPE), 1);
    EXPECT_EQ(record.GetText(FLD_NAME), "Utilization for probe-one");
    EXPECT_EQ(SeriesOf(record), (std::vector<Series>{{kInstanceBC, kB + "->" + kC, kUtilization},
                                                     {kInstanceCA, kC + "->alpha", kUtilization},
                                                     {kInstanceAB, "alpha->" + kB, kUtilization}}));
    // Without a graph engine the host answers no graph: the empty frame stays, quietly.
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
}

TEST_F(MatrixGraphTest, PacketsNamesSeriesAloneForOneRowAndWithTheirPairForTwo) {
    Select({kRowAB});
    m_view->DispatchCommand(ID_HOST_PACKETS);
    Select({kRowAB, kRowCA});
    m_view->DispatchCommand(ID_GRAPH_PACKETS);
    const std::string one = "Packets for probe-one - alpha->" + kB;
    EXPECT_EQ(Titles(), (std::vector<std::string>{one, "Packets for probe-one"}));

    ASSERT_EQ(Records().size(), 2u);
    EXPECT_EQ(Records()[0]->GetText(FLD_NAME), one);
    EXPECT_EQ(SeriesOf(*Records()[0]), (std::vector<Series>{{kInstanceAB, "Packets", kPackets},
                                                            {kInstanceAB, "Errors", kErrors}}));
    EXPECT_EQ(Records()[1]->GetText(FLD_NAME), "Packets for probe-one");
    const std::string ab = "  (alpha->" + kB + ")";
    const std::string ca = "  (" + kC + "->alpha)";
    EXPECT_EQ(SeriesOf(*Records()[1]),
              (std::vector<Series>{{kInstanceCA, "Packets" + ca, kPackets},
                                   {kInstanceCA, "Errors" + ca, kErrors},
                                   {kInstanceAB, "Packets" + ab, kPackets},
                                   {kInstanceAB, "Errors" + ab, kErrors}}));
}

TEST_F(MatrixGraphTest, NothingOpensWithoutSelectionOrFrameAndARefusedFrameIsReported) {
    m_view->DispatchCommand(ID_GRAPH_BYTES);
    m_view->DispatchCommand(ID_HOST_ALL); // its frame goes again: no page could be made
    Select({kRowAB});
    m_view->SetFrame(nullptr);
    m_view->DispatchCommand(ID_GRAPH_ERRORS);
    m_view->DispatchCommand(ID_GRAPH_ALL);
    m_view->SetFrame(m_frame.get());
    PlatformApp::PumpMessages();
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(platform::MessageBoxRecords().empty());

    m_host.m_graphWindows.m_refuseFrames = true;
    m_view->DispatchCommand(ID_GRAPH_BYTES);
    PlatformApp::PumpMessages();
    ASSERT_EQ(platform::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(platform::MessageBoxRecords()[0].text, Localize("create graph failed"));
    EXPECT_EQ(platform::MessageBoxRecords()[0].type & 0xF, UINT(MB_OK));
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(Records().empty());
}

TEST_F(MatrixGraphTest, AllOpensFourTabsWhoseCaptionsFollowTheActiveTab) {
    Select({kRowCA});
    m_view->DispatchCommand(ID_GRAPH_ALL);
    ASSERT_EQ(Children().size(), 1u);
    CMDIChildWnd* container = Children()[0];
    EXPECT_STREQ(container->GetRuntimeClass()->m_lpszClassName, "CMultiTabMDIChildWnd");
    EXPECT_EQ(container->GetStyle() & (WS_VISIBLE | WS_MINIMIZE), DWORD(WS_VISIBLE));
    EXPECT_EQ(m_frame->MDIGetActive(), container);

    auto* tabs = static_cast<SECTabWnd*>(container->GetDlgItem(AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(tabs != nullptr && tabs->GetTabCount() == 4);
    const std::string labels[] = {"Utilization", "Errors", "Bytes", "Packets"};
    const std::string expressions[] = {kUtilization, "({matrixSDErrors}/{matrixSDPkts})*100",
                                       "{matrixSDOctets}", kPackets};
    ASSERT_EQ(Records().size(), 4u);
    for (int tab = 0; tab < 4; ++tab) {
        LPCSTR label = nullptr;
        BOOL selected = FALSE;
        CWnd* page = nullptr;
        void* extra = nullptr;
        ASSERT_TRUE(tabs->GetTabInfo(tab, label, selected, page, extra));
        EXPECT_EQ(label, labels[tab]);
        EXPECT_EQ(page->GetDlgCtrlID(), IDC_GRAPH_PAGE);
        EXPECT_EQ(ParentOf(*Records()[tab]), page->GetSafeHwnd());
        EXPECT_EQ(Records()[tab]->RowText(1, FLD_SERIES_EXPRESSION), expressions[tab]);
    }
    EXPECT_EQ(Records()[3]->RowText(2, FLD_SERIES_LEGEND), "Errors");

    int active = -1;
    EXPECT_TRUE(tabs->GetActiveTab(active) && active == 0);
    EXPECT_EQ(WindowText(container), "Utilization for probe-one");
    tabs->ActivateTab(2);
    EXPECT_EQ(WindowText(container), "Bytes for probe-one");
    tabs->ActivateTab(3);
    EXPECT_EQ(WindowText(container), "Packets for probe-one - " + kC + "->alpha");
    EXPECT_EQ(Records()[3]->GetText(FLD_NAME), WindowText(container));
}

TEST_F(MatrixGraphTest, HostGraphsAreKeptFillingTheirFrameAndPages) {
    GraphEngineDouble engine;
    Select({kRowAB});
    m_view->DispatchCommand(ID_GRAPH_BYTES);
    ASSERT_EQ(engine.graphs.size(), 1u);
    CMDIChildWnd* frame = Children()[0];
    CRect client;
    frame->GetClientRect(&client);
    ASSERT_GT(client.Width(), 0);
    EXPECT_EQ(PlacedRect(*engine.graphs[0]), CRect(-2, -2, client.right, client.bottom));
    // From then on the frame sizes its graph to the client area.
    frame->MoveWindow(0, 0, 400, 300);
    frame->GetClientRect(&client);
    EXPECT_EQ(PlacedRect(*engine.graphs[0]), client);

    m_view->DispatchCommand(ID_GRAPH_ALL);
    ASSERT_EQ(engine.graphs.size(), 5u);
    auto* tabs = static_cast<SECTabWnd*>(Children()[1]->GetDlgItem(AFX_IDW_PANE_FIRST));
    for (int tab = 0; tab < 4; ++tab) {
        const HWND page = tabs->GetTabWnd(tab)->GetSafeHwnd();
        EXPECT_EQ(::GetWindowLongPtr(page, GWL_USERDATA),
                  reinterpret_cast<LONG_PTR>(engine.graphs[tab + 1]->m_hWnd));
    }
    CWnd* page = tabs->GetTabWnd(0);
    page->GetClientRect(&client);
    ASSERT_GT(client.Width(), 0);
    EXPECT_EQ(PlacedRect(*engine.graphs[1]), CRect(-2, -2, client.right, client.bottom));
}

TEST_F(MatrixGraphTest, GraphFramesFollowAMaximisedActiveFrame) {
    Select({kRowAB});
    m_view->DispatchCommand(ID_GRAPH_BYTES);
    m_frame->MDIMaximize(Children()[0]);
    // As on Windows, only the active child shows maximised; each new one takes it over.
    m_view->DispatchCommand(ID_GRAPH_ALL);
    ASSERT_EQ(Children().size(), 2u);
    EXPECT_TRUE(Children()[1]->GetStyle() & WS_MAXIMIZE);
    m_view->DispatchCommand(ID_GRAPH_ERRORS);
    ASSERT_EQ(Children().size(), 3u);
    EXPECT_TRUE(Children()[2]->GetStyle() & WS_MAXIMIZE);
}

TEST_F(MatrixGraphTest, AllFrameWithoutTabWindowIsReportedAndStays) {
    Select({kRowAB});
    m_host.m_graphWindows.m_refuseTabWnd = true;
    m_view->DispatchCommand(ID_GRAPH_ALL);
    ASSERT_EQ(platform::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(platform::MessageBoxRecords()[0].text,
              Localize("Unable to create tab control inside MDIChild"));
    EXPECT_EQ(Titles(), std::vector<std::string>{"Matrix"});
    EXPECT_FALSE(Children()[0]->GetStyle() & WS_VISIBLE);
    EXPECT_TRUE(Records().empty());
}

TEST_F(MatrixGraphTest, PairMessagesGraphEveryWholePair) {
    const std::string a = "0.160.201.20.200.41";
    const std::string b = "0.0.12.7.172.1";
    const std::string c = "0.5.133.201.101.165";
    // An odd list: the last address has no partner and is ignored.
    AddressList odd({a.c_str(), b.c_str(), c.c_str()});
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_UTILIZATION, odd.Head(), IndexText("1")), 1);
    AddressList two({a.c_str(), b.c_str(), b.c_str(), c.c_str()});
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_PACKETS, two.Head(), IndexText("1")), 0);
    // An index text without its NUL is read within its hundred bytes.
    char* full = new char[MATRIX_INDEX_TEXT_SIZE];
    memset(full, '9', MATRIX_INDEX_TEXT_SIZE);
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_BYTES, odd.Head(), reinterpret_cast<LPARAM>(full)), 0);
    // The errors message opens nothing, and frees its index text as the others do (the
    // sanitizer build's leak check sees it otherwise).
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_ERRORS, two.Head(), IndexText("1")), 0);

    EXPECT_EQ(Titles(), (std::vector<std::string>{"Utilization for probe-one",
                                                  "Packets for probe-one", "Bytes for probe-one"}));
    ASSERT_EQ(Records().size(), 3u);
    EXPECT_EQ(Records()[0]->GetText(FLD_NAME), "Utilization for probe-one");
    EXPECT_EQ(SeriesOf(*Records()[0]),
              (std::vector<Series>{{kInstanceAB, a + "->" + b, kUtilization}}));
    EXPECT_EQ(SeriesOf(*Records()[1]),
              (std::vector<Series>{{kInstanceAB, "Packets:" + a + "->" + b, kPackets},
                                   {kInstanceAB, "Errors:" + a + "->" + b, kErrors},
                                   {kInstanceBC, "Packets:" + b + "->" + c, kPackets},
                                   {kInstanceBC, "Errors:" + b + "->" + c, kErrors}}));
    EXPECT_EQ(Records()[2]->RowText(1, FLD_SERIES_INSTANCE),
              std::string(MATRIX_INDEX_TEXT_SIZE, '9') + ".6." + a + ".6." + b);
}

} // namespace
