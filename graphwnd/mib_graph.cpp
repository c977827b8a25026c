#include "graphwnd/mib_graph.h"

// The run-time record names the framework's child frame as the base: to a frame type test
// a graph frame is a plain multi-document child.
IMPLEMENT_DYNCREATE(CMibGraph, CMDIChildWnd)

BEGIN_MESSAGE_MAP(CMibGraph, SECWorksheet)
ON_WM_SIZE()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CMibGraph::CMibGraph() : m_hWndGraph(nullptr) {}

CMibGraph::~CMibGraph() = default;

void CMibGraph::OnSize(UINT type, int cx, int cy) {
    SECWorksheet::OnSize(type, cx, cy);
    ::SetWindowPos(m_hWndGraph, nullptr, 0, 0, cx, cy, SWP_NOZORDER);
}

// The graph covers the whole client area; erasing under it would only flicker.
BOOL CMibGraph::OnEraseBkgnd(CDC*) {
    return TRUE;
}
