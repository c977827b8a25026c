// CMatrixView against the host library's in-memory agent, under the manual clock:
// rows filled and refreshed, lookups, names, the refresh timer, scroll forwarding and
// the shared bars, the context menu and the commands.
#include "conversation/matrix_window.h"
#include "hostapi/ksmem32.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"
#include "plugin/host_services.h"
#include "table/ksc_table.h"
#include "tests/view/view_fixture.h"

#include <algorithm>
#include <cstdlib>

namespace {

const std::string kHostA("\x00\xA0\xC9\x12\x34\x56", 6);
const std::string kHostB("\x00\x05\x85\xC9\x65\xA5", 6);
const std::string kBroadcast("\xFF\xFF\xFF\xFF\xFF\xFF", 6);
const std::string kHostC("\x08\x00\x20\x01\x02\x03", 6);
const std::string kA = AddressText(kHostA);
const std::string kB = AddressText(kHostB);
const std::string kF = AddressText(kBroadcast);
const std::string kC = AddressText(kHostC);

// In the agent's order, which is the order of the instances.
const std::vector<TestConversation> kConversations = {
    {1, kHostB, kHostA, 12, 4000, 2},
    {1, kHostA, kHostB, 10, 1500, 0},
    {2, kHostA, kBroadcast, 3, 180, 0},
};

using Cells = std::vector<std::string>;

TEST_F(MatrixViewTest, NodeChangeFillsRowsInArrivalOrderAndRefreshUpdatesCounters) {
    Serve(kConversations);
    ShowNode(1);
    EXPECT_EQ(m_view->GetDeviceName(), "probe-one");
    ASSERT_EQ(RowCount(), 3);
    EXPECT_EQ(Row(0), (Cells{"1", kB, kA, kB, kA, "4000", "12", "2"}));
    EXPECT_EQ(Row(1), (Cells{"1", kA, kB, kA, kB, "1500", "10", "0"}));
    EXPECT_EQ(Row(2), (Cells{"2", kA, kF, kA, kF, "180", "3", "0"}));

    // A known conversation changes only its counters; a name already in place stays.
    m_view->GetTable()->Model().SetRowText(1, "alpha", CMatrixView::COL_SOURCE_NAME, 0, FALSE);
    Serve({{1, kHostB, kHostA, 13, 4100, 2},
           {1, kHostA, kHostB, 11, 1600, 1},
           {3, kHostB, kBroadcast, 1, 60, 0},
           {2, kHostA, kBroadcast, 3, 180, 0}});
    const uint64_t before = RequestCount();
    TimerClock::Advance(REFRESH_INTERVAL - 1);
    EXPECT_EQ(RequestCount(), before) << "refreshed before ten seconds";
    TimerClock::Advance(1);
    FinishWalk();
    ASSERT_EQ(RowCount(), 4);
    EXPECT_EQ(Row(0), (Cells{"1", kB, kA, kB, kA, "4100", "13", "2"}));
    EXPECT_EQ(Row(1), (Cells{"1", "alpha", kB, kA, kB, "1600", "11", "1"}));
    EXPECT_EQ(Row(2), (Cells{"2", kA, kF, kA, kF, "180", "3", "0"}));
    EXPECT_EQ(Row(3), (Cells{"3", kB, kF, kB, kF, "60", "1", "0"}));
}

// Address texts longer than the lookup reads of an answer (1,023 characters) got a new row
// on every walk: the key read from the answer never equalled the longer cell.
TEST_F(MatrixViewTest, LongAddressTextsStayOneRowPerConversation) {
    const std::string medium(400, '\x11'); // 1,199 characters of text: the cell keeps it whole
    const std::string huge(2000, '\x22');  // 5,999: longer than the cell buffer too
    for (uint32_t walk = 1; walk <= 4; ++walk) {
        Serve({{1, medium, kHostA, walk, 100 * walk, 0},
               {1, kHostA, huge, walk, 200 * walk, 0},
               {2, huge, huge, walk, 300 * walk, 0}});
        if (walk == 1) {
            ShowNode(1);
        } else {
            TimerClock::Advance(REFRESH_INTERVAL);
            FinishWalk();
        }
    }
    ASSERT_EQ(RowCount(), 3);
    // In the agent's order: instances begin with the index, then the source's length.
    EXPECT_EQ(Row(0)[CMatrixView::COL_DESTINATION_ADDRESS].size(), 5119u);
    EXPECT_EQ(Row(1)[CMatrixView::COL_SOURCE_ADDRESS], AddressText(medium));
    EXPECT_EQ(Row(0)[CMatrixView::COL_BYTES], "800");
    EXPECT_EQ(Row(1)[CMatrixView::COL_BYTES], "400");
    EXPECT_EQ(Row(2)[CMatrixView::COL_BYTES], "1200");
}

TEST_F(MatrixViewTest, NodeChangeEmptiesTheTableAndNamesTheDevice) {
    Serve(kConversations);
    ShowNode(1);
    Serve({{4, kHostA, kHostA, 1, 1, 0}});
    ShowNode(2);
    EXPECT_EQ(m_view->GetDeviceName(), "probe-two");
    ASSERT_EQ(RowCount(), 1);
    EXPECT_EQ(Row(0)[0], "4");
    ShowNode(9);
    EXPECT_EQ(m_view->GetDeviceName(), Localize("Unknown Device"));
}

TEST_F(MatrixViewTest, FindMatrixRowIgnoresCaseAndFollowsTheTable) {
    Serve(kConversations);
    ShowNode(1);
    std::string lower = kA;
    for (char& c : lower) {
        c = static_cast<char>(tolower(c));
    }
    struct Lookup {
        const char* index;
        std::string source, destination;
        int row;
    };
    const Lookup lookups[] = {
        {"1", kA, kB, 1},  {"1", lower, kB, 1}, {"2", lower, kF, 2},
        {"1", kB, kF, -1}, {"2", kB, kA, -1},   {"3", kA, kB, -1},
    };
    for (const Lookup& l : lookups) {
        EXPECT_EQ(m_view->FindMatrixRow(l.index, l.source.c_str(), l.destination.c_str()), l.row)
            << l.index << " " << l.source << " " << l.destination;
    }
    // Rows deleted or emptied behind the view's back still give the scan's answer.
    m_view->GetTable()->Model().DeleteRow(0, FALSE);
    EXPECT_EQ(m_view->FindMatrixRow("1", kA.c_str(), kB.c_str()), 0);
    EXPECT_EQ(m_view->FindMatrixRow("1", kB.c_str(), kA.c_str()), -1);
    m_view->GetTable()->Model().DeleteAllRows();
    EXPECT_EQ(m_view->FindMatrixRow("1", kA.c_str(), kB.c_str()), -1);
    TimerClock::Advance(REFRESH_INTERVAL);
    FinishWalk();
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(m_view->FindMatrixRow("2", kA.c_str(), kF.c_str()), 2);
}

TEST_F(MatrixViewTest, NamesArriveForTheRowsThatHoldTheirAddresses) {
    g_testNames[kA] = "alpha";
    Serve({{1, kHostA, kHostB, 1, 1, 0}, {1, kHostA, kHostA, 1, 1, 0}});
    ShowNode(1);
    ASSERT_EQ(RowCount(), 2);
    // Two requests per new row, source first; none for rows already known.
    const std::vector<std::pair<std::string, intptr_t>> expected = {
        {kA, 0}, {kB, 0}, {kA, 1}, {kA, 1}};
    std::vector<std::pair<std::string, intptr_t>> requests;
    for (const ConvertCall& call : g_convertCalls) {
        if (call.command == CONVERT_REQUEST) {
            requests.emplace_back(call.address, call.row);
        }
    }
    EXPECT_EQ(requests, expected);
    EXPECT_EQ(Row(0)[1], "alpha");
    EXPECT_EQ(Row(0)[2], kB);
    EXPECT_EQ(Row(1)[1], "alpha") << "both cells of a row that talks to itself";
    EXPECT_EQ(Row(1)[2], "alpha");

    struct Arrival {
        std::string address;
        const char* name;
        intptr_t row;
        Cells names; // cells 1 and 2 of row 0 afterwards
    };
    std::string lowerB = kB;
    for (char& c : lowerB) {
        c = static_cast<char>(tolower(c));
    }
    const Arrival arrivals[] = {
        {kB, "ignored", -1, {"alpha", kB}},
        {kF, "ignored", 0, {"alpha", kB}},
        {lowerB, "beta", 0, {"alpha", "beta"}},
        {kA, "late", 5, {"alpha", "beta"}},
    };
    for (const Arrival& a : arrivals) {
        m_view->OnNameConverted(a.address.c_str(), a.name, a.row);
        EXPECT_EQ((Cells{Row(0)[1], Row(0)[2]}), a.names) << a.address << " row " << a.row;
    }
    g_convertCalls.clear();
    TimerClock::Advance(REFRESH_INTERVAL);
    FinishWalk();
    for (const ConvertCall& call : g_convertCalls) {
        EXPECT_NE(call.command, CONVERT_REQUEST) << "asked again for a known row";
    }
}

// A name that lands in a cell is drawn by the table's next coalesced redraw, not at the
// end of the next walk, and never by a paint of its own.
TEST_F(MatrixViewTest, StoredNameSchedulesOneCoalescedRedraw) {
    Serve({{1, kHostA, kHostB, 1, 1, 0}});
    ShowNode(1);
    KSCTable* table = m_view->GetTable();
    TimerClock::Advance(50);
    table->ValidateRect(nullptr); // the fixture's windows are never shown
    ASSERT_FALSE(table->GetUpdateRect(nullptr));

    m_view->OnNameConverted(kF.c_str(), "nobody", 0);
    TimerClock::Advance(50);
    EXPECT_FALSE(table->GetUpdateRect(nullptr)) << "redrawn although no name was stored";

    m_view->OnNameConverted(kA.c_str(), "alpha", 0);
    m_view->OnNameConverted(kB.c_str(), "beta", 0);
    EXPECT_FALSE(table->GetUpdateRect(nullptr)) << "painted per answer";
    TimerClock::Advance(25);
    EXPECT_TRUE(table->GetUpdateRect(nullptr)) << "names wait for the next walk";
    EXPECT_EQ((Cells{Row(0)[1], Row(0)[2]}), (Cells{"alpha", "beta"}));
}

// The refresh timer fires once: its handler kills it even when it starts no walk.
TEST_F(MatrixViewTest, TimerOfNodeZeroStartsNoWalk) {
    TimerClock::Advance(50);
    PlatformApp::PumpMessages();
    const int idle = TimerClock::ActiveTimerCount();
    m_view->SetTargetNode(0);
    m_view->OnWalkDone("");
    EXPECT_EQ(TimerClock::ActiveTimerCount(), idle + 1);
    TimerClock::Advance(REFRESH_INTERVAL);
    EXPECT_EQ(m_view->GetPendingRequest(), 0u) << "a walk was posted for node 0";
    PlatformApp::PumpMessages();
    TimerClock::Advance(50);
    EXPECT_EQ(TimerClock::ActiveTimerCount(), idle) << "the refresh timer still runs";
}

// After Close, and after the host's event 5, the refresh timer fires at most once more
// and is not armed again.
TEST_F(MatrixViewTest, ViewWithoutConnectionArmsNoRefreshTimer) {
    TimerClock::Advance(50);
    PlatformApp::PumpMessages();
    const int idle = TimerClock::ActiveTimerCount();
    Serve(kConversations);
    ShowNode(1);
    m_view->OnWalkDone(""); // a refresh is pending as Close comes
    m_view->CloseView();
    for (int i = 0; i < 3; ++i) {
        TimerClock::Advance(REFRESH_INTERVAL);
        PlatformApp::PumpMessages();
    }
    EXPECT_EQ(TimerClock::ActiveTimerCount(), idle) << "refresh re-armed without a connection";

    ASSERT_TRUE(m_view->Connect(m_view->GetHostContext()));
    m_view->ChangeNode(2);
    FinishWalk();
    const DbHandle connection = m_view->GetConnection();
    CMibWalker* walker = m_view;
    CMibWalker::NotifyProc(reinterpret_cast<uintptr_t>(walker), 13, 5, 0); // the host went away
    for (int i = 0; i < 3; ++i) {
        TimerClock::Advance(REFRESH_INTERVAL);
        PlatformApp::PumpMessages();
    }
    EXPECT_EQ(TimerClock::ActiveTimerCount(), idle) << "refresh re-armed after event 5";
    DbDisconnect(connection);
}

TEST_F(MatrixViewTest, MissingColumnNameShiftsTheLaterColumns) {
    Serve({{1, kHostA, kHostB, 10, 1500, 2}});
    m_view->SetColumnObject(1, "matrixSDNoSuchColumn");
    ShowNode(1);
    ASSERT_EQ(RowCount(), 1);
    // Index, destination, octets, packets, errors at positions 1 to 5; nothing at 6.
    EXPECT_EQ(Row(0), (Cells{"1", kB, "1500", kB, "1500", "10", "2", ""}));
}

// Scroll messages from the host's shared bars move the table.
class MatrixViewScrollTest : public MatrixViewTest {
  protected:
    void SetUp() override {
        MatrixViewTest::SetUp();
        std::vector<TestConversation> many;
        for (int i = 0; i < 60; ++i) {
            many.push_back({i + 1, kHostA, kHostB, 1, 1, 0});
        }
        Serve(many);
        ShowNode(1);
        m_view->GetTable()->Model().SetColumnWidth(CMatrixView::COL_BYTES, 400, TRUE);
        TimerClock::Advance(50); // the table's coalesced layout
        PlatformApp::PumpMessages();
    }

