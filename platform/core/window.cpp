// Windows: the handle table, creation, destruction and release, relations, window longs
// and texts.
#include "platform/core/window_internal.h"

#include "platform/core/qt_translations.h"
#include "platform/core/win32_user.h"

#include <QApplication>
#include <QEvent>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// Follows a native widget's geometry and deletion into its window.
class WidgetWatcher : public QObject {
  public:
    WidgetWatcher(HWND hWnd, QObject* parent) : QObject(parent), m_hWnd(hWnd) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
            SyncGeometryFromWidget(m_hWnd);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    HWND m_hWnd;
};

int ClampSize(int size) {
    return std::max(size, 0);
}

// CW_USEDEFAULT places a top-level window at (0, 0) and gives it 640 x 480, a size in which
// every window of the program is usable; a child gets an empty rectangle, as on Windows.
RECT InitialRect(const CREATESTRUCT& cs) {
    bool isChild = (cs.style & WS_CHILD) != 0;
    int x = cs.x == CW_USEDEFAULT ? 0 : cs.x;
    int y = cs.x == CW_USEDEFAULT ? 0 : cs.y;
    int cx = cs.cx;
    int cy = cs.cy;
    if (cs.cx == CW_USEDEFAULT) {
        cx = isChild ? 0 : 640;
        cy = isChild ? 0 : 480;
    }
    return RECT{x, y, x + ClampSize(cx), y + ClampSize(cy)};
}

void AttachWidget(WindowRecord* record, QWidget* widget, QWidget* client) {
    HWND hWnd = record->hwnd;
    record->widget = widget;
    record->client = client != nullptr ? client : widget;
    widget->setVisible(false);
    PlaceWidget(widget, record->rect, true);
    ResizeBackingImage(record);
    widget->installEventFilter(new WidgetWatcher(hWnd, widget));
    if (record->client != widget) {
        record->client->installEventFilter(new WidgetWatcher(hWnd, record->client));
    }
    QObject::connect(widget, &QObject::destroyed, [hWnd]() { WindowWidgetGone(hWnd); });
}

WindowRecord* NewRecord(WindowObject* wnd, const CREATESTRUCT& cs, WindowRecord* parent) {
    auto* record = new WindowRecord;
    HWND hWnd = reinterpret_cast<HWND>(WindowTable().Add(record));
    if (hWnd == nullptr) {
        delete record;
        return nullptr;
    }
    record->hwnd = hWnd;
    record->wnd = wnd;
    record->parent = parent != nullptr ? parent->hwnd : nullptr;
    record->id = (cs.style & WS_CHILD) ? UINT(reinterpret_cast<uintptr_t>(cs.hMenu)) : 0;
    record->style = DWORD(cs.style) & ~WS_VISIBLE;
    record->exStyle = cs.dwExStyle;
    record->rect = InitialRect(cs);
    record->text = cs.lpszName != nullptr ? cs.lpszName : "";
    record->className =
        cs.lpszClass != nullptr && IS_INTRESOURCE(cs.lpszClass) == 0 ? cs.lpszClass : "";
    record->instance = cs.hInstance;
    if (parent != nullptr) {
        parent->children.push_back(hWnd);
    }
    wnd->AttachWindowHandle(hWnd);
    return record;
}

void SendCreationMessages(HWND hWnd, CREATESTRUCT& cs, bool& refused) {
    LPARAM lParam = reinterpret_cast<LPARAM>(&cs);
    refused = SendMessage(hWnd, WM_NCCREATE, 0, lParam) == 0;
    if (refused || !IsWindow(hWnd)) {
        return;
    }
    refused = SendMessage(hWnd, WM_CREATE, 0, lParam) == -1;
}

// After WM_CREATE, as CreateWindowEx: WM_SIZE, WM_MOVE, the parent's WM_PARENTNOTIFY, and
// the first showing when the style asks for it.
void FinishCreation(HWND hWnd, DWORD requestedStyle) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return;
    }
    QSize size = ClientSize(record);
    SendMessage(hWnd, WM_SIZE, SizeType(record), MAKELPARAM(size.width(), size.height()));
    record = LookupWindow(hWnd);
    if (record == nullptr) {
        return;
    }
    SendMessage(hWnd, WM_MOVE, 0, MAKELPARAM(record->rect.left, record->rect.top));
    record = LookupWindow(hWnd);
    if (record == nullptr) {
        return;
    }
    if (record->parent != nullptr && !(record->exStyle & WS_EX_NOPARENTNOTIFY)) {
        SendMessage(record->parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, record->id),
                    reinterpret_cast<LPARAM>(hWnd));
    }
    if (!(requestedStyle & WS_VISIBLE) || !IsWindow(hWnd)) {
        return;
    }
    int show = SW_SHOW;
    if (requestedStyle & WS_MAXIMIZE) {
        show = SW_SHOWMAXIMIZED;
    } else if (requestedStyle & WS_MINIMIZE) {
        show = SW_SHOWMINIMIZED;
    }
    ShowWindow(hWnd, show);
}

