// The seven entry points; each forwards to the one Matrix view.
#include "hostapi/tessaran_exports.h"

#include "hostapi/ksmem32.h"
#include "plugin/host_services.h"
#include "view/matrix_view.h"

#define TESSARAN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

bool IsWindowObject(const CWnd* window) {
    return window != nullptr && ::IsWindow(window->GetSafeHwnd());
}

bool ViewWindowExists() {
    return g_matrixView != nullptr && IsWindowObject(g_matrixView);
}

// Loads menu 150 from this library's resources. A menu left from an earlier window is
// replaced, so that rebuilding the tab does not report a failure.
void LoadPopupMenu() {
    if (!g_hostServices.LoadPopupMenu(g_extensionModule.hResource)) {
        AfxMessageBox(Localize("Unable to load menu handle"), MB_OK);
    }
}

void CreateViewWindow(CWnd* parent, CWnd* frame, int tabIndex) {
    g_matrixView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                         IDC_MATRIX_VIEW);
    g_matrixView->SetTabIndex(tabIndex);
    LoadPopupMenu();
    if (IsWindowObject(frame)) {
        g_matrixView->SetFrame(frame);
    } else {
        AfxMessageBox(Localize("Error in Frame window"), MB_OK);
        g_matrixView->SetFrame(nullptr);
    }
    g_matrixView->SetHostScrollBars(nullptr, nullptr);
}

} // namespace

TESSARAN_EXPORT HWND InitTab(uint32_t hostContext, CWnd* parent, CWnd* frame, CWnd** viewOut,
                             uint32_t, int tabIndex) {
    if (g_matrixView == nullptr) {
        return nullptr;
    }
    g_matrixView->SetHostContext(hostContext);
    if (!ViewWindowExists() && IsWindowObject(parent)) {
        CreateViewWindow(parent, frame, tabIndex);
    }
    if (viewOut != nullptr) {
        *viewOut = g_matrixView;
    }
    return g_matrixView->GetSafeHwnd();
}

TESSARAN_EXPORT BOOL SetNode(uint32_t nodeId, void* nodeData) {
    if (!ViewWindowExists() || nodeId == g_matrixView->GetNodeId()) {
        return FALSE;
    }
    g_matrixView->ChangeNode(nodeId);
    g_matrixView->SetNodeData(nodeData);
    return TRUE;
}

TESSARAN_EXPORT BOOL Command(UINT id) {
    if (!ViewWindowExists()) {
        return FALSE;
    }
    g_matrixView->DispatchCommand(id);
    return TRUE;
}

TESSARAN_EXPORT BOOL SetScrollBars(CScrollBar* horizontal, CScrollBar* vertical) {
    if (g_matrixView == nullptr || !IsWindowObject(horizontal) || !IsWindowObject(vertical)) {
        return FALSE;
    }
    g_matrixView->SetHostScrollBars(horizontal, vertical);
    return TRUE;
}

TESSARAN_EXPORT BOOL Close() {
    if (g_matrixView == nullptr) {
        return FALSE;
    }
    g_matrixView->CloseView();
    return TRUE;
}

TESSARAN_EXPORT BOOL LoadSubMenu(uint32_t, uint32_t) {
    return TRUE;
}

TESSARAN_EXPORT BOOL MenuUpdate(UINT id) {
    if (g_matrixView == nullptr || id < ID_HOST_UTILIZATION || id > ID_HOST_PACKETS) {
        return FALSE;
    }
    return g_matrixView->HasSelectedRows();
}