    void Scroll(UINT message, UINT code, int position) {
        const int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        CScrollBar* shared = m_tabs->GetScrollBar(bar, m_view);
        ASSERT_NE(shared, nullptr);
        m_view->SendMessage(message, MAKEWPARAM(code, position),
                            reinterpret_cast<LPARAM>(shared->GetSafeHwnd()));
    }
};

TEST_F(MatrixViewScrollTest, CodesReachTheTableAsTheyShould) {
    struct Case {
        UINT message;
        UINT code;
        int position;
        int top, left; // the table's first row and column afterwards
    };
    const Case cases[] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, 1, 0},      {WM_VSCROLL, SB_THUMBTRACK, 5, 5, 0},
        {WM_VSCROLL, SB_THUMBPOSITION, 7, 7, 0}, {WM_VSCROLL, SB_LINEUP, 0, 6, 0},
        {WM_HSCROLL, SB_LINERIGHT, 0, 6, 1},     {WM_HSCROLL, SB_THUMBTRACK, 3, 6, 1},
        {WM_HSCROLL, SB_THUMBPOSITION, 3, 6, 3}, {WM_HSCROLL, SB_LINELEFT, 0, 6, 2},
    };
    for (const Case& c : cases) {
        Scroll(c.message, c.code, c.position);
        EXPECT_EQ(m_view->GetTable()->GetTopRow(), c.top) << c.message << " code " << c.code;
        EXPECT_EQ(m_view->GetTable()->GetLeftColumn(), c.left) << c.message << " code " << c.code;
    }
}

