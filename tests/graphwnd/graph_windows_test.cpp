// The graph host windows: a single graph's frame, a graph page and the multi-tab frame,
// with a plain child window standing in for the host's graph.
#include "graphwnd/graph_page_wnd.h"
#include "graphwnd/graph_window_maker.h"
#include "graphwnd/mib_graph.h"
#include "graphwnd/multi_tab_mdi_child_wnd.h"
#include "platform/platform_app.h"
#include "platform/scripted_ui.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A window's rectangle in its parent's client coordinates.
CRect PlacedRect(const CWnd& window) {
    CRect rect;
    window.GetWindowRect(&rect);
    window.GetParent()->ScreenToClient(&rect);
    return rect;
}

std::string Caption(const CWnd& window) {
    std::string text;
    window.GetWindowText(text);
    return text;
}

// A page that counts its deletions.
class CountedPage : public CGraphPageWnd {
  public:
    static int deleted;
    ~CountedPage() override { ++deleted; }
};

int CountedPage::deleted = 0;

class GraphWindowsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        PlatformApp::Init();
        platform::SetScriptedUi(TRUE);
    }
    void SetUp() override {
        ASSERT_TRUE(m_frame.Create(nullptr, "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   CRect(0, 0, 800, 600)));
        CountedPage::deleted = 0;
    }
    void TearDown() override {
        m_frame.DestroyWindow();
        PlatformApp::PumpMessages();
    }
    // A stand-in for the host's graph, a child of parent.
    static HWND NewGraph(CWnd* parent, CWnd& graph) {
        graph.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(1, 1, 2, 2), parent, 77);
        return graph.GetSafeHwnd();
    }

    SECMDIFrameWnd m_frame;
};

TEST_F(GraphWindowsTest, RunTimeRecordsNameTheChildFrameAsBase) {
    for (CRuntimeClass* record : {RUNTIME_CLASS(CMibGraph), RUNTIME_CLASS(CMultiTabMDIChildWnd)}) {
        EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CMDIChildWnd));
        std::unique_ptr<CObject> made(record->CreateObject());
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetRuntimeClass(), record);
        EXPECT_TRUE(made->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)));
    }
    EXPECT_STREQ(RUNTIME_CLASS(CMibGraph)->m_lpszClassName, "CMibGraph");
    EXPECT_STREQ(RUNTIME_CLASS(CMultiTabMDIChildWnd)->m_lpszClassName, "CMultiTabMDIChildWnd");
    EXPECT_EQ(CMibGraph().m_hWndGraph, nullptr);
    // A page reports itself as a plain window.
    EXPECT_EQ(CGraphPageWnd().GetRuntimeClass(), RUNTIME_CLASS(CWnd));
}

TEST_F(GraphWindowsTest, GraphFrameKeepsItsGraphFillingTheClientArea) {
    auto* frame = new CMibGraph;
    ASSERT_TRUE(frame->Create(nullptr, "graph", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                              CFrameWnd::rectDefault, &m_frame));
    // Before a graph is stored, sizing moves nothing.
    frame->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(100, 100));
    CWnd graph;
    frame->m_hWndGraph = NewGraph(frame, graph);

    frame->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(PlacedRect(graph), CRect(0, 0, 300, 200));
    frame->MoveWindow(10, 10, 420, 330);
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_EQ(PlacedRect(graph), client);
    // The graph covers the client area: nothing is erased under it.
    EXPECT_EQ(frame->SendMessage(WM_ERASEBKGND, 0, 0), TRUE);
    graph.DestroyWindow();
}

TEST_F(GraphWindowsTest, GraphPageHidesTheGraphsTopLeftBorder) {
    CWnd parent;
    ASSERT_TRUE(
        parent.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 500, 400), &m_frame, 1));
    CGraphPageWnd page;
    ASSERT_TRUE(page.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &parent, 3000));
    CWnd graph;
    ::SetWindowLongPtr(page.GetSafeHwnd(), GWL_USERDATA,
                       reinterpret_cast<LONG_PTR>(NewGraph(&page, graph)));
    page.MoveWindow(0, 0, 300, 200);
    EXPECT_EQ(PlacedRect(graph), CRect(-2, -2, 300, 200));
    page.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80));
    EXPECT_EQ(PlacedRect(graph), CRect(-2, -2, 120, 80));
    graph.DestroyWindow();
    page.DestroyWindow();
    parent.DestroyWindow();
}

