#include "platform/framework/mdi_frame_wnd.h"

#include "platform/core/window_private.h"
#include "platform/framework/mdi_child_wnd.h"
#include "platform/framework/mdi_client_wnd.h"

#include <QMainWindow>
#include <QMdiArea>

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_WINDOW_CASCADE, MDICascade)
ON_COMMAND(ID_WINDOW_TILE_HORZ, MDITile)
ON_COMMAND(ID_WINDOW_ARRANGE, MDIIconArrange)
ON_COMMAND_RANGE(AFX_IDM_FIRST_MDICHILD, AFX_IDM_FIRST_MDICHILD + 0xFF, OnWindowChild)
ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
END_MESSAGE_MAP()

CMDIFrameWnd::CMDIFrameWnd() : m_hWndMDIClient(nullptr) {}

CMDIFrameWnd::~CMDIFrameWnd() = default;

BOOL CMDIFrameWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT& rect,
                          CWnd* parent, LPCSTR menuName, DWORD exStyle, CCreateContext* context) {
    if (!CFrameWnd::Create(className, title, style, rect, parent, menuName, exStyle, context)) {
        return FALSE;
    }
    // The first multi-document frame is the program's main window, as the framework's
    // application makes it.
    if (AfxGetMainWnd() == nullptr) {
        AfxSetMainWnd(this);
    }
    return TRUE;
}

QWidget* CMDIFrameWnd::CreateNativeWidget(QWidget* parentWidget) {
    auto* window = new QMainWindow(parentWidget);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(QString::fromUtf8(platform::LookupWindow(m_hWnd)->text));
    return window;
}

// The MDI client is made with the frame and fills it as the main window's central widget.
int CMDIFrameWnd::OnCreate(LPCREATESTRUCT createStruct) {
    if (CFrameWnd::OnCreate(createStruct) == -1) {
        return -1;
    }
    auto* client = new CMDIClientWnd;
    CRect none(0, 0, 0, 0);
    if (!client->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, none, this,
                        AFX_IDW_PANE_FIRST)) {
        delete client;
        return -1;
    }
    m_hWndMDIClient = client->m_hWnd;
    auto* window = qobject_cast<QMainWindow*>(platform::WindowWidget(m_hWnd));
    window->setCentralWidget(platform::WindowWidget(m_hWndMDIClient));
    return 0;
}

LRESULT CMDIFrameWnd::SendToClient(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessage(m_hWndMDIClient, message, wParam, lParam);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    CMDIChildWnd* active = MDIGetActive();
    return active != nullptr ? static_cast<CFrameWnd*>(active) : this;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* maximized) const {
    HWND active = reinterpret_cast<HWND>(
        SendToClient(WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(maximized)));
    CWnd* child = CWnd::FromHandle(active);
    if (child == nullptr || !child->IsKindOf(RUNTIME_CLASS(CMDIChildWnd))) {
        return nullptr;
    }
    return static_cast<CMDIChildWnd*>(child);
}

void CMDIFrameWnd::MDIActivate(CWnd* child) {
    SendToClient(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child->GetSafeHwnd()));
}

void CMDIFrameWnd::MDIMaximize(CWnd* child) {
    SendToClient(WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetSafeHwnd()));
}

void CMDIFrameWnd::MDIRestore(CWnd* child) {
    SendToClient(WM_MDIRESTORE, reinterpret_cast<WPARAM>(child->GetSafeHwnd()));
}

void CMDIFrameWnd::MDINext() {
    SendToClient(WM_MDINEXT);
}

void CMDIFrameWnd::MDICascade() {
    SendToClient(WM_MDICASCADE);
}

void CMDIFrameWnd::MDITile() {
    SendToClient(WM_MDITILE);
}

void CMDIFrameWnd::MDIIconArrange() {
    SendToClient(WM_MDIICONARRANGE);
}

void CMDIFrameWnd::MDISetMenu(HMENU windowMenu) {
    SendToClient(WM_MDISETMENU, 0, reinterpret_cast<LPARAM>(windowMenu));
}

std::vector<HWND> CMDIFrameWnd::MDIGetChildren() const {
    auto* client = DYNAMIC_DOWNCAST(CMDIClientWnd, CWnd::FromHandle(m_hWndMDIClient));
    return client != nullptr ? client->ChildrenInZOrder() : std::vector<HWND>{};
}

void CMDIFrameWnd::OnWindowChild(UINT id) {
    auto* client = DYNAMIC_DOWNCAST(CMDIClientWnd, CWnd::FromHandle(m_hWndMDIClient));
    if (client != nullptr && id == AFX_IDM_FIRST_MDICHILD + CMDIClientWnd::kMoreWindows) {
        client->ChooseFromAllChildren();
        return;
    }
    HWND child = client != nullptr ? client->ListedChild(id - AFX_IDM_FIRST_MDICHILD) : nullptr;
    if (child == nullptr) {
        return;
    }
    if (::IsIconic(child)) {
        SendToClient(WM_MDIRESTORE, reinterpret_cast<WPARAM>(child));
    }
    SendToClient(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(child));
}

LRESULT CMDIFrameWnd::OnInitMenuPopup(WPARAM, LPARAM) {
    SendToClient(WM_MDIREFRESHMENU);
    return 0;
}
