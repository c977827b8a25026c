// The list of the host database's nodes, in its own multi-document child: a click selects a
// node, a double click (or Enter) opens it.
#pragma once

#include "platform/framework/afx.h"
#include "platform/framework/mdi_child_wnd.h"

#include <functional>
#include <string>
#include <vector>

class NodeListWnd : public CMDIChildWnd {
  public:
    NodeListWnd(std::vector<std::string> names, std::function<void(const std::string&)> open);

    BOOL CreateList(CMDIFrameWnd* frame);

  protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    afx_msg void OnLButtonDown(UINT flags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT flags, CPoint point);
    afx_msg void OnKeyDown(UINT key, UINT repeat, UINT flags);
    DECLARE_MESSAGE_MAP()

  private:
    int RowAt(CPoint point) const;
    void OpenSelected();

    std::vector<std::string> m_names;
    std::function<void(const std::string&)> m_open;
    int m_selected = 0;
};
