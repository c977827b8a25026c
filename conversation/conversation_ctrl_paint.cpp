// CConversationCtrl: the off-screen picture, the nodes, the pair lines and the drag line.
#include "conversation/conversation_ctrl.h"

#include "platform/framework/resource.h"
#include "res/resource.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kEllipseShade = RGB(146, 146, 146);
const COLORREF kPairDashColor = RGB(0, 191, 191);
const COLORREF kPairLineColor = RGB(191, 191, 191);

// The two lines of a pair sit this far up-left and down-right of the centres.
constexpr int kPairLineOffset = 4;
// Icons are drawn this far up-left of the centre; the shadow this far below-right.
constexpr int kIconOffset = 17;
constexpr int kShadowOffset = 4;

constexpr double kDashLength = 20.0;
constexpr double kTinyFraction = 0.00001;

const char kLabelFace[] = "Times New Roman";
constexpr int kLabelHeight = 15;
constexpr int kLabelWidth = 5;

// Icons are loaded from the module's resources at each use and released after it.
void DrawResourceIcon(CDC* dc, int x, int y, UINT id) {
    LPCSTR name = MAKEINTRESOURCE(id);
    HICON icon = ::LoadIcon(AfxFindResourceHandle(name, RT_GROUP_ICON), name);
    if (icon == nullptr) {
        return;
    }
    dc->DrawIcon(x, y, icon);
    DestroyIcon(icon);
}

// The point at fraction t of the way from p1 to p2, as (p2 + p1 * r) * t with
// r = (1 - t) / t, truncated toward zero.
CPoint PointAt(CPoint p1, CPoint p2, double t) {
    if (fabs(t) < kTinyFraction) {
        return p1;
    }
    const double r = (1 - t) / t;
    return CPoint(static_cast<int>((p2.x + p1.x * r) * t), static_cast<int>((p2.y + p1.y * r) * t));
}

CPoint Shifted(CPoint point, int offset) {
    return CPoint(point.x + offset, point.y + offset);
}

} // namespace

BOOL CConversationCtrl::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CConversationCtrl::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    if (!client.EqualRect(&m_lastClientRect)) {
        RebuildPicture(&dc, client);
    }
    // The icons again, so that highlights follow the mode.
    DrawNodes(&m_memoryDC);
    dc.BitBlt(client.left, client.top, client.Width(), client.Height(), &m_memoryDC, 0, 0, SRCCOPY);
    DrawPairs(&dc);
    if (m_mode == MODE_DRAGGING) {
        DrawDragLine(&dc, m_startPoint, m_currentPoint);
    }
}

void CConversationCtrl::RebuildPicture(CDC* paintDC, const CRect& client) {
    m_memoryDC.DeleteDC();
    m_memoryBitmap.DeleteObject();
    m_memoryBitmap.CreateCompatibleBitmap(paintDC, client.Width(), client.Height());
    m_memoryDC.CreateCompatibleDC(paintDC);
    m_memoryDC.SelectObject(&m_memoryBitmap);
    // Also makes the background colour the labels' text background.
    m_memoryDC.FillSolidRect(&client, m_backgroundColor);
    DrawEllipse(&m_memoryDC);
    DrawLabels(&m_memoryDC);
    DrawNodes(&m_memoryDC);
    m_lastClientRect = client;
}

// A white ellipse with a black outline, shaded grey above and left and lit below and
// right: two white ellipses shifted down-right, two grey ones shifted up-left, then the
// ellipse itself with the DC's pen.
void CConversationCtrl::DrawEllipse(CDC* dc) {
    const CRect& e = m_ellipseRect;
    CGdiObject* previousPen = dc->SelectStockObject(NULL_PEN);
    CBrush white(kWhite);
    CBrush* previousBrush = dc->SelectObject(&white);
    dc->Ellipse(e.left - 1, e.top - 1, e.right + 2, e.bottom + 2);
    dc->Ellipse(e.left, e.top, e.right + 1, e.bottom + 1);
    CBrush grey(kEllipseShade);
    dc->SelectObject(&grey);
    dc->Ellipse(e.left - 2, e.top - 2, e.right, e.bottom);
    dc->Ellipse(e.left - 1, e.top - 1, e.right, e.bottom);
    dc->SelectObject(previousPen);
    dc->SelectObject(&white);
    dc->Ellipse(&e);
    dc->SelectObject(previousBrush);
}

