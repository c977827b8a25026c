// The graph host windows: a single graph's frame, a graph page and the multi-tab frame,
// with a plain child window standing in for the host's graph.
#include "graphwnd/graph_page_wnd.h"
#include "graphwnd/graph_window_maker.h"
#include "graphwnd/mib_graph.h"
#include "graphwnd/multi_tab_mdi_child_wnd.h"
#include "platform/toolkit/platform_app.h"

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

class GraphWindowsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { PlatformApp::Init(); }
    void SetUp() override {
        ASSERT_TRUE(m_frame.Create(nullptr, "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                   CRect(0, 0, 800, 600)));
    }
    void TearDown() override {
        m_graph.DestroyWindow();
        m_frame.DestroyWindow();
        PlatformApp::PumpMessages();
    }
    // The stand-in for the host's graph, a child of parent.
    HWND NewGraph(CWnd* parent) {
        m_graph.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(1, 1, 2, 2), parent, 77);
        return m_graph.GetSafeHwnd();
    }

    SECMDIFrameWnd m_frame;
    CWnd m_graph;
};

TEST_F(GraphWindowsTest, RunTimeRecordsNameTheChildFrameAsBase) {
    for (CRuntimeClass* record : {RUNTIME_CLASS(CMibGraph), RUNTIME_CLASS(CMultiTabMDIChildWnd)}) {
        EXPECT_EQ(record->m_pBaseClass, RUNTIME_CLASS(CMDIChildWnd));
        std::unique_ptr<CObject> made(record->CreateObject());
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetRuntimeClass(), record);
    }
    EXPECT_STREQ(RUNTIME_CLASS(CMibGraph)->m_lpszClassName, "CMibGraph");
    EXPECT_STREQ(RUNTIME_CLASS(CMultiTabMDIChildWnd)->m_lpszClassName, "CMultiTabMDIChildWnd");
    EXPECT_EQ(CGraphPageWnd().GetRuntimeClass(), RUNTIME_CLASS(CWnd));
}

TEST_F(GraphWindowsTest, GraphFrameKeepsItsGraphFillingTheClientArea) {
    auto* frame = new CMibGraph;
    ASSERT_TRUE(frame->Create(nullptr, "graph", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                              CFrameWnd::rectDefault, &m_frame));
    EXPECT_EQ(frame->GetGraph(), nullptr);
    frame->SetGraph(NewGraph(frame));
    frame->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 200));
    EXPECT_EQ(PlacedRect(m_graph), CRect(0, 0, 300, 200));
    frame->MoveWindow(10, 10, 420, 330);
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_EQ(PlacedRect(m_graph), client);
    // The graph covers the client area: nothing is erased under it.
    EXPECT_EQ(frame->SendMessage(WM_ERASEBKGND, 0, 0), TRUE);
}

TEST_F(GraphWindowsTest, GraphPageHidesTheGraphsTopLeftBorder) {
    CGraphPageWnd page;
    ASSERT_TRUE(page.Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &m_frame, 3000));
    ::SetWindowLongPtr(page.GetSafeHwnd(), GWL_USERDATA,
                       reinterpret_cast<LONG_PTR>(NewGraph(&page)));
    page.MoveWindow(0, 0, 300, 200);
    EXPECT_EQ(PlacedRect(m_graph), CRect(-2, -2, 300, 200));
}

class TabFrameTest : public GraphWindowsTest {
  protected:
    void SetUp() override {
        GraphWindowsTest::SetUp();
        m_tabFrame = new CMultiTabMDIChildWnd;
        ASSERT_TRUE(m_tabFrame->Create(nullptr, "Matrix",
                                       WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                                       CFrameWnd::rectDefault, &m_frame));
        ASSERT_TRUE(m_maker.CreateTabWnd(m_tabFrame, WS_CHILD | WS_VISIBLE));
    }
    CWnd* AddPage(LPCSTR label, LPCSTR caption) {
        CWnd* page = m_maker.NewGraphPage();
        page->Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), m_tabFrame->GetTabWnd(),
                     3000);
        m_maker.AddTab(m_tabFrame, page, label, caption);
        return page;
    }

    GraphWindowMaker m_maker;
    CMultiTabMDIChildWnd* m_tabFrame = nullptr;
};

TEST_F(TabFrameTest, TabWindowIsMadeOnceAsTheFramesFirstPane) {
    SECTabWnd* tabs = m_maker.GetTabWnd(m_tabFrame);
    ASSERT_EQ(tabs, m_tabFrame->GetTabWnd());
    const HWND made = tabs->GetSafeHwnd();
    EXPECT_EQ(tabs->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    EXPECT_EQ(tabs->GetParent(), m_tabFrame);
    EXPECT_FALSE(m_tabFrame->CreateTabWnd(WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(tabs->GetSafeHwnd(), made);
    // The frame's layout keeps the tab window over its client area.
    m_tabFrame->MoveWindow(0, 0, 360, 260);
    CRect client;
    m_tabFrame->GetClientRect(&client);
    EXPECT_EQ(PlacedRect(*tabs), client);
    // Frames of the other class are refused, never cast.
    CMDIChildWnd* graph = m_maker.NewGraphFrame();
    EXPECT_FALSE(m_maker.CreateTabWnd(graph, WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(m_maker.GetTabWnd(graph), nullptr);
    m_maker.SetHostedGraph(m_tabFrame, made);
    delete graph;
}

TEST_F(TabFrameTest, CaptionFollowsTheActiveTabWhileItsEntryHoldsThePage) {
    SECTabWnd* tabs = m_tabFrame->GetTabWnd();
    const HWND page = AddPage("Utilization", "Utilization for probe")->GetSafeHwnd();
    AddPage("Errors", "Errors for probe");
    // A tab put in without the frame: the frame's third entry is not its tab's page, and
    // the last tab has no entry.
    CGraphPageWnd stranger;
    stranger.Create(nullptr, "", WS_CHILD, CRect(0, 0, 0, 0), tabs, 3000);
    tabs->AddTab(&stranger, "Stranger");
    AddPage("Bytes", "Bytes for probe");
    tabs->ActivateTab(1);
    EXPECT_EQ(Caption(*m_tabFrame), "Errors for probe");
    tabs->ActivateTab(0);
    EXPECT_EQ(Caption(*m_tabFrame), "Utilization for probe");
    // An entry that holds another page than its tab, or no entry, leaves the caption alone.
    tabs->ActivateTab(2);
    EXPECT_EQ(Caption(*m_tabFrame), "Utilization for probe");
    tabs->ActivateTab(3);
    EXPECT_EQ(m_tabFrame->SendMessage(TCM_TABSEL, 7, 0), 0);
    EXPECT_EQ(Caption(*m_tabFrame), "Utilization for probe");
    // Closed, the frame takes its pages with it (the leak check sees the objects).
    m_tabFrame->MDIDestroy();
    EXPECT_FALSE(::IsWindow(page));
}

} // namespace
