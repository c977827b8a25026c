// GraphWindowFactory: the graph host windows as the Matrix view makes and fills them.
// Those windows live in a folder above the view, so the view never names their classes:
// the plug-in binds this interface to them (graphwnd/graph_window_maker.h) and hands it
// to the view through ViewHost. Objects come back as their framework bases; the view
// creates their windows itself, as the framework does with any frame.
#pragma once

#include "platform/framework/afx.h"

class GraphWindowFactory {
  public:
    virtual ~GraphWindowFactory() = default;

    // A single-graph frame object (CMibGraph), its window not yet created. Create it with
    // new-and-forget semantics: the framework deletes it when its window goes; delete it
    // yourself only when its creation fails.
    virtual CMDIChildWnd* NewGraphFrame() = 0;
    // Gives a single-graph frame the graph window it hosts (its m_hWndGraph).
    virtual void SetHostedGraph(CMDIChildWnd* graphFrame, HWND graph) = 0;

    // A multi-tab frame object (CMultiTabMDIChildWnd), not yet created; owned like a
    // graph frame.
    virtual CMDIChildWnd* NewTabFrame() = 0;
    // Creates the frame's tab window; FALSE when it exists already or cannot be made.
    virtual BOOL CreateTabWnd(CMDIChildWnd* tabFrame, DWORD style) = 0;
    // The frame's tab window, null when none was created.
    virtual SECTabWnd* GetTabWnd(CMDIChildWnd* tabFrame) = 0;
    // Adds page under label; the frame takes caption when the tab becomes active, and
    // the page object (deleted with the frame).
    virtual void AddTab(CMDIChildWnd* tabFrame, CWnd* page, LPCSTR label, LPCSTR caption) = 0;

    // A graph page object (CGraphPageWnd), not yet created. Once added to a tab frame the
    // frame owns it; until then, the caller.
    virtual CWnd* NewGraphPage() = 0;
};
