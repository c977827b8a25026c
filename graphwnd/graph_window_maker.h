// GraphWindowMaker: the Matrix view's GraphWindowFactory bound to the graph host windows
// of this folder.
#pragma once

#include "view/graph_window_factory.h"

class CMibGraph;
class CMultiTabMDIChildWnd;

class GraphWindowMaker : public GraphWindowFactory {
  public:
    CMDIChildWnd* NewGraphFrame() override;
    void SetHostedGraph(CMDIChildWnd* graphFrame, HWND graph) override;
    CMDIChildWnd* NewTabFrame() override;
    BOOL CreateTabWnd(CMDIChildWnd* tabFrame, DWORD style) override;
    SECTabWnd* GetTabWnd(CMDIChildWnd* tabFrame) override;
    void AddTab(CMDIChildWnd* tabFrame, CWnd* page, LPCSTR label, LPCSTR caption) override;
    CWnd* NewGraphPage() override;

  private:
    // The frames' run-time records tell whether a frame handed back is one of ours.
    static CMibGraph* AsGraphFrame(CMDIChildWnd* frame);
    static CMultiTabMDIChildWnd* AsTabFrame(CMDIChildWnd* frame);
};
