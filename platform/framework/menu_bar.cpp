// Menu bars: a frame's HMENU shown as the QMenuBar of its QMainWindow.
#include "platform/core/window_private.h"
#include "platform/framework/menu_api.h"
#include "platform/framework/menu_model.h"
#include "platform/toolkit/menu_qt.h"

#include <QMainWindow>
#include <QMenuBar>
#include <map>

namespace {

std::map<HWND, HMENU>& Bars() {
    static std::map<HWND, HMENU> bars;
    return bars;
}

// Rebuilds the bar: each popup's items are refilled when it opens, after WM_INITMENUPOPUP
// gave the window its chance to enable and check them; a chosen item posts WM_COMMAND.
void ShowBar(HWND window, HMENU menu) {
    auto* main = qobject_cast<QMainWindow*>(platform::WindowWidget(window));
    if (main == nullptr) {
        return;
    }
    QMenuBar* bar = main->menuBar();
    platform::PrepareMenuBar(bar);
    bar->clear();
    const std::vector<platform::MenuItem>* items = platform::MenuItems(menu);
    if (items == nullptr) {
        return;
    }
    auto post = [window](UINT id) { PostMessage(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); };
    for (size_t position = 0; position < items->size(); ++position) {
        const platform::MenuItem& item = (*items)[position];
        QString text = QString::fromUtf8(item.text);
        bool enabled = !(item.state & (MF_GRAYED | MF_DISABLED));
        if (item.popup == nullptr) {
            QAction* action = bar->addAction(text);
            action->setEnabled(enabled);
            UINT id = item.id;
            QObject::connect(action, &QAction::triggered, bar, [post, id] { post(id); });
            continue;
        }
        QMenu* popup = bar->addMenu(text);
        popup->setEnabled(enabled);
        HMENU handle = item.popup;
        LPARAM lParam = MAKELPARAM(position, FALSE);
        QObject::connect(popup, &QMenu::aboutToShow, popup, [=] {
            SendMessage(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle), lParam);
            platform::FillQMenu(popup, handle, window, post);
        });
        platform::FillQMenu(popup, handle, window, post);
    }
}

} // namespace

BOOL SetMenu(HWND window, HMENU menu) {
    if (!IsWindow(window) || (menu != nullptr && !IsMenu(menu))) {
        return FALSE;
    }
    if (GetWindowLong(window, GWL_STYLE) & WS_CHILD) {
        return FALSE; // only top-level windows have menu bars
    }
    if (menu == nullptr) {
        Bars().erase(window);
    } else {
        Bars()[window] = menu;
    }
    ShowBar(window, menu);
    return TRUE;
}

HMENU GetMenu(HWND window) {
    auto found = Bars().find(window);
    if (found == Bars().end() || !IsWindow(window)) {
        return nullptr;
    }
    return IsMenu(found->second) ? found->second : nullptr;
}

BOOL DrawMenuBar(HWND window) {
    HMENU menu = GetMenu(window);
    if (menu == nullptr) {
        return FALSE;
    }
    ShowBar(window, menu);
    return TRUE;
}

BOOL GetMenuItemRect(HWND window, HMENU menu, UINT position, LPRECT rect) {
    auto* main = qobject_cast<QMainWindow*>(platform::WindowWidget(window));
    if (main == nullptr || rect == nullptr || menu == nullptr || GetMenu(window) != menu) {
        return FALSE;
    }
    const QList<QAction*> actions = main->menuBar()->actions();
    if (position >= static_cast<UINT>(actions.size())) {
        return FALSE;
    }
    const QRect shown = main->menuBar()->actionGeometry(actions[position]);
    if (shown.isEmpty()) {
        return FALSE;
    }
    const QPoint topLeft = main->menuBar()->mapToGlobal(shown.topLeft());
    *rect =
        RECT{topLeft.x(), topLeft.y(), topLeft.x() + shown.width(), topLeft.y() + shown.height()};
    return TRUE;
}
