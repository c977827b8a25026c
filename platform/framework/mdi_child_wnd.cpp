#include "platform/framework/mdi_child_wnd.h"

#include "platform/core/window_private.h"
#include "platform/framework/mdi_client_wnd.h"
#include "platform/framework/mdi_frame_wnd.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>

// The close button of a child frame sends WM_CLOSE, whose default destroys the window, as
// on Windows; Qt itself closes nothing. Moves and sizes in the normal state are the child's
// normal rectangle, the place it comes back to from maximised or minimised.
class ChildFrameFilter : public QObject {
  public:
    ChildFrameFilter(HWND child, QObject* parent) : QObject(parent), m_child(child) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
            NoteNormalRect(static_cast<QWidget*>(watched));
        }
        if (event->type() != QEvent::Close) {
            return QObject::eventFilter(watched, event);
        }
        event->ignore();
        if (IsWindow(m_child)) {
            SendMessage(m_child, WM_CLOSE, 0, 0);
        }
        return true;
    }

  private:
    void NoteNormalRect(QWidget* window) const {
        auto* frame = DYNAMIC_DOWNCAST(CMDIChildWnd, CWnd::FromHandle(m_child));
        if (frame == nullptr ||
            (window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))) {
            return;
        }
        const QRect shown = window->geometry();
        frame->m_normalRect =
            CRect(shown.left(), shown.top(), shown.right() + 1, shown.bottom() + 1);
    }

    HWND m_child;
};

namespace {

void SendSizeOfState(HWND child) {
    RECT client{};
    GetClientRect(child, &client);
    const WPARAM type = IsZoomed(child)   ? SIZE_MAXIMIZED
                        : IsIconic(child) ? SIZE_MINIMIZED
                                          : SIZE_RESTORED;
    SendMessage(child, WM_SIZE, type, MAKELPARAM(client.right, client.bottom));
}

void TellMinimised(HWND child) {
    if (auto* client = DYNAMIC_DOWNCAST(CMDIClientWnd, CWnd::FromHandle(GetParent(child)))) {
        client->ActivateAfterMinimise(child);
    }
}

// Keeps WS_MAXIMIZE and WS_MINIMIZE in step with what the person does to the child frame,
// and tells each change with a WM_SIZE of the new kind, as Windows does, also when the size
// stays: a frame made minimised and hidden already has its normal size when it shows, and
// its only WM_SIZE had said SIZE_MINIMIZED, so its panes stayed as small as an icon.
void FollowWindowState(QMdiSubWindow* window, HWND child) {
    QObject::connect(window, &QMdiSubWindow::windowStateChanged, window,
                     [child](Qt::WindowStates was, Qt::WindowStates state) {
                         platform::ScheduleReleaseOfCoveredImages();
                         if ((state & Qt::WindowMinimized) && !(was & Qt::WindowMinimized)) {
                             TellMinimised(child);
                         }
                         const LONG before = GetWindowLong(child, GWL_STYLE);
                         LONG style = before & ~(WS_MAXIMIZE | WS_MINIMIZE);
                         if (state & Qt::WindowMaximized) {
                             style |= WS_MAXIMIZE;
                         }
                         if (state & Qt::WindowMinimized) {
                             style |= WS_MINIMIZE;
                         }
                         if (style == before) {
                             return;
                         }
                         SetWindowLong(child, GWL_STYLE, style);
                         SendSizeOfState(child);
                     });
}

} // namespace

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

CMDIChildWnd::CMDIChildWnd() = default;

CMDIChildWnd::~CMDIChildWnd() = default;

BOOL CMDIChildWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT& rect,
                          CMDIFrameWnd* parent, CCreateContext* context) {
    if (parent == nullptr) {
        CWnd* main = AfxGetMainWnd();
        if (main == nullptr || !main->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd))) {
            return FALSE;
        }
        parent = static_cast<CMDIFrameWnd*>(main);
    }
    CWnd* client = CWnd::FromHandle(parent->m_hWndMDIClient);
    if (client == nullptr) {
        return FALSE;
    }
    auto* mdiClient = DYNAMIC_DOWNCAST(CMDIClientWnd, client);
    CRect placed = rect.left == CW_USEDEFAULT && mdiClient != nullptr
                       ? CRect(mdiClient->NewChildRect())
                       : CRect(rect);
    m_normalRect = placed;
    if (!CWnd::Create(className, title, style | WS_CHILD, placed, client, 0, context)) {
        return FALSE;
    }
    if (style & WS_VISIBLE) {
        client->SendMessage(WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd));
    }
    return TRUE;
}

QWidget* CMDIChildWnd::CreateNativeWidget(QWidget* parentWidget) {
    auto* area = qobject_cast<QMdiArea*>(parentWidget);
    if (area == nullptr) {
        return nullptr; // a child frame lives only in an MDI client
    }
    auto* window = new QMdiSubWindow;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_content = platform::CreatePaintingWidget(m_hWnd, window);
    window->setWidget(m_content);
    window->setWindowTitle(QString::fromUtf8(platform::LookupWindow(m_hWnd)->text));
    window->installEventFilter(new ChildFrameFilter(m_hWnd, window));
    FollowWindowState(window, m_hWnd);
    area->addSubWindow(window);
    return window;
}

QWidget* CMDIChildWnd::NativeClientWidget() const {
    return m_content;
}

void CMDIChildWnd::PostNcDestroy() {
    delete this;
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
    CFrameWnd* frame = GetParentFrame();
    if (frame == nullptr || !frame->IsKindOf(RUNTIME_CLASS(CMDIFrameWnd))) {
        return nullptr;
    }
    return static_cast<CMDIFrameWnd*>(frame);
}

void CMDIChildWnd::SendToClient(UINT message) const {
    ::SendMessage(::GetParent(m_hWnd), message, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

void CMDIChildWnd::MDIActivate() {
    SendToClient(WM_MDIACTIVATE);
}

void CMDIChildWnd::MDIDestroy() {
    SendToClient(WM_MDIDESTROY);
}

void CMDIChildWnd::MDIMaximize() {
    SendToClient(WM_MDIMAXIMIZE);
}

void CMDIChildWnd::MDIRestore() {
    SendToClient(WM_MDIRESTORE);
}
