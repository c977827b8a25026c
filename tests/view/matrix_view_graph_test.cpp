// The Matrix view's graphs: the text builders, the graph records it writes to the host's
// graph table, the single-graph and "All" frames it opens, and the pair messages of the
// conversation window.
#include "hostapi/ksmem32.h"
#include "platform/platform_app.h"
#include "platform/scripted_ui.h"
#include "table/ksc_table.h"
#include "tests/view/view_fixture.h"

#include <string.h>

namespace {

const std::string kHostA("\x00\xA0\xC9\x14\xC8\x29", 6);
const std::string kHostB("\x00\x00\x0C\x07\xAC\x01", 6);
const std::string kHostC("\x00\x05\x85\xC9\x65\xA5", 6);
const std::string kA = AddressText(kHostA);
const std::string kB = AddressText(kHostB);
const std::string kC = AddressText(kHostC);
const char kInstanceAB[] = "1.6.0.160.201.20.200.41.6.0.0.12.7.172.1";
const char kInstanceBC[] = "1.6.0.0.12.7.172.1.6.0.5.133.201.101.165";
const char kInstanceCA[] = "1.6.0.5.133.201.101.165.6.0.160.201.20.200.41";

const char kUtilization[] = "100 * (800*{matrixSDOctets}/({$time}*10000000))";
const char kErrorRate[] = "({matrixSDErrors}/{matrixSDPkts})*100";

// One series of a graph record as the host database keeps it.
struct Series {
    int node;
    int code;
    std::string instance;
    int on;
    std::string legend;
    std::string expression;
    bool operator==(const Series&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Series& s) {
    return out << "{" << s.node << ", " << s.code << ", " << s.instance << ", " << s.on << ", "
               << s.legend << ", " << s.expression << "}";
}

std::vector<Series> SeriesOf(const ksdb::Record& record) {
    std::vector<Series> series;
    for (int row = 1; row <= record.RowCount(); ++row) {
        series.push_back({std::stoi(record.RowText(row, FLD_SERIES_NODE)),
                          std::stoi(record.RowText(row, FLD_SERIES_CODE)),
                          record.RowText(row, FLD_SERIES_INSTANCE),
                          std::stoi(record.RowText(row, FLD_SERIES_ON)),
                          record.RowText(row, FLD_SERIES_LEGEND),
                          record.RowText(row, FLD_SERIES_EXPRESSION)});
    }
    return series;
}

HWND ParentOf(const ksdb::Record& record) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(record.GetInt(FLD_GRAPH_PARENT)));
}

std::string WindowText(const CWnd* window) {
    std::string text;
    window->GetWindowText(text);
    return text;
}

// A list of the conversation window: two addresses per pair.
struct AddressList {
    explicit AddressList(std::initializer_list<const char*> addresses) {
        nodes.resize(addresses.size());
        size_t i = 0;
        for (const char* address : addresses) {
            snprintf(nodes[i].address, sizeof nodes[i].address, "%s", address);
            nodes[i].next = i + 1 < nodes.size() ? &nodes[i + 1] : nullptr;
            ++i;
        }
    }
    WPARAM Head() { return reinterpret_cast<WPARAM>(nodes.empty() ? nullptr : &nodes[0]); }
    std::vector<AddressListNode> nodes;
};

// The index text as the sender makes it; the view frees it.
LPARAM IndexText(const char* index) {
    char* text = new char[MATRIX_INDEX_TEXT_SIZE];
    snprintf(text, MATRIX_INDEX_TEXT_SIZE, "%s", index);
    return reinterpret_cast<LPARAM>(text);
}

// The agent serves its rows in instance order, which is the order of the source addresses.
constexpr int kRowBC = 0;
constexpr int kRowCA = 1;
constexpr int kRowAB = 2;