// Dragging the shared bar's thumb past 65,535 rows puts the table at that row, both when
// the bar sends the whole position and when a message carries only its low word.
TEST_F(MatrixViewTest, ThumbDragBeyond65535RowsReachesThatRow) {
    Serve({});
    ShowNode(1);
    KSCTable* table = m_view->GetTable();
    CScrollBar* shared = m_tabs->GetScrollBar(SB_VERT, m_view);
    ASSERT_NE(shared, nullptr);
    for (int rows : {100000, 1000000}) {
        SCOPED_TRACE(rows);
        while (table->Model().GetRowCount() < rows) {
            table->Model().InsertRow(table->Model().GetRowCount(), "1", 0, FALSE);
        }
        table->Redraw(REDRAW_LAYOUT);
        TimerClock::Advance(50);
        PlatformApp::PumpMessages();

        const int tracked = rows - 1000;
        ASSERT_TRUE(platform::ScrollBarUserAction(shared->GetSafeHwnd(), SB_THUMBTRACK, tracked));
        EXPECT_EQ(table->GetTopRow(), tracked);
        table->SetTopRow(0);
        m_view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, LOWORD(tracked)),
                            reinterpret_cast<LPARAM>(shared->GetSafeHwnd()));
        EXPECT_EQ(table->GetTopRow(), tracked) << "the bar's track position completes the word";
        platform::ScrollBarUserAction(shared->GetSafeHwnd(), SB_THUMBPOSITION, rows - 70000);
        EXPECT_EQ(table->GetTopRow(), rows - 70000);
    }
    table->Model().DeleteAllRows();
}

