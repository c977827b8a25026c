// CConversationCtrl: nodes, layout, pair enumeration, the mouse rules and the report.
// Drawing is in conversation_ctrl_paint.cpp.
#include "conversation/conversation_ctrl.h"

#include "hostapi/window_report.h"
#include "platform/core/text_reply.h"
#include "res/resource.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {

constexpr COLORREF kBackgroundColor = RGB(192, 192, 192);

// The ellipse sits this far inside the client area; labels and node centres lie on
// ellipses this much wider and narrower than it.
constexpr int kEllipseInsetX = 100;
constexpr int kEllipseInsetY = 20;
constexpr double kLabelGrowth = 15;
constexpr double kNodeShrink = 30;

constexpr double kFullTurn = 6.28318530718;
constexpr double kQuarterTurn = 1.570796326795;

// A label is right-aligned strictly between a quarter and three quarters of a turn, so
// the labels straight below and above a node stay left-aligned.
int LabelAlignment(double angle) {
    return angle > kQuarterTurn && angle < 3 * kQuarterTurn ? TA_RIGHT : TA_LEFT;
}

CPoint OnEllipse(CPoint center, double angle, double radiusX, double radiusY) {
    // Truncation toward zero, as the positions are integers.
    return CPoint(center.x + static_cast<int>(cos(angle) * radiusX),
                  center.y + static_cast<int>(sin(angle) * radiusY));
}

} // namespace

BEGIN_MESSAGE_MAP(CConversationCtrl, CWnd)
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_MOUSEMOVE()
ON_MESSAGE(WM_GETREPORT, OnGetReport)
END_MESSAGE_MAP()

CConversationCtrl::CConversationCtrl()
    : m_backgroundColor(kBackgroundColor),
      m_pairs(std::make_unique<CConversationPairList>(m_nodes)) {
    m_boxBitmap.LoadBitmap(IDB_NODE_BOX);
    BITMAP box{};
    if (m_boxBitmap.GetBitmap(&box) != 0) {
        m_boxSize = CSize(box.bmWidth, box.bmHeight);
    }
}

// The pairs go first, then the nodes from the last to the first; the off-screen DC is
// released before the bitmap selected into it.
CConversationCtrl::~CConversationCtrl() {
    m_pairs.reset();
    while (!m_nodes.empty()) {
        m_nodes.pop_back();
    }
    m_memoryDC.DeleteDC();
    m_memoryBitmap.DeleteObject();
    m_boxBitmap.DeleteObject();
}

int CConversationCtrl::AddNode(const char* name) {
    if (name == nullptr || name[0] == '\0' || strcmp(name, " ") == 0) {
        return -1;
    }
    auto node = std::make_unique<ConversationNode>();
    snprintf(node->m_name, sizeof node->m_name, "%s", name);
    m_nodes.push_back(std::move(node));
    RecalcLayout();
    m_lastClientRect.SetRectEmpty();
    Invalidate(FALSE);
    return 1;
}

int CConversationCtrl::GetFirstSelectedPair(char* first, char* second) {
    if (m_pairs->GetCount() == 0) {
        return PAIR_NONE_CHOSEN;
    }
    m_pairs->GetNames(0, first, second, NODE_NAME_SIZE);
    return 0;
}

int CConversationCtrl::GetNextSelectedPair(int position, char* first, char* second) {
    if (m_pairs->GetCount() == 0) {
        return PAIR_NONE_CHOSEN;
    }
    if (position + 1 >= m_pairs->GetCount()) {
        return PAIR_END;
    }
    m_pairs->GetNames(position + 1, first, second, NODE_NAME_SIZE);
    return position + 1;
}

// Node 0 sits at the right end of the ellipse and the nodes run clockwise on screen.
// Nothing limits the radii: a client area narrower than 200 pixels mirrors the picture.
void CConversationCtrl::RecalcLayout() {
    CRect client;
    GetClientRect(&client);
    m_ellipseRect = CRect(client.left + kEllipseInsetX, client.top + kEllipseInsetY,
                          client.right - kEllipseInsetX, client.bottom - kEllipseInsetY);
    const CPoint center(client.right / 2, client.bottom / 2);
    LayoutLabels(center);
    LayoutNodes(center);
}

void CConversationCtrl::LayoutLabels(CPoint center) {
    m_nodeCount = static_cast<int>(m_nodes.size());
    const double radiusX = (m_ellipseRect.Width() + kLabelGrowth) / 2.0;
    const double radiusY = (m_ellipseRect.Height() + kLabelGrowth) / 2.0;
    for (int i = 0; i < m_nodeCount; ++i) {
        const double angle = (kFullTurn / m_nodeCount) * i;
        const CPoint label = OnEllipse(center, angle, radiusX, radiusY);
        m_nodes[i]->m_labelX = label.x;
        m_nodes[i]->m_labelY = label.y;
        m_nodes[i]->m_labelAlign = LabelAlignment(angle);
    }
}

