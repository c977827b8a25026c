#include "host/console/node_list_wnd.h"

#include "hostapi/ksmem32.h"

#include <utility>

namespace {
constexpr int kRowHeight = 20;
constexpr int kTextIndent = 8;
const CRect LIST_RECT(8, 8, 228, 308);
} // namespace

BEGIN_MESSAGE_MAP(NodeListWnd, CMDIChildWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

NodeListWnd::NodeListWnd(std::vector<std::string> names,
                         std::function<void(const std::string&)> open)
    : m_names(std::move(names)), m_open(std::move(open)) {}

BOOL NodeListWnd::CreateList(CMDIFrameWnd* frame) {
    return Create(nullptr, Localize("Nodes"), WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW,
                  LIST_RECT, frame);
}

BOOL NodeListWnd::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    dc->FillSolidRect(&client, GetSysColor(COLOR_WINDOW));
    return TRUE;
}

void NodeListWnd::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.SelectStockObject(DEFAULT_GUI_FONT);
    dc.SetBkMode(TRANSPARENT);
    for (int row = 0; row < static_cast<int>(m_names.size()); ++row) {
        CRect line(0, row * kRowHeight, client.right, (row + 1) * kRowHeight);
        const bool selected = row == m_selected;
        if (selected) {
            dc.FillSolidRect(&line, GetSysColor(COLOR_HIGHLIGHT));
        }
        dc.SetTextColor(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        line.left += kTextIndent;
        dc.DrawText(m_names[row], &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

int NodeListWnd::RowAt(CPoint point) const {
    const int row = point.y / kRowHeight;
    return point.y >= 0 && row < static_cast<int>(m_names.size()) ? row : -1;
}

void NodeListWnd::OpenSelected() {
    if (m_selected >= 0 && m_selected < static_cast<int>(m_names.size())) {
        m_open(m_names[m_selected]);
    }
}

void NodeListWnd::OnLButtonDown(UINT, CPoint point) {
    SetFocus();
    const int row = RowAt(point);
    if (row < 0) {
        return;
    }
    m_selected = row;
    Invalidate();
}

void NodeListWnd::OnLButtonDblClk(UINT flags, CPoint point) {
    OnLButtonDown(flags, point);
    if (RowAt(point) >= 0) {
        OpenSelected();
    }
}

void NodeListWnd::OnKeyDown(UINT key, UINT, UINT) {
    const int last = static_cast<int>(m_names.size()) - 1;
    if (key == VK_RETURN) {
        OpenSelected();
    } else if (key == VK_UP && m_selected > 0) {
        --m_selected;
    } else if (key == VK_DOWN && m_selected < last) {
        ++m_selected;
    }
    Invalidate();
}