TEST_F(MatrixViewScrollTest, SharedBarsFollowTheTableOnlyOnTheActiveTab) {
    CScrollBar* vertical = m_tabs->GetScrollBar(SB_VERT, m_view);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    vertical->GetScrollInfo(&info);
    EXPECT_GT(info.nMax, 0) << "the table's range reached the shared bar";

    // Another tab active: a layout message leaves the bars alone.
    m_tabs->ActivateTab(1);
    SCROLLINFO sentinel = info;
    sentinel.nMin = 0;
    sentinel.nMax = 3;
    sentinel.nPage = 1;
    sentinel.nPos = 2;
    vertical->SetScrollInfo(&sentinel);
    m_view->SendMessage(WM_TABLE_LAYOUT);
    vertical->GetScrollInfo(&info);
    EXPECT_EQ(info.nMax, 3);
    EXPECT_EQ(info.nPos, 2);

    // Back on the view's tab, a node change gives both bars an empty range.
    m_tabs->ActivateTab(0);
    m_view->ChangeNode(2);
    for (int bar : {SB_HORZ, SB_VERT}) {
        m_tabs->GetScrollBar(bar, m_view)->GetScrollInfo(&info);
        EXPECT_EQ(info.nMin, 0);
        EXPECT_EQ(info.nMax, 0);
    }
    FinishWalk();
}

