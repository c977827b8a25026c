#include "graphwnd/graph_window_maker.h"

#include "graphwnd/graph_page_wnd.h"
#include "graphwnd/mib_graph.h"
#include "graphwnd/multi_tab_mdi_child_wnd.h"

CMibGraph* GraphWindowMaker::AsGraphFrame(CMDIChildWnd* frame) {
    if (frame == nullptr || !frame->IsKindOf(RUNTIME_CLASS(CMibGraph))) {
        return nullptr;
    }
    return static_cast<CMibGraph*>(frame);
}

CMultiTabMDIChildWnd* GraphWindowMaker::AsTabFrame(CMDIChildWnd* frame) {
    if (frame == nullptr || !frame->IsKindOf(RUNTIME_CLASS(CMultiTabMDIChildWnd))) {
        return nullptr;
    }
    return static_cast<CMultiTabMDIChildWnd*>(frame);
}

CMDIChildWnd* GraphWindowMaker::NewGraphFrame() {
    return new CMibGraph;
}

void GraphWindowMaker::SetHostedGraph(CMDIChildWnd* graphFrame, HWND graph) {
    if (CMibGraph* frame = AsGraphFrame(graphFrame)) {
        frame->SetGraph(graph);
    }
}

CMDIChildWnd* GraphWindowMaker::NewTabFrame() {
    return new CMultiTabMDIChildWnd;
}

BOOL GraphWindowMaker::CreateTabWnd(CMDIChildWnd* tabFrame, DWORD style) {
    CMultiTabMDIChildWnd* frame = AsTabFrame(tabFrame);
    return frame != nullptr && frame->CreateTabWnd(style);
}

SECTabWnd* GraphWindowMaker::GetTabWnd(CMDIChildWnd* tabFrame) {
    CMultiTabMDIChildWnd* frame = AsTabFrame(tabFrame);
    if (frame == nullptr || !::IsWindow(frame->GetTabWnd()->GetSafeHwnd())) {
        return nullptr;
    }
    return frame->GetTabWnd();
}

void GraphWindowMaker::AddTab(CMDIChildWnd* tabFrame, CWnd* page, LPCSTR label, LPCSTR caption) {
    if (CMultiTabMDIChildWnd* frame = AsTabFrame(tabFrame)) {
        frame->AddTab(page, label, caption);
    }
}

CWnd* GraphWindowMaker::NewGraphPage() {
    return new CGraphPageWnd;
}
