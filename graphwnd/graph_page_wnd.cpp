#include "graphwnd/graph_page_wnd.h"

namespace {

// The graph's two leftmost pixel columns and two top pixel rows lie outside the page, so
// that its own border stays out of sight.
constexpr int kGraphInset = 2;

} // namespace

BEGIN_MESSAGE_MAP(CGraphPageWnd, CWnd)
ON_WM_SIZE()
END_MESSAGE_MAP()

CGraphPageWnd::CGraphPageWnd() = default;

CGraphPageWnd::~CGraphPageWnd() = default;

void CGraphPageWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    const auto graph = reinterpret_cast<HWND>(::GetWindowLongPtr(m_hWnd, GWL_USERDATA));
    ::SetWindowPos(graph, nullptr, -kGraphInset, -kGraphInset, cx + kGraphInset, cy + kGraphInset,
                   SWP_NOZORDER);
}