class MatrixGraphTest : public MatrixViewTest {
  protected:
    // Child frames keep their window state only in a frame that is shown.
    void SetUp() override {
        MatrixViewTest::SetUp();
        m_frame->ShowWindow(SW_SHOW);
    }
    // Three conversations of index 1: A->B, B->C, C->A; A is named "alpha".
    void ShowThreeRows() {
        g_testNames[kA] = "alpha";
        Serve({{1, kHostA, kHostB, 10, 1000, 1},
               {1, kHostB, kHostC, 20, 2000, 0},
               {1, kHostC, kHostA, 30, 3000, 2}});
        ShowNode(1);
        ASSERT_EQ(RowCount(), 3);
    }
    void Select(std::initializer_list<int> rows) {
        m_view->m_table->ClearSelection();
        for (int row : rows) {
            m_view->m_table->SelectRow(row, TRUE);
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
    std::vector<const ksdb::Record*> Records() const { return ksdb::GraphRecords(); }
};

TEST_F(MatrixGraphTest, AddressToOidReadsUpperCaseHexPairs) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"00 A0 C9", ".0.160.201"},
        {"0a 1B", ".0.27"},     // lower-case digits count as 0
        {"00 A0 ", ".0.160.0"}, // an empty piece after a trailing blank
        {"F", ".240"},          // a missing second character counts as 0
        {"FF  01", ".255.0.1"}, // two blanks give an empty piece
        {"", ".0"},
    };
    for (const auto& [text, oid] : cases) {
        std::string converted = text;
        CMatrixView::AddressToOid(converted);
        EXPECT_EQ(converted, oid) << "\"" << text << "\"";
    }
}

TEST_F(MatrixGraphTest, TextBuildersWorkOnTheCurrentRow) {
    ShowThreeRows();
    Select({kRowAB});
    std::vector<std::string> rows;
    ASSERT_EQ(m_view->CollectSelectedRows(rows), 1);
    EXPECT_EQ(rows, std::vector<std::string>{"2"});
    EXPECT_EQ(m_view->m_currentRow, kRowAB);
    EXPECT_EQ(m_view->BuildInstance(), kInstanceAB);
    EXPECT_EQ(m_view->BuildPairLabel(), "alpha->" + kB);
    EXPECT_EQ(m_view->BuildLegend("Bytes", LEGEND_SERIES), "Bytes");
    EXPECT_EQ(m_view->BuildLegend("Bytes", LEGEND_PAIR), "alpha->" + kB);
    EXPECT_EQ(m_view->BuildLegend("Bytes", LEGEND_SERIES_AND_PAIR), "Bytes  (alpha->" + kB + ")");
    EXPECT_EQ(m_view->BuildGraphTitle(GRAPH_ERRORS, 0), "Errors for probe-one");
    EXPECT_EQ(m_view->BuildGraphTitle(GRAPH_PACKETS, LEGEND_SERIES),
              "Packets for probe-one - alpha->" + kB);
    EXPECT_EQ(m_view->BuildGraphTitle(static_cast<GraphCategory>(9), 0),
              "UnknownCategory for probe-one");

    // Empty names read "Unavailable", in labels and titles.
    m_view->m_table->SetRowText(kRowAB, "\t", CMatrixView::COL_SOURCE_NAME, '\t', FALSE);
    EXPECT_EQ(m_view->BuildPairLabel(), "Unavailable->Unavailable");
    EXPECT_EQ(m_view->BuildGraphTitle(GRAPH_PACKETS, LEGEND_PAIR),
              "Packets for probe-one - Unavailable->Unavailable");
}