void CollectSubtree(HWND hWnd, std::vector<HWND>& preOrder) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return;
    }
    preOrder.push_back(hWnd);
    std::vector<HWND> children = record->children;
    for (HWND child : children) {
        CollectSubtree(child, preOrder);
    }
}

void UnlinkFromParent(WindowRecord* record) {
    WindowRecord* parent = LookupWindow(record->parent);
    if (parent == nullptr) {
        return;
    }
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), record->hwnd), siblings.end());
}

// WM_NCDESTROY is the last message; afterwards the handle is stale and the object detached.
void FinishDestruction(HWND hWnd) {
    if (WindowRecord* record = LookupWindow(hWnd)) {
        Dispatch(record, WM_NCDESTROY, 0, 0);
    }
    WindowRecord* record = WindowTable().Lookup(reinterpret_cast<uintptr_t>(hWnd));
    if (record == nullptr || record->destroyed) {
        return;
    }
    UnlinkFromParent(record);
    record->destroyed = true;
    if (record->wnd != nullptr && record->wnd->AttachedWindowHandle() == hWnd) {
        record->wnd->AttachWindowHandle(nullptr);
    }
    DeferRelease(record);
}

void HideForDestruction(WindowRecord* record) {
    if (!(record->style & WS_VISIBLE)) {
        return;
    }
    record->style &= ~WS_VISIBLE;
    if (record->widget != nullptr) {
        record->widget->hide();
    }
}

} // namespace

HandleTable<WindowRecord*>& WindowTable() {
    static HandleTable<WindowRecord*> table;
    return table;
}

namespace {

// Set once the program is ending: by exit, after the destructors of statics constructed
// later than the application, or when the application object goes. Observed: a table held
// in a static of a benchmark was destroyed after Qt's own statics and crashed in
// QWidget::hide. From then on every window call is refused and nothing reaches Qt.
bool g_applicationEnded = false;

void MarkApplicationEnded() {
    g_applicationEnded = true;
}

} // namespace

BOOL ApplicationEnded() {
    return g_applicationEnded ? TRUE : FALSE;
}

void CreateApplication(int& argc, char** argv) {
    if (g_applicationEnded || QApplication::instance() != nullptr) {
        return;
    }
    new QApplication(argc, argv);
    LoadQtTranslations();
    FollowQtFocus();
    std::atexit(MarkApplicationEnded);
    qAddPostRoutine(MarkApplicationEnded);
}

WindowRecord* LookupWindow(HWND hWnd) {
    if (g_applicationEnded) {
        return nullptr;
    }
    WindowRecord* record = WindowTable().Lookup(reinterpret_cast<uintptr_t>(hWnd));
    if (record == nullptr || record->destroyed) {
        return nullptr;
    }
    return record;
}

HWND WindowFromWidget(const QWidget* widget) {
    HWND found = nullptr;
    if (widget == nullptr) {
        return nullptr;
    }
    WindowTable().ForEach([&](uintptr_t, WindowRecord* record) {
        if (!record->destroyed && (record->widget == widget || record->client == widget)) {
            found = record->hwnd;
        }
    });
    return found;
}

QWidget* WindowWidget(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    return record == nullptr ? nullptr : record->widget.data();
}

QWidget* WindowClientWidget(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    return record == nullptr ? nullptr : record->client.data();
}

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "tessaran";
    static char* argv[] = {name, nullptr};
    CreateApplication(argc, argv);
}

