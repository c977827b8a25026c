#include "host/console/node_window.h"

#include "host/console/node_status.h"
#include "host/console/plugin_host.h"
#include "host/ksdbapi/ksdb_host.h"
#include "hostapi/ksmem32.h"
#include "platform/framework/scroll_bar.h"

#include <algorithm>
#include <utility>

namespace {
const char kMatrixTabLabel[] = "Matrix";
constexpr UINT kStatusLineId = 101;
constexpr UINT_PTR kStatusTimer = 1;
// Walks end every ten seconds or so; a second is as late as the line may lag behind them.
constexpr UINT kStatusIntervalMs = 1000;
} // namespace

BEGIN_MESSAGE_MAP(NodeWindow, SECWorksheet)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_DESTROY()
ON_WM_TIMER()
END_MESSAGE_MAP()

NodeWindow::NodeWindow(PluginHost& plugin, uint32_t hostContext, std::function<void()> onClosed)
    : m_plugin(plugin), m_hostContext(hostContext), m_onClosed(std::move(onClosed)) {}

BOOL NodeWindow::Open(CMDIFrameWnd* frame, uint32_t nodeId, const std::string& nodeName) {
    m_nodeId = nodeId;
    m_nodeName = nodeName;
    m_walksAtOpen = ksdb::ActivityOf(nodeId).tableWalksEnded;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | WS_MAXIMIZE;
    if (!Create(nullptr, nodeName.c_str(), style, rectDefault, frame)) {
        return FALSE;
    }
    if (!BuildMatrixTab(frame) || !m_plugin.SetNode(nodeId, &m_nodeName)) {
        return FALSE;
    }
    RefreshStatus();
    return TRUE;
}

// InitTab creates the view as a page of the tab window; the console then adds the page,
// activates it and shares the tab window's scroll bars with it.
BOOL NodeWindow::BuildMatrixTab(CWnd* frame) {
    const int tabIndex = m_tabs.GetTabCount();
    if (!m_plugin.InitTab(m_hostContext, &m_tabs, frame, &m_view, tabIndex) || !m_view) {
        return FALSE;
    }
    m_tabs.AddTab(m_view, Localize(kMatrixTabLabel));
    m_tabs.ActivateTab(tabIndex);
    m_plugin.SetScrollBars(m_tabs.GetScrollBar(SB_HORZ, m_view),
                           m_tabs.GetScrollBar(SB_VERT, m_view));
    return TRUE;
}

int NodeWindow::WalksSinceOpen() const {
    return ksdb::ActivityOf(m_nodeId).tableWalksEnded - m_walksAtOpen;
}

void NodeWindow::RefreshStatus() {
    if (IsWindow(m_status.m_hWnd)) {
        m_status.Show(DescribeNode(ksdb::ActivityOf(m_nodeId)).text);
    }
}

void NodeWindow::OnTimer(UINT id) {
    if (id == kStatusTimer) {
        RefreshStatus();
    }
}

int NodeWindow::OnCreate(LPCREATESTRUCT createStruct) {
    if (SECWorksheet::OnCreate(createStruct) == -1) {
        return -1;
    }
    if (!m_tabs.Create(this, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL) ||
        !m_status.CreateLine(this, kStatusLineId)) {
        return -1;
    }
    SetTimer(kStatusTimer, kStatusIntervalMs);
    return 0;
}

void NodeWindow::OnSize(UINT type, int cx, int cy) {
    SECWorksheet::OnSize(type, cx, cy);
    const int tabsHeight = std::max(cy - StatusLineWnd::kHeight, 0);
    if (IsWindow(m_tabs.m_hWnd)) {
        m_tabs.MoveWindow(0, 0, cx, tabsHeight);
    }
    if (IsWindow(m_status.m_hWnd)) {
        m_status.MoveWindow(0, tabsHeight, cx, cy - tabsHeight);
    }
}

// The tab closes with this window: the plug-in hears Close before its view window goes.
void NodeWindow::OnDestroy() {
    KillTimer(kStatusTimer);
    if (m_view) {
        m_plugin.Close();
    }
    m_view = nullptr;
    SECWorksheet::OnDestroy();
    if (m_onClosed) {
        m_onClosed();
    }
}