void CConversationCtrl::LayoutNodes(CPoint center) {
    m_nodeCount = static_cast<int>(m_nodes.size());
    const double radiusX = (m_ellipseRect.Width() - kNodeShrink) / 2.0;
    const double radiusY = (m_ellipseRect.Height() - kNodeShrink) / 2.0;
    for (int i = 0; i < m_nodeCount; ++i) {
        const CPoint centre = OnEllipse(center, (kFullTurn / m_nodeCount) * i, radiusX, radiusY);
        m_nodes[i]->m_centerX = centre.x;
        m_nodes[i]->m_centerY = centre.y;
    }
}

void CConversationCtrl::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    RecalcLayout();
}

CPoint CConversationCtrl::Center(int position) const {
    return CPoint(m_nodes[position]->m_centerX, m_nodes[position]->m_centerY);
}

// The box of the node bitmap around the centre: left and top inside, right and bottom
// outside, as a rectangle holds points.
CRect CConversationCtrl::NodeBox(int position) const {
    const CPoint c = Center(position);
    return CRect(c.x - m_boxSize.cx / 2, c.y - m_boxSize.cy / 2, c.x + m_boxSize.cx / 2,
                 c.y + m_boxSize.cy / 2);
}

// Without Ctrl a press starts over: the pairs go. With Ctrl the pairs stay, unless the
// last drag ended off target (mode 0 with pairs left). When boxes overlap, the last
// node holding the point starts the drag.
void CConversationCtrl::OnLButtonDown(UINT flags, CPoint point) {
    CClientDC dc(this);
    if (m_mode != MODE_IDLE && (flags & MK_CONTROL) == 0) {
        m_mode = MODE_IDLE;
        m_targetNode = -1;
        m_startNode = -1;
        m_pairs->Clear();
    }
    if (m_mode == MODE_IDLE && m_pairs->GetCount() > 0) {
        m_pairs->Clear();
    }
    for (int i = 0; i < static_cast<int>(m_nodes.size()); ++i) {
        if (NodeBox(i).PtInRect(point)) {
            m_currentPoint = m_startPoint = Center(i);
            m_startNode = i;
            m_mode = MODE_DRAGGING;
            DrawNode(&dc, i, TRUE);
        }
    }
    Invalidate(FALSE);
    Default();
}

void CConversationCtrl::OnMouseMove(UINT, CPoint point) {
    if (m_mode != MODE_DRAGGING) {
        Default();
        return;
    }
    CClientDC dc(this);
    DrawDragLine(&dc, Center(m_startNode), m_currentPoint);
    m_currentPoint = point;
    if (m_targetNode >= 0) {
        DrawNode(&dc, m_targetNode, FALSE);
    }
    m_targetNode = -1;
    for (int i = 0; i < static_cast<int>(m_nodes.size()); ++i) {
        if (i != m_startNode && NodeBox(i).PtInRect(point)) {
            m_targetNode = i;
            break;
        }
    }
    if (m_targetNode >= 0) {
        DrawNode(&dc, m_startNode, TRUE);
        DrawNode(&dc, m_targetNode, TRUE);
    }
    DrawDragLine(&dc, Center(m_startNode), m_currentPoint);
    Default();
}

// The control does not capture the mouse: a release outside the window never arrives
// here, the drag goes on, and the line follows the mouse again when it comes back.
void CConversationCtrl::OnLButtonUp(UINT, CPoint point) {
    if (m_mode == MODE_DRAGGING) {
        if (m_targetNode >= 0 && NodeBox(m_targetNode).PtInRect(point)) {
            m_mode = MODE_PAIR_CHOSEN;
            m_pairs->Add(m_startNode, m_targetNode);
        } else {
            m_mode = MODE_IDLE;
        }
        CClientDC dc(this);
        DrawDragLine(&dc, Center(m_startNode), m_currentPoint);
        Invalidate(FALSE);
    }
    m_currentPoint = m_startPoint = CPoint(0, 0);
    Default();
}

// Report (WM_GETREPORT), one tab-separated record a line:
//   mode  MODE                                 0 idle, 1 dragging, 3 pair chosen
//   node  NAME  CX  CY  LX  LY  left|right     per node in order: centre, label point,
//                                              label alignment
//   pair  FIRST  SECOND                        per chosen pair in the order chosen
LRESULT CConversationCtrl::OnGetReport(WPARAM size, LPARAM buffer) {
    return CopyTextReply(Report(), size, buffer);
}

std::string CConversationCtrl::Report() const {
    std::string report = "mode\t" + std::to_string(m_mode) + "\n";
    for (const auto& node : m_nodes) {
        char line[NODE_NAME_SIZE + 96];
        snprintf(line, sizeof line, "node\t%s\t%d\t%d\t%d\t%d\t%s\n", node->m_name, node->m_centerX,
                 node->m_centerY, node->m_labelX, node->m_labelY,
                 node->m_labelAlign == TA_RIGHT ? "right" : "left");
        report += line;
    }
    char first[NODE_NAME_SIZE];
    char second[NODE_NAME_SIZE];
    for (int i = 0; i < m_pairs->GetCount(); ++i) {
        m_pairs->GetNames(i, first, second, sizeof first);
        report += std::string("pair\t") + first + "\t" + second + "\n";
    }
    return report;
}