// Creates the window of an object: record, widget, then the creation messages. Answers FALSE
// (with the window destroyed again) when WM_NCCREATE or WM_CREATE refuses.
BOOL CreateWindowFor(WindowObject* wnd, CREATESTRUCT& cs) {
    WindowRecord* parent = nullptr;
    if (cs.hwndParent != nullptr) {
        parent = LookupWindow(cs.hwndParent);
        if (parent == nullptr) {
            return FALSE;
        }
    }
    if (((cs.style & WS_CHILD) && parent == nullptr) || g_applicationEnded) {
        return FALSE;
    }
    EnsureApplication();
    DispatchScope scope;
    WindowRecord* record = NewRecord(wnd, cs, parent);
    if (record == nullptr) {
        return FALSE;
    }
    HWND hWnd = record->hwnd;
    QWidget* parentWidget = parent != nullptr ? parent->client.data() : nullptr;
    QWidget* widget = wnd->CreateNativeWidget(parentWidget);
    if (widget == nullptr) {
        DestroyWindow(hWnd);
        return FALSE;
    }
    AttachWidget(record, widget, wnd->NativeClientWidget());
    bool refused = false;
    SendCreationMessages(hWnd, cs, refused);
    if (refused) {
        DestroyWindow(hWnd);
        return FALSE;
    }
    FinishCreation(hWnd, DWORD(cs.style));
    return IsWindow(hWnd);
}

// Releases a destroyed window: its object's PostNcDestroy, its image, widget and slot.
void ReleaseRecord(WindowRecord* record) {
    WindowObject* wnd = record->wnd;
    record->wnd = nullptr;
    ReleaseBackingImage(record);
    if (QWidget* widget = record->widget.data()) {
        record->widget = nullptr;
        widget->hide();
        widget->deleteLater();
    }
    WindowTable().Remove(reinterpret_cast<uintptr_t>(record->hwnd));
    delete record;
    if (wnd != nullptr) {
        wnd->PostNcDestroy();
    }
}

void WindowWidgetGone(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return;
    }
    record->widget = nullptr;
    record->client = nullptr;
    DestroyWindow(hWnd);
}

} // namespace platform

using namespace platform;

// WM_DESTROY goes to the window and then down its children; WM_NCDESTROY to the children
// first and last to the window, as Windows sends them. The window is hidden without a
// message first, and focus and capture inside it are let go.
BOOL DestroyWindow(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr || record->destroying) {
        return FALSE;
    }
    DispatchScope scope;
    std::vector<HWND> subtree;
    CollectSubtree(hWnd, subtree);
    for (HWND member : subtree) {
        if (WindowRecord* memberRecord = LookupWindow(member)) {
            memberRecord->destroying = true;
        }
    }
    HideForDestruction(record);
    for (HWND member : subtree) {
        ForgetInputWindow(member);
    }
    for (HWND member : subtree) {
        if (WindowRecord* memberRecord = LookupWindow(member)) {
            Dispatch(memberRecord, WM_DESTROY, 0, 0);
        }
    }
    for (HWND member : subtree) {
        KillWindowTimers(member);
    }
    for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
        FinishDestruction(*it);
    }
    return TRUE;
}

BOOL IsWindow(HWND hWnd) {
    return LookupWindow(hWnd) != nullptr;
}

HWND GetParent(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return nullptr;
    }
    if (record->style & WS_CHILD) {
        return record->parent;
    }
    return record->owner;
}

// Moves a child under another parent (its widget too); NULL is refused: every window here
// is a child or a top-level window by creation.
HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
    WindowRecord* record = LookupWindow(hWndChild);
    WindowRecord* parent = LookupWindow(hWndNewParent);
    if (record == nullptr || parent == nullptr || hWndChild == hWndNewParent ||
        IsChild(hWndChild, hWndNewParent)) {
        return nullptr;
    }
    HWND oldParent = record->parent;
    UnlinkFromParent(record);
    record->parent = hWndNewParent;
    parent->children.push_back(hWndChild);
    if (record->widget != nullptr && parent->client != nullptr) {
        bool visible = (record->style & WS_VISIBLE) != 0;
        record->widget->setParent(parent->client);
        record->widget->setVisible(visible);
    }
    return oldParent;
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
    if (LookupWindow(hWndParent) == nullptr) {
        return FALSE;
    }
    for (WindowRecord* record = LookupWindow(hWnd); record != nullptr && (record->style & WS_CHILD);
         record = LookupWindow(record->parent)) {
        if (record->parent == hWndParent) {
            return TRUE;
        }
    }
    return FALSE;
}