// Selects rows by display position (the table shows them in insertion order here).
void SelectRows(KSCTable* table, std::initializer_list<int> rows) {
    for (int row : rows) {
        table->Model().SelectRow(row, TRUE);
    }
}

TEST_F(MatrixViewTest, CollectPairsKeepsNamesAndAddressesAligned) {
    g_testNames[kA] = "alpha";
    Serve({{1, kHostA, kHostB, 1, 1, 0},
           {1, kHostB, kBroadcast, 1, 1, 0},
           {1, kHostA, kHostA, 1, 1, 0},
           {2, kHostA, kHostB, 1, 1, 0}});
    ShowNode(1);
    SelectRows(m_view->GetTable(), {0, 1, 2});
    std::string index;
    ASSERT_TRUE(m_view->CollectPairs(index));
    EXPECT_EQ(index, "1");
    // Rows: 1 B->F, 1 A->B, 1 A->A, 2 A->B; a name seen before goes with its address.
    EXPECT_EQ(m_view->GetPairNames(), (std::vector<std::string>{kB, kF, "alpha"}));
    EXPECT_EQ(m_view->GetPairAddresses(), (std::vector<std::string>{kB, kF, kA}));
    EXPECT_TRUE(platform::MessageBoxRecords().empty());

    // A selection over two indexes is refused with a message, through the command.
    SelectRows(m_view->GetTable(), {3});
    m_view->DispatchCommand(ID_CONVERSATIONS);
    ASSERT_EQ(platform::MessageBoxRecords().size(), 1u);
    const platform::MessageBoxRecord& box = platform::MessageBoxRecords()[0];
    EXPECT_EQ(box.text, Localize("Matrix can be viewed on nodes with same index"));
    EXPECT_EQ(box.caption, Localize("RAZIZova"));
    EXPECT_EQ(box.type & 0xF, static_cast<UINT>(MB_OK));

    m_view->GetTable()->Model().ClearSelection();
    EXPECT_FALSE(m_view->CollectPairs(index));
    EXPECT_TRUE(m_view->GetPairNames().empty());
}

