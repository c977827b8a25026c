#include "platform/framework/frame_wnd.h"

#include "platform/core/window_private.h"
#include "platform/framework/extension_module.h"
#include "platform/framework/menu.h"
#include "platform/framework/resource.h"

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_SIZE()
ON_WM_NCDESTROY()
ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() = default;

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT& rect, CWnd* parent,
                       LPCSTR menuName, DWORD exStyle, CCreateContext* context) {
    if (!CreateEx(exStyle, className, title, style, rect, parent, 0, context)) {
        return FALSE;
    }
    if (menuName == nullptr) {
        return TRUE;
    }
    // The frame keeps the loaded menu as its menu bar for its whole life.
    HMENU menu = ::LoadMenu(AfxFindResourceHandle(menuName, RT_MENU), menuName);
    if (menu == nullptr || !::SetMenu(m_hWnd, menu)) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}

CFrameWnd* CFrameWnd::GetActiveFrame() {
    return this;
}

CFrameWnd* CFrameWnd::GetParentFrame() const {
    for (CWnd* parent = GetParent(); parent != nullptr; parent = parent->GetParent()) {
        if (parent->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
            return static_cast<CFrameWnd*>(parent);
        }
    }
    return nullptr;
}

// A minimised frame keeps its pane as it was.
void CFrameWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED) {
        RecalcLayout();
    }
}

void CFrameWnd::RecalcLayout() {
    CWnd* pane = GetDlgItem(AFX_IDW_PANE_FIRST);
    if (pane == nullptr) {
        return;
    }
    CRect client;
    GetClientRect(&client);
    pane->MoveWindow(&client, TRUE);
}

void CFrameWnd::OnNcDestroy() {
    HMENU menu = ::GetMenu(m_hWnd);
    ::SetMenu(m_hWnd, nullptr);
    ::DestroyMenu(menu);
    // The main window's end is the program's: its message loop ends with status 0.
    if (AfxGetMainWnd() == this) {
        AfxSetMainWnd(nullptr);
        ::PostQuitMessage(0);
    }
    CWnd::OnNcDestroy();
}

LRESULT CFrameWnd::OnSetText(WPARAM, LPARAM lParam) {
    LRESULT result = Default();
    if (QWidget* widget = platform::WindowWidget(m_hWnd)) {
        widget->setWindowTitle(
            QString::fromUtf8(lParam != 0 ? reinterpret_cast<LPCSTR>(lParam) : ""));
    }
    return result;
}
