#include "platform/core/win32.h"
#include "platform/framework/menu_api.h"
#include "platform/framework/menu_model.h"
#include "platform/toolkit/menu_qt.h"
#include "platform/toolkit/scripted_ui.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <deque>

namespace {

// A queued answer for the next tracked menu.
struct MenuChoice {
    enum Kind { Command, Position, Dismiss } kind;
    UINT value;
};

std::deque<MenuChoice> menuChoices;
std::vector<platform::OfferedMenu> offeredMenus;

std::vector<platform::OfferedMenuItem> Offer(HMENU menu) {
    std::vector<platform::OfferedMenuItem> offered;
    const std::vector<platform::MenuItem>* items = platform::MenuItems(menu);
    if (items == nullptr) {
        return offered;
    }
    for (const platform::MenuItem& item : *items) {
        UINT state = item.state | (item.popup != nullptr ? MF_POPUP : 0);
        offered.push_back({item.text, item.id, state, Offer(item.popup)});
    }
    return offered;
}

bool Choosable(const platform::OfferedMenuItem& item) {
    return !(item.state & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP));
}

// The enabled command with that id, looked up through popups that are themselves enabled.
bool HasCommand(const std::vector<platform::OfferedMenuItem>& items, UINT id) {
    for (const platform::OfferedMenuItem& item : items) {
        if (item.state & MF_POPUP) {
            if (!(item.state & (MF_GRAYED | MF_DISABLED)) && HasCommand(item.popup, id)) {
                return true;
            }
        } else if (item.id == id && Choosable(item)) {
            return true;
        }
    }
    return false;
}

UINT ScriptedChoice(const std::vector<platform::OfferedMenuItem>& items) {
    if (menuChoices.empty()) {
        return 0;
    }
    MenuChoice choice = menuChoices.front();
    menuChoices.pop_front();
    if (choice.kind == MenuChoice::Command) {
        return HasCommand(items, choice.value) ? choice.value : 0;
    }
    if (choice.kind == MenuChoice::Position && choice.value < items.size() &&
        Choosable(items[choice.value])) {
        return items[choice.value].id;
    }
    return 0;
}

QPoint Placed(QMenu& view, UINT flags, int x, int y) {
    QSize size = view.sizeHint();
    if (flags & TPM_RIGHTALIGN) {
        x -= size.width();
    } else if (flags & TPM_CENTERALIGN) {
        x -= size.width() / 2;
    }
    if (flags & TPM_BOTTOMALIGN) {
        y -= size.height();
    } else if (flags & TPM_VCENTERALIGN) {
        y -= size.height() / 2;
    }
    return QPoint(x, y);
}

// A command item of a menu view, enabled and checked as its state says.
QAction* AddAction(QMenu* view, const QString& text, UINT state) {
    QAction* action = view->addAction(text);
    action->setEnabled(!(state & (MF_GRAYED | MF_DISABLED)));
    action->setCheckable(state & MF_CHECKED);
    action->setChecked(state & MF_CHECKED);
    return action;
}

// Offered items as the menu showed them, for its picture: the same texts, states and
// sub-menus, without commands.
void FillOffered(QMenu* view, const std::vector<platform::OfferedMenuItem>& items) {
    for (const platform::OfferedMenuItem& item : items) {
        if (item.state & MF_SEPARATOR) {
            view->addSeparator();
            continue;
        }
        const QString text = QString::fromStdString(item.text);
        const bool enabled = !(item.state & (MF_GRAYED | MF_DISABLED));
        if (item.state & MF_POPUP) {
            QMenu* sub = view->addMenu(text);
            sub->setEnabled(enabled);
            FillOffered(sub, item.popup);
            continue;
        }
        AddAction(view, text, item.state);
    }
}

UINT ShowMenu(HMENU menu, UINT flags, int x, int y, HWND owner) {
    QMenu view;
    UINT chosen = 0;
    platform::FillQMenu(&view, menu, owner, [&chosen](UINT id) { chosen = id; });
    view.exec(Placed(view, flags, x, y));
    return chosen;
}

} // namespace

namespace platform {

void ChooseMenuCommand(UINT id) {
    menuChoices.push_back({MenuChoice::Command, id});
}

void ChooseMenuPosition(int position) {
    menuChoices.push_back({MenuChoice::Position, static_cast<UINT>(position)});
}

void DismissNextMenu() {
    menuChoices.push_back({MenuChoice::Dismiss, 0});
}

const std::vector<OfferedMenu>& OfferedMenus() {
    return offeredMenus;
}

void ClearOfferedMenus() {
    offeredMenus.clear();
    menuChoices.clear();
}

std::vector<OfferedMenuItem> ShownPopupItems() {
    std::vector<OfferedMenuItem> shown;
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return shown;
    }
    for (const QAction* action : menu->actions()) {
        UINT state = action->isSeparator() ? MF_SEPARATOR : 0;
        state |= action->isEnabled() ? 0 : MF_GRAYED;
        state |= action->isChecked() ? MF_CHECKED : 0;
        state |= action->menu() != nullptr ? MF_POPUP : 0;
        shown.push_back({action->text().toStdString(), 0, state, {}});
    }
    return shown;
}

BOOL SaveOfferedMenuImage(const OfferedMenu& menu, const char* path) {
    QMenu view;
    FillOffered(&view, menu.items);
    view.adjustSize();
    return view.grab().save(QString::fromUtf8(path), "PNG");
}

void FillQMenu(QMenu* view, HMENU menu, HWND owner, const std::function<void(UINT)>& chosen) {
    view->clear();
    const std::vector<MenuItem>* items = MenuItems(menu);
    if (items == nullptr) {
        return;
    }
    for (const MenuItem& item : *items) {
        if (item.state & MF_SEPARATOR) {
            view->addSeparator();
            continue;
        }
        QString text = QString::fromUtf8(item.text);
        bool enabled = !(item.state & (MF_GRAYED | MF_DISABLED));
        if (item.popup != nullptr) {
            QMenu* sub = view->addMenu(text);
            sub->setEnabled(enabled);
            HMENU popup = item.popup;
            QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, popup, owner, chosen] {
                SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
                FillQMenu(sub, popup, owner, chosen);
            });
            FillQMenu(sub, popup, owner, chosen);
            continue;
        }
        QAction* action = AddAction(view, text, item.state);
        UINT id = item.id;
        QObject::connect(action, &QAction::triggered, view, [chosen, id] { chosen(id); });
    }
}

} // namespace platform

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    if (!IsMenu(menu) || !IsWindow(owner)) {
        return FALSE;
    }
    SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    if (!IsMenu(menu) || !IsWindow(owner)) {
        return FALSE; // the owner destroyed the menu or itself while preparing it
    }
    UINT chosen = 0;
    if (platform::IsScriptedUi()) {
        platform::OfferedMenu offered{owner, flags, POINT{x, y}, Offer(menu), 0};
        chosen = ScriptedChoice(offered.items);
        offered.chosen = chosen;
        offeredMenus.push_back(std::move(offered));
    } else {
        chosen = ShowMenu(menu, flags, x, y, owner);
    }
    if (flags & TPM_RETURNCMD) {
        return static_cast<BOOL>(chosen);
    }
    // Windows posts the chosen command to the owner after the menu closes.
    if (chosen != 0) {
        PostMessage(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    }
    return TRUE;
}