// Four hosts over two rows: one window over half the frame's client area, twelve walks at
// once, the next pass five seconds on; closing the frame closes it too.
TEST_F(MatrixViewTest, ConversationsOpensTheMatrixWindowAndStartsAPass) {
    Serve({{1, kHostA, kHostB, 1, 1, 0}, {1, kBroadcast, kHostC, 1, 1, 0}});
    ShowNode(1);
    SelectRows(m_view->GetTable(), {0, 1});
    m_view->DispatchCommand(ID_CONVERSATIONS);
    auto* window = dynamic_cast<CMatrixWindow*>(m_frame->MDIGetActive());
    ASSERT_NE(window, nullptr);
    char caption[32] = "";
    window->GetWindowText(caption, sizeof caption);
    EXPECT_STREQ(caption, "Hi there!");
    char report[4096] = "";
    window->SendMessage(WM_GETREPORT, sizeof report, reinterpret_cast<LPARAM>(report));
    const std::string text = report;
    EXPECT_EQ(text.rfind("index\t1\ntarget\t1\naddress\t" + kA + "\t", 0), 0u) << text;
    size_t at = 0;
    for (const std::string& name : {kA, kB, kF, kC}) {
        at = text.find("address\t" + name + "\t", at);
        EXPECT_NE(at, std::string::npos) << name << " in order in " << text;
    }
    CRect client, placed;
    m_frame->GetClientRect(&client);
    window->GetWindowRect(&placed);
    window->GetParent()->ScreenToClient(&placed);
    EXPECT_EQ(placed, CRect(0, 0, client.Width() / 2, client.Height() / 2));
    EXPECT_EQ(window->GetWalkCount(), 12u);
    EXPECT_NE(window->GetDlgItem(IDC_CONVERSATION_CTRL), nullptr);
}

TEST_F(MatrixViewTest, KeyboardContextMenuOpensBesideTheCornerOnTheTopWindow) {
    m_view->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_view->GetSafeHwnd()),
                        MAKELPARAM(-1, -1));
    ASSERT_EQ(platform::OfferedMenus().size(), 1u);
    const platform::OfferedMenu& menu = platform::OfferedMenus()[0];
    CPoint corner(0, 0);
    m_view->ClientToScreen(&corner);
    EXPECT_EQ(menu.point.x, corner.x + 5);
    EXPECT_EQ(menu.point.y, corner.y + 5);
    EXPECT_EQ(menu.owner, m_frame->GetSafeHwnd());
    EXPECT_TRUE(menu.flags & TPM_RIGHTBUTTON);
    std::vector<UINT> ids;
    for (const platform::OfferedMenuItem& item : menu.items) {
        ids.push_back(item.id);
    }
    EXPECT_EQ(ids, (std::vector<UINT>{ID_GRAPH_UTILIZATION, ID_GRAPH_ERRORS, ID_GRAPH_BYTES,
                                      ID_GRAPH_PACKETS, ID_GRAPH_ALL}));
}

TEST_F(MatrixViewTest, DoubleClickAsksForAllGraphsNotTheConversationWindow) {
    Serve({{1, kHostA, kHostB, 1, 1, 0}, {2, kHostA, kHostB, 1, 1, 0}});
    ShowNode(1);
    // Rows of two indexes would make the conversation command complain; "All" does not.
    SelectRows(m_view->GetTable(), {0, 1});
    m_view->SendMessage(WM_LBUTTONDBLCLK, 0, MAKELPARAM(10, 30));
    PlatformApp::PumpMessages();
    EXPECT_TRUE(platform::MessageBoxRecords().empty());
    EXPECT_TRUE(m_view->HasSelectedRows());
    m_view->GetTable()->Model().ClearSelection();
    EXPECT_FALSE(m_view->HasSelectedRows());
}

} // namespace