TEST_F(MatrixGraphTest, UtilizationOfThreeRowsWritesThreeSeriesAndOpensItsFrame) {
    ShowThreeRows();
    Select({0, 1, 2});
    m_view->DispatchCommand(ID_GRAPH_UTILIZATION);

    const std::vector<CMDIChildWnd*> children = Children();
    ASSERT_EQ(children.size(), 1u);
    CMDIChildWnd* graphFrame = children[0];
    EXPECT_STREQ(graphFrame->GetRuntimeClass()->m_lpszClassName, "CMibGraph");
    EXPECT_EQ(WindowText(graphFrame), "Utilization for probe-one");
    EXPECT_EQ(graphFrame->GetStyle() & (WS_VISIBLE | WS_MAXIMIZE), static_cast<DWORD>(WS_VISIBLE));

    ASSERT_EQ(Records().size(), 1u);
    const ksdb::Record& record = *Records()[0];
    EXPECT_EQ(ParentOf(record), graphFrame->GetSafeHwnd());
    EXPECT_EQ(record.GetInt(FLD_GRAPH_OPTION), 1);
    EXPECT_EQ(record.GetInt(FLD_TYPE), 1);
    EXPECT_EQ(record.GetText(FLD_NAME), "Utilization for probe-one");
    EXPECT_EQ(SeriesOf(record),
              (std::vector<Series>{{1, 174, kInstanceBC, 1, kB + "->" + kC, kUtilization},
                                   {1, 174, kInstanceCA, 1, kC + "->alpha", kUtilization},
                                   {1, 174, kInstanceAB, 1, "alpha->" + kB, kUtilization}}));
    // Without a graph engine the host answers no graph: the empty frame stays, quietly.
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
}

TEST_F(MatrixGraphTest, PacketsNamesSeriesAloneForOneRowAndWithTheirPairForTwo) {
    ShowThreeRows();
    Select({kRowAB});
    m_view->DispatchCommand(ID_HOST_PACKETS);
    Select({kRowAB, kRowCA});
    m_view->DispatchCommand(ID_GRAPH_PACKETS);

    ASSERT_EQ(Records().size(), 2u);
    const ksdb::Record& one = *Records()[0];
    EXPECT_EQ(one.GetText(FLD_NAME), "Packets for probe-one - alpha->" + kB);
    EXPECT_EQ(SeriesOf(one),
              (std::vector<Series>{{1, 174, kInstanceAB, 1, "Packets", "{matrixSDPkts}"},
                                   {1, 174, kInstanceAB, 1, "Errors", "{matrixSDErrors}"}}));

    const ksdb::Record& two = *Records()[1];
    EXPECT_EQ(two.GetText(FLD_NAME), "Packets for probe-one");
    const std::string ab = "  (alpha->" + kB + ")";
    const std::string ca = "  (" + kC + "->alpha)";
    EXPECT_EQ(SeriesOf(two),
              (std::vector<Series>{{1, 174, kInstanceCA, 1, "Packets" + ca, "{matrixSDPkts}"},
                                   {1, 174, kInstanceCA, 1, "Errors" + ca, "{matrixSDErrors}"},
                                   {1, 174, kInstanceAB, 1, "Packets" + ab, "{matrixSDPkts}"},
                                   {1, 174, kInstanceAB, 1, "Errors" + ab, "{matrixSDErrors}"}}));
    std::vector<std::string> titles;
    for (CMDIChildWnd* child : Children()) {
        titles.push_back(WindowText(child));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Packets for probe-one - alpha->" + kB,
                                                "Packets for probe-one"}));
}

TEST_F(MatrixGraphTest, NothingOpensWithoutSelectionOrFrame) {
    ShowThreeRows();
    m_view->DispatchCommand(ID_GRAPH_BYTES);
    Select({kRowAB});
    m_view->m_frame = nullptr;
    m_view->DispatchCommand(ID_GRAPH_ERRORS);
    m_view->DispatchCommand(ID_GRAPH_ALL);
    m_view->m_frame = m_frame.get();
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
}