class TabFrameTest : public GraphWindowsTest {
  protected:
    void SetUp() override {
        GraphWindowsTest::SetUp();
        m_tabFrame = new CMultiTabMDIChildWnd;
        ASSERT_TRUE(m_tabFrame->Create(nullptr, "Matrix",
                                       WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                       CFrameWnd::rectDefault, &m_frame));
    }
    // Adds a counted page under label with caption.
    CWnd* AddPage(LPCSTR label, LPCSTR caption) {
        auto* page = new CountedPage;
        page->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &m_tabFrame->m_tabWnd,
                     3000);
        m_tabFrame->AddTab(page, label, caption);
        return page;
    }

    CMultiTabMDIChildWnd* m_tabFrame = nullptr;
};

TEST_F(TabFrameTest, TabWindowIsMadeOnceAsTheFramesFirstPane) {
    EXPECT_FALSE(::IsWindow(m_tabFrame->m_tabWnd.GetSafeHwnd()));
    ASSERT_TRUE(m_tabFrame->CreateTabWnd(WS_CHILD | WS_VISIBLE));
    const HWND tabs = m_tabFrame->m_tabWnd.GetSafeHwnd();
    EXPECT_EQ(m_tabFrame->m_tabWnd.GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    EXPECT_EQ(m_tabFrame->m_tabWnd.GetParent(), m_tabFrame);
    EXPECT_FALSE(m_tabFrame->CreateTabWnd(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(m_tabFrame->m_tabWnd.GetSafeHwnd(), tabs);

    // The frame's layout keeps the tab window over its client area.
    m_tabFrame->MoveWindow(0, 0, 360, 260);
    CRect client;
    m_tabFrame->GetClientRect(&client);
    EXPECT_EQ(PlacedRect(m_tabFrame->m_tabWnd), client);
}

TEST_F(TabFrameTest, CaptionFollowsTheActiveTabWhileItsEntryHoldsThePage) {
    ASSERT_TRUE(m_tabFrame->CreateTabWnd(WS_CHILD | WS_VISIBLE));
    AddPage("Utilization", "Utilization for probe");
    CWnd* errors = AddPage("Errors", "Errors for probe");
    AddPage("Bytes", "Bytes for probe");
    ASSERT_EQ(m_tabFrame->m_tabEntries.size(), 3u);
    EXPECT_EQ(m_tabFrame->m_tabEntries[1]->page, errors);

    m_tabFrame->m_tabWnd.ActivateTab(2);
    EXPECT_EQ(Caption(*m_tabFrame), "Bytes for probe");
    m_tabFrame->m_tabWnd.ActivateTab(0);
    EXPECT_EQ(Caption(*m_tabFrame), "Utilization for probe");

    // An entry that holds another page than its tab leaves the caption alone.
    std::swap(m_tabFrame->m_tabEntries[1]->page, m_tabFrame->m_tabEntries[2]->page);
    m_tabFrame->m_tabWnd.ActivateTab(1);
    EXPECT_EQ(Caption(*m_tabFrame), "Utilization for probe");
    // So does a position beyond the entries.
    EXPECT_EQ(m_tabFrame->SendMessage(TCM_TABSEL, 7, 0), 0);
    EXPECT_EQ(Caption(*m_tabFrame), "Utilization for probe");
}

TEST_F(TabFrameTest, ClosingTheFrameDeletesItsPages) {
    ASSERT_TRUE(m_tabFrame->CreateTabWnd(WS_CHILD | WS_VISIBLE));
    CWnd* first = AddPage("Utilization", "a");
    AddPage("Errors", "b");
    const HWND page = first->GetSafeHwnd();
    m_tabFrame->MDIDestroy();
    PlatformApp::PumpMessages();
    EXPECT_FALSE(::IsWindow(page));
    EXPECT_EQ(CountedPage::deleted, 2);
}

TEST_F(TabFrameTest, MakerWorksOnlyOnFramesOfItsClasses) {
    GraphWindowMaker maker;
    EXPECT_EQ(maker.GetTabWnd(m_tabFrame), nullptr);
    EXPECT_TRUE(maker.CreateTabWnd(m_tabFrame, WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(maker.GetTabWnd(m_tabFrame), &m_tabFrame->m_tabWnd);
    // A frame of the other class is refused, never cast.
    CMDIChildWnd* graph = maker.NewGraphFrame();
    EXPECT_FALSE(maker.CreateTabWnd(graph, WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(maker.GetTabWnd(graph), nullptr);
    maker.SetHostedGraph(m_tabFrame, reinterpret_cast<HWND>(5));
    maker.SetHostedGraph(graph, reinterpret_cast<HWND>(5));
    EXPECT_EQ(static_cast<CMibGraph*>(graph)->m_hWndGraph, reinterpret_cast<HWND>(5));
    delete graph;
}

} // namespace
