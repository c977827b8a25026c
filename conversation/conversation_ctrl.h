// CConversationCtrl: named nodes drawn as computers evenly spaced around a white ellipse,
// each with its name outside the ellipse. Dragging from one node to another chooses the
// pair; chosen pairs are drawn as a double line and kept in the order chosen.
//
// Background, ellipse, labels and icons live in an off-screen bitmap rebuilt only when the
// client size changes or a node is added; a paint copies it and draws the pair lines on
// top. Mouse feedback draws an inverting line straight onto a client DC.
#pragma once

#include "conversation/conversation_pair_list.h"
#include "hostapi/tessaran_ids.h"
#include "platform/framework/afx.h"

#include <memory>
#include <string>
#include <vector>

// Node names and the pair enumeration's output buffers hold this many bytes.
#define NODE_NAME_SIZE 256

// GetFirstSelectedPair and GetNextSelectedPair answers.
#define PAIR_NONE_CHOSEN (-3)
#define PAIR_END (-4)

struct ConversationNode {
    char m_name[NODE_NAME_SIZE] = "";
    int m_centerX = 0;
    int m_centerY = 0;
    int m_labelX = 0;
    int m_labelY = 0;
    int m_labelAlign = TA_LEFT;
};

class CConversationCtrl : public CWnd {
  public:
    enum Mode {
        MODE_IDLE = 0,
        MODE_DRAGGING = 1,
        MODE_PAIR_CHOSEN = 3,
    };

    CConversationCtrl();
    ~CConversationCtrl() override;

    // 1 when the node was added, -1 for a refused name (empty, or one space).
    int AddNode(const char* name);
    // 0 with the names of the first chosen pair, or PAIR_NONE_CHOSEN.
    int GetFirstSelectedPair(char* first, char* second);
    // position + 1 with the names of the pair after position, PAIR_NONE_CHOSEN or PAIR_END.
    int GetNextSelectedPair(int position, char* first, char* second);

    void RecalcLayout();
    // Pieces of about 20 pixels, drawn and skipped by turns, the first and last drawn.
    static void DrawDashedLine(CDC* dc, CPoint p1, CPoint p2);

  protected:
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonUp(UINT flags, CPoint point);
    afx_msg void OnMouseMove(UINT flags, CPoint point);
    afx_msg LRESULT OnGetReport(WPARAM size, LPARAM buffer);
    DECLARE_MESSAGE_MAP()

  private:
    void LayoutLabels(CPoint center);
    void LayoutNodes(CPoint center);
    void RebuildPicture(CDC* paintDC, const CRect& client);
    void DrawEllipse(CDC* dc);
    void DrawLabels(CDC* dc);
    void DrawLabel(CDC* dc, const ConversationNode& node);
    void DrawNode(CDC* dc, int position, BOOL highlighted);
    void DrawNodes(CDC* dc);
    void DrawPairs(CDC* dc);
    void DrawDragLine(CDC* dc, CPoint from, CPoint to);
    CPoint Center(int position) const;
    CRect NodeBox(int position) const;
    std::string Report() const;

    CDC m_memoryDC;
    CRect m_lastClientRect{0, 0, 0, 0};
    CBitmap m_memoryBitmap;
    CRect m_ellipseRect{0, 0, 0, 0};
    CBitmap m_boxBitmap;
    CSize m_boxSize{0, 0};
    COLORREF m_backgroundColor;
    int m_nodeCount = 0;
    CPoint m_startPoint{0, 0};
    CPoint m_currentPoint{0, 0};
    int m_startNode = -1;
    int m_targetNode = -1;
    std::vector<std::unique_ptr<ConversationNode>> m_nodes;
    int m_mode = MODE_IDLE;
    std::unique_ptr<CConversationPairList> m_pairs;
};