// Regression: a view whose tab the host destroyed without Close kept a windowless table and
// its first connection, so a rebuilt view filled an invisible table and the host's menu
// stayed disabled.
TEST_F(MatrixViewTest, ViewRebuiltAfterItsTabWasDestroyedHasATableAConnectionAndWalks) {
    Serve(kConversations);
    ShowNode(1);
    const DbHandle firstConnection = m_view->GetConnection();
    ASSERT_NE(DbOpenTable(firstConnection, DB_TABLE_REQUESTS), 0u);

    m_tabs->DestroyWindow();
    EXPECT_EQ(m_view->GetTable(), nullptr);
    EXPECT_EQ(DbOpenTable(firstConnection, DB_TABLE_REQUESTS), 0u) << "connection left open";

    m_tabs = std::make_unique<SECTabWnd>();
    ASSERT_TRUE(m_tabs->Create(m_frame.get(), WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL));
    ASSERT_TRUE(m_view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0),
                               m_tabs.get(), IDC_MATRIX_VIEW));
    ASSERT_NE(m_view->GetTable(), nullptr);
    EXPECT_TRUE(IsWindow(m_view->GetTable()->GetSafeHwnd()));
    EXPECT_EQ(m_view->GetDlgItem(IDC_MATRIX_TABLE), m_view->GetTable());
    EXPECT_EQ(m_view->GetTable()->Model().GetColumnCount(), 8);
    EXPECT_NE(DbOpenTable(m_view->GetConnection(), DB_TABLE_REQUESTS), 0u);

    ShowNode(2);
    ASSERT_EQ(RowCount(), 3);
    EXPECT_EQ(Row(2), (Cells{"2", kA, kF, kA, kF, "180", "3", "0"}));
    m_view->GetTable()->Model().SelectRow(0, TRUE);
    EXPECT_TRUE(m_view->HasSelectedRows());
}

// The view created under zh_CN, whose column titles come from the Chinese catalog.
class ChineseMatrixViewTest : public MatrixViewTest {
  protected:
    void SetUp() override {
        setenv("LANGUAGE", "zh_CN", 1);
        MatrixViewTest::SetUp();
    }
    void TearDown() override {
        MatrixViewTest::TearDown();
        unsetenv("LANGUAGE");
    }

    // The dark pixels of a column's header text, cut to their bounding box, one row of
    // '#' and '.' per line.
    std::vector<std::string> TitleInk(int column) const {
        KSCTable* table = m_view->GetTable();
        CRect header;
        table->GetHeaderRect(column, &header);
        header.DeflateRect(3, 3);
        CDC* dc = table->GetDC();
        std::vector<std::string> ink;
        for (int y = header.top; y < header.bottom; ++y) {
            std::string line;
            for (int x = header.left; x < header.right; ++x) {
                const COLORREF pixel = dc->GetPixel(x, y);
                const bool dark =
                    GetRValue(pixel) < 128 && GetGValue(pixel) < 128 && GetBValue(pixel) < 128;
                line += dark ? '#' : '.';
            }
            ink.push_back(line);
        }
        table->ReleaseDC(dc);
        return Cropped(ink);
    }

    static std::vector<std::string> Cropped(const std::vector<std::string>& ink) {
        size_t top = ink.size(), bottom = 0, left = std::string::npos, right = 0;
        for (size_t y = 0; y < ink.size(); ++y) {
            const size_t first = ink[y].find('#');
            if (first == std::string::npos) {
                continue;
            }
            top = std::min(top, y);
            bottom = y + 1;
            left = std::min(left, first);
            right = std::max(right, ink[y].rfind('#') + 1);
        }
        std::vector<std::string> cropped;
        for (size_t y = top; y < bottom; ++y) {
            cropped.push_back(ink[y].substr(left, right - left));
        }
        return cropped;
    }
};

// Two titles of two characters each: drawn as boxes (a font without Chinese glyphs) they
// would be the same four boxes; drawn as text they differ.
TEST_F(ChineseMatrixViewTest, ColumnTitlesDrawChineseGlyphsNotBoxes) {
    KSCTable* table = m_view->GetTable();
    EXPECT_EQ(table->Model().GetColumnTitle(5), "字节");
    EXPECT_EQ(table->Model().GetColumnTitle(7), "错误");
    EXPECT_EQ(table->Model().GetColumnTitle(0), "索引");
    m_frame->ShowWindow(SW_SHOW);
    table->Invalidate();
    table->UpdateWindow();

    const std::vector<std::string> bytes = TitleInk(5);
    const std::vector<std::string> errors = TitleInk(7);
    const std::vector<std::string> index = TitleInk(0);
    ASSERT_FALSE(bytes.empty());
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(bytes, errors);
    EXPECT_NE(bytes, index);
    EXPECT_NE(errors, index);
}