void CConversationCtrl::DrawLabels(CDC* dc) {
    for (const auto& node : m_nodes) {
        DrawLabel(dc, *node);
    }
}

// The DC's own font with the label face and size; text colour and background mode are
// the DC's defaults.
void CConversationCtrl::DrawLabel(CDC* dc, const ConversationNode& node) {
    LOGFONT logFont{};
    if (CFont* current = dc->GetCurrentFont()) {
        current->GetLogFont(&logFont);
    }
    snprintf(logFont.lfFaceName, sizeof logFont.lfFaceName, "%s", kLabelFace);
    logFont.lfHeight = kLabelHeight;
    logFont.lfWidth = kLabelWidth;
    logFont.lfWeight = FW_NORMAL;
    CFont font;
    font.CreateFontIndirect(&logFont);
    CFont* previous = dc->SelectObject(&font);
    dc->SetTextAlign(node.m_labelAlign);
    const int length = static_cast<int>(strlen(node.m_name));
    const CSize extent = dc->GetTextExtent(node.m_name, length);
    dc->TextOut(node.m_labelX, node.m_labelY - extent.cy / 2, node.m_name, length);
    dc->SelectObject(previous);
}

void CConversationCtrl::DrawNode(CDC* dc, int position, BOOL highlighted) {
    if (position < 0 || position >= static_cast<int>(m_nodes.size())) {
        return;
    }
    const CPoint origin = Shifted(Center(position), -kIconOffset);
    DrawResourceIcon(dc, origin.x + kShadowOffset, origin.y + kShadowOffset, IDI_NODE_SHADOW);
    DrawResourceIcon(dc, origin.x, origin.y, highlighted ? IDI_NODE_HIGHLIGHTED : IDI_NODE);
}

// Every node plain; then the nodes of the pair being chosen or just chosen highlighted.
void CConversationCtrl::DrawNodes(CDC* dc) {
    for (int i = 0; i < static_cast<int>(m_nodes.size()); ++i) {
        DrawNode(dc, i, FALSE);
    }
    if (m_mode == MODE_PAIR_CHOSEN) {
        DrawNode(dc, m_startNode, TRUE);
        DrawNode(dc, m_targetNode, TRUE);
    } else if (m_mode == MODE_DRAGGING) {
        DrawNode(dc, m_startNode, TRUE);
    }
}

// Each pair once, however often the list holds it: a cyan dashed line up-left of the
// centres and a grey plain line down-right of them.
void CConversationCtrl::DrawPairs(CDC* dc) {
    CPen dashPen(PS_SOLID, 1, kPairDashColor);
    CPen linePen(PS_SOLID, 1, kPairLineColor);
    CPen* previous = dc->GetCurrentPen();
    const int n = static_cast<int>(m_nodes.size());
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            if (!m_pairs->Contains(i, j)) {
                continue;
            }
            dc->SelectObject(&dashPen);
            DrawDashedLine(dc, Shifted(Center(i), -kPairLineOffset),
                           Shifted(Center(j), -kPairLineOffset));
            dc->SelectObject(&linePen);
            dc->MoveTo(Shifted(Center(i), kPairLineOffset));
            dc->LineTo(Shifted(Center(j), kPairLineOffset));
        }
    }
    dc->SelectObject(previous);
}

// k pieces of about 20 pixels, k odd and at least 1, drawn and skipped by turns.
void CConversationCtrl::DrawDashedLine(CDC* dc, CPoint p1, CPoint p2) {
    dc->MoveTo(p1);
    const int dx = p2.x - p1.x;
    const int dy = p2.y - p1.y;
    const double d = sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
    int k = static_cast<int>(d / kDashLength);
    if (k % 2 == 0) {
        k = k + 1;
    }
    for (int s = 1; s <= k; ++s) {
        const CPoint q = PointAt(p1, p2, static_cast<double>(s) / k);
        if (s % 2 == 1) {
            dc->LineTo(q);
        } else {
            dc->MoveTo(q);
        }
    }
}

// Inverting: drawing the same line twice removes it.
void CConversationCtrl::DrawDragLine(CDC* dc, CPoint from, CPoint to) {
    const int previous = dc->SetROP2(R2_NOT);
    dc->MoveTo(from);
    dc->LineTo(to);
    dc->SetROP2(previous);
}
