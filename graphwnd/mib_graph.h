// CMibGraph: a multi-document child frame that holds one graph window made by the host,
// kept filling its client area.
#pragma once

#include "platform/framework/afx.h"

class CMibGraph : public SECWorksheet {
    DECLARE_DYNCREATE(CMibGraph)
  public:
    CMibGraph();
    ~CMibGraph() override;

    // The hosted graph; null until the creator stores it.
    HWND GetGraph() const { return m_hWndGraph; }
    void SetGraph(HWND graph) { m_hWndGraph = graph; }

  protected:
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

  private:
    HWND m_hWndGraph;
};