namespace {

HWND SiblingOf(WindowRecord* record, UINT relation) {
    WindowRecord* parent = LookupWindow(record->parent);
    if (parent == nullptr) {
        return nullptr;
    }
    const auto& siblings = parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), record->hwnd);
    if (relation == GW_HWNDFIRST) {
        return siblings.front();
    }
    if (relation == GW_HWNDLAST) {
        return siblings.back();
    }
    if (relation == GW_HWNDNEXT) {
        return it + 1 == siblings.end() ? nullptr : *(it + 1);
    }
    return it == siblings.begin() ? nullptr : *(it - 1);
}

} // namespace

// Children are kept in creation order; the first created counts as the top of the z-order.
HWND GetWindow(HWND hWnd, UINT relation) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return nullptr;
    }
    switch (relation) {
    case GW_HWNDFIRST:
    case GW_HWNDLAST:
    case GW_HWNDNEXT:
    case GW_HWNDPREV:
        return SiblingOf(record, relation);
    case GW_OWNER:
        return record->owner;
    case GW_CHILD:
        return record->children.empty() ? nullptr : record->children.front();
    default:
        return nullptr;
    }
}

HWND GetDlgItem(HWND hDlg, int id) {
    WindowRecord* record = LookupWindow(hDlg);
    if (record == nullptr) {
        return nullptr;
    }
    for (HWND child : record->children) {
        WindowRecord* childRecord = LookupWindow(child);
        if (childRecord != nullptr && childRecord->id == UINT(id)) {
            return child;
        }
    }
    return nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    return record == nullptr ? 0 : int(record->id);
}

LONG_PTR GetWindowLongPtr(HWND hWnd, int index) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return 0;
    }
    switch (index) {
    case GWL_STYLE:
        return LONG(record->style);
    case GWL_EXSTYLE:
        return LONG(record->exStyle);
    case GWL_ID:
        return LONG(record->id);
    case GWL_USERDATA:
        return record->userData;
    case GWL_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(record->parent);
    case GWL_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(record->instance);
    default:
        return 0; // GWL_WNDPROC and unknown indexes: windows here have no replaceable procedure
    }
}

// Styles change without messages; WS_VISIBLE is left to ShowWindow.
LONG_PTR SetWindowLongPtr(HWND hWnd, int index, LONG_PTR newLong) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return 0;
    }
    LONG_PTR old = GetWindowLongPtr(hWnd, index);
    switch (index) {
    case GWL_STYLE:
        record->style = (DWORD(newLong) & ~WS_VISIBLE) | (record->style & WS_VISIBLE);
        break;
    case GWL_EXSTYLE:
        record->exStyle = DWORD(newLong);
        break;
    case GWL_ID:
        record->id = UINT(newLong);
        break;
    case GWL_USERDATA:
        record->userData = newLong;
        break;
    default:
        return 0;
    }
    return old;
}

LONG GetWindowLong(HWND hWnd, int index) {
    return LONG(GetWindowLongPtr(hWnd, index));
}

LONG SetWindowLong(HWND hWnd, int index, LONG newLong) {
    return LONG(SetWindowLongPtr(hWnd, index, newLong));
}

BOOL SetWindowText(HWND hWnd, LPCSTR text) {
    if (!IsWindow(hWnd)) {
        return FALSE;
    }
    return BOOL(SendMessage(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int GetWindowText(HWND hWnd, LPSTR text, int maxCount) {
    if (!IsWindow(hWnd) || text == nullptr || maxCount < 1) {
        return 0;
    }
    return int(SendMessage(hWnd, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLength(HWND hWnd) {
    if (!IsWindow(hWnd)) {
        return 0;
    }
    return int(SendMessage(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL EnableWindow(HWND hWnd, BOOL enable) {
    WindowRecord* record = LookupWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    BOOL wasDisabled = (record->style & WS_DISABLED) != 0;
    if (bool(enable) == !wasDisabled) {
        return wasDisabled;
    }
    if (enable) {
        record->style &= ~WS_DISABLED;
    } else {
        record->style |= WS_DISABLED;
    }
    if (record->widget != nullptr) {
        record->widget->setEnabled(enable != FALSE);
    }
    SendMessage(hWnd, WM_ENABLE, WPARAM(enable != FALSE), 0);
    return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
    WindowRecord* record = LookupWindow(hWnd);
    return record != nullptr && !(record->style & WS_DISABLED);
}