TEST_F(MatrixGraphTest, RefusedGraphFrameIsReported) {
    ShowThreeRows();
    Select({kRowAB});
    m_host.m_graphWindows.m_refuseFrames = true;
    m_view->DispatchCommand(ID_GRAPH_BYTES);
    PlatformApp::PumpMessages();
    ASSERT_EQ(platform::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(platform::MessageBoxRecords()[0].text, Localize("create graph failed"));
    EXPECT_EQ(platform::MessageBoxRecords()[0].type & 0xF, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(Records().empty());
}

TEST_F(MatrixGraphTest, AllOpensFourTabsWhoseCaptionsFollowTheActiveTab) {
    ShowThreeRows();
    Select({kRowCA});
    m_view->DispatchCommand(ID_GRAPH_ALL);

    const std::vector<CMDIChildWnd*> children = Children();
    ASSERT_EQ(children.size(), 1u);
    CMDIChildWnd* container = children[0];
    EXPECT_STREQ(container->GetRuntimeClass()->m_lpszClassName, "CMultiTabMDIChildWnd");
    EXPECT_TRUE(container->GetStyle() & WS_VISIBLE);
    EXPECT_FALSE(container->IsIconic());
    EXPECT_FALSE(container->IsZoomed());
    EXPECT_EQ(m_frame->MDIGetActive(), container);

    auto* tabs = static_cast<SECTabWnd*>(container->GetDlgItem(AFX_IDW_PANE_FIRST));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->GetTabCount(), 4);
    const std::string pair = kC + "->alpha";
    const std::vector<std::string> labels = {"Utilization", "Errors", "Bytes", "Packets"};
    const std::vector<std::string> titles = {"Utilization for probe-one", "Errors for probe-one",
                                             "Bytes for probe-one",
                                             "Packets for probe-one - " + pair};
    const std::vector<std::string> expressions = {kUtilization, kErrorRate, "{matrixSDOctets}",
                                                  "{matrixSDPkts}"};
    const std::vector<const ksdb::Record*> records = Records();
    ASSERT_EQ(records.size(), 4u);
    for (int tab = 0; tab < 4; ++tab) {
        LPCSTR label = nullptr;
        BOOL selected = FALSE;
        CWnd* page = nullptr;
        void* extra = nullptr;
        ASSERT_TRUE(tabs->GetTabInfo(tab, label, selected, page, extra));
        EXPECT_EQ(label, labels[tab]);
        EXPECT_EQ(page->GetDlgCtrlID(), IDC_GRAPH_PAGE);
        EXPECT_EQ(page->GetParent(), tabs);
        EXPECT_EQ(ParentOf(*records[tab]), page->GetSafeHwnd());
        EXPECT_EQ(records[tab]->GetText(FLD_NAME), titles[tab]);
        EXPECT_EQ(records[tab]->RowText(1, FLD_SERIES_EXPRESSION), expressions[tab]);
    }
    EXPECT_EQ(records[3]->RowCount(), 2);
    EXPECT_EQ(records[3]->RowText(2, FLD_SERIES_LEGEND), "Errors");

    int active = -1;
    ASSERT_TRUE(tabs->GetActiveTab(active));
    EXPECT_EQ(active, 0);
    EXPECT_EQ(WindowText(container), titles[0]);
    tabs->ActivateTab(2);
    EXPECT_EQ(WindowText(container), titles[2]);
    tabs->ActivateTab(3);
    EXPECT_EQ(WindowText(container), titles[3]);
}

TEST_F(MatrixGraphTest, GraphFramesFollowAMaximisedActiveFrame) {
    ShowThreeRows();
    Select({kRowAB});
    m_view->DispatchCommand(ID_GRAPH_BYTES);
    ASSERT_EQ(Children().size(), 1u);
    m_frame->MDIMaximize(Children()[0]);
    ASSERT_TRUE(Children()[0]->IsZoomed());

    // As on Windows, only the active child shows maximised; each new one takes it over.
    m_view->DispatchCommand(ID_GRAPH_ALL);
    ASSERT_EQ(Children().size(), 2u);
    EXPECT_TRUE(Children()[1]->GetStyle() & WS_MAXIMIZE);
    m_view->DispatchCommand(ID_GRAPH_ERRORS);
    ASSERT_EQ(Children().size(), 3u);
    EXPECT_TRUE(Children()[2]->GetStyle() & WS_MAXIMIZE);
}

TEST_F(MatrixGraphTest, AllFrameGoesWhenNoPageCouldBeMade) {
    ShowThreeRows();
    m_view->DispatchCommand(ID_HOST_ALL);
    PlatformApp::PumpMessages();
    EXPECT_TRUE(Children().empty());
    EXPECT_TRUE(Records().empty());
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
}

TEST_F(MatrixGraphTest, AllFrameWithoutTabWindowIsReportedAndStays) {
    ShowThreeRows();
    Select({kRowAB});
    m_host.m_graphWindows.m_refuseTabWnd = true;
    m_view->DispatchCommand(ID_GRAPH_ALL);
    ASSERT_EQ(platform::MessageBoxRecords().size(), 1u);
    EXPECT_EQ(platform::MessageBoxRecords()[0].text,
              Localize("Unable to create tab control inside MDIChild"));
    const std::vector<CMDIChildWnd*> children = Children();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(WindowText(children[0]), "Matrix");
    EXPECT_FALSE(children[0]->IsWindowVisible());
    EXPECT_TRUE(Records().empty());
}

TEST_F(MatrixGraphTest, PairMessagesGraphEveryWholePair) {
    ShowThreeRows();
    const std::string a = "0.160.201.20.200.41";
    const std::string b = "0.0.12.7.172.1";
    const std::string c = "0.5.133.201.101.165";
    // An odd list: the last address has no partner and is ignored.
    AddressList odd({a.c_str(), b.c_str(), c.c_str()});
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_UTILIZATION, odd.Head(), IndexText("1")), 1);
    AddressList two({a.c_str(), b.c_str(), b.c_str(), c.c_str()});
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_PACKETS, two.Head(), IndexText("1")), 0);
    AddressList none({a.c_str()});
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_BYTES, none.Head(), IndexText("7")), 0);

    const std::vector<const ksdb::Record*> records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0]->GetText(FLD_NAME), "Utilization for probe-one");
    EXPECT_EQ(SeriesOf(*records[0]),
              (std::vector<Series>{{1, 174, kInstanceAB, 1, a + "->" + b, kUtilization}}));
    EXPECT_EQ(records[1]->GetText(FLD_NAME), "Packets for probe-one");
    EXPECT_EQ(SeriesOf(*records[1]),
              (std::vector<Series>{
                  {1, 174, kInstanceAB, 1, "Packets:" + a + "->" + b, "{matrixSDPkts}"},
                  {1, 174, kInstanceAB, 1, "Errors:" + a + "->" + b, "{matrixSDErrors}"},
                  {1, 174, kInstanceBC, 1, "Packets:" + b + "->" + c, "{matrixSDPkts}"},
                  {1, 174, kInstanceBC, 1, "Errors:" + b + "->" + c, "{matrixSDErrors}"}}));
    // No whole pair: a frame with a graph of no series.
    EXPECT_EQ(records[2]->GetText(FLD_NAME), "Bytes for probe-one");
    EXPECT_EQ(records[2]->RowCount(), 0);

    std::vector<std::string> titles;
    for (CMDIChildWnd* child : Children()) {
        titles.push_back(WindowText(child));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"Utilization for probe-one",
                                                "Packets for probe-one", "Bytes for probe-one"}));
    // The errors message opens nothing.
    EXPECT_EQ(m_view->SendMessage(WM_MATRIX_ERRORS, two.Head(), 0), 0);
    EXPECT_EQ(Children().size(), 3u);
}

TEST_F(MatrixGraphTest, IndexTextIsReadWithinItsHundredBytes) {
    ShowThreeRows();
    char* text = new char[MATRIX_INDEX_TEXT_SIZE];
    memset(text, '9', MATRIX_INDEX_TEXT_SIZE); // no terminating NUL
    AddressList pair({"1.2.3.4.5.6", "6.5.4.3.2.1"});
    m_view->SendMessage(WM_MATRIX_BYTES, pair.Head(), reinterpret_cast<LPARAM>(text));
    ASSERT_EQ(Records().size(), 1u);
    EXPECT_EQ(Records()[0]->RowText(1, FLD_SERIES_INSTANCE),
              std::string(MATRIX_INDEX_TEXT_SIZE, '9') + ".6.1.2.3.4.5.6.6.6.5.4.3.2.1");
}

} // namespace
