#include "platform/framework/menu.h"

#include "common/handle_table.h"
#include "platform/framework/extension_module.h"
#include "platform/framework/menu_model.h"
#include "platform/framework/resource.h"
#include "platform/framework/wnd.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using platform::MenuItem;

struct Menu {
    std::vector<MenuItem> items;
    CMenu* permanent = nullptr;       // the CMenu attached to the handle, if any
    std::unique_ptr<CMenu> temporary; // made by CMenu::FromHandle when none is attached
};

platform::HandleTable<Menu*>& Menus() {
    static platform::HandleTable<Menu*> menus;
    return menus;
}

Menu* Lookup(HMENU menu) {
    return Menus().Lookup(reinterpret_cast<uintptr_t>(menu));
}

HMENU NewMenu() {
    return reinterpret_cast<HMENU>(Menus().Add(new Menu));
}

// The item named by `item` (a command id, searched through the popups too, or a position),
// and the menu that holds it.
struct Found {
    Menu* menu = nullptr;
    MenuItem* item = nullptr;
};

Found FindItem(HMENU handle, UINT item, UINT flags) {
    Menu* menu = Lookup(handle);
    if (menu == nullptr) {
        return {};
    }
    if (flags & MF_BYPOSITION) {
        if (item >= menu->items.size()) {
            return {};
        }
        return {menu, &menu->items[item]};
    }
    for (MenuItem& candidate : menu->items) {
        if (candidate.popup != nullptr) {
            Found inner = FindItem(candidate.popup, item, flags);
            if (inner.item != nullptr) {
                return inner;
            }
        } else if (candidate.id == item && !(candidate.state & MF_SEPARATOR)) {
            return {menu, &candidate};
        }
    }
    return {};
}

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_DEFAULT |
                            MF_MENUBARBREAK | MF_MENUBREAK;

BOOL MakeItem(UINT flags, UINT_PTR idOrPopup, LPCSTR text, MenuItem& item) {
    item.state = flags & kStateBits;
    item.text = (flags & MF_SEPARATOR) || text == nullptr ? "" : text;
    if (flags & MF_POPUP) {
        item.popup = reinterpret_cast<HMENU>(idOrPopup);
        return Lookup(item.popup) != nullptr ? TRUE : FALSE;
    }
    item.id = (flags & MF_SEPARATOR) ? 0 : static_cast<UINT>(idOrPopup);
    return TRUE;
}

} // namespace

namespace platform {

const std::vector<MenuItem>* MenuItems(HMENU menu) {
    Menu* record = Lookup(menu);
    return record == nullptr ? nullptr : &record->items;
}

} // namespace platform

HMENU CreateMenu() {
    return NewMenu();
}

HMENU CreatePopupMenu() {
    return NewMenu();
}

BOOL IsMenu(HMENU menu) {
    return Lookup(menu) != nullptr ? TRUE : FALSE;
}

BOOL DestroyMenu(HMENU menu) {
    Menu* record = Lookup(menu);
    if (record == nullptr) {
        return FALSE;
    }
    std::vector<MenuItem> items = std::move(record->items);
    if (record->permanent != nullptr) {
        record->permanent->m_hMenu = nullptr;
    }
    if (record->temporary) {
        record->temporary->m_hMenu = nullptr;
    }
    delete Menus().Remove(reinterpret_cast<uintptr_t>(menu));
    for (const MenuItem& item : items) {
        DestroyMenu(item.popup);
    }
    return TRUE;
}

BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    Menu* record = Lookup(menu);
    MenuItem item;
    if (record == nullptr || !MakeItem(flags, idOrPopup, text, item)) {
        return FALSE;
    }
    auto at = record->items.end();
    if (position != static_cast<UINT>(-1)) {
        Found found = FindItem(menu, position, flags);
        if (found.item == nullptr) {
            return FALSE;
        }
        // By command the item goes before the found item, in the menu that holds it.
        record = found.menu;
        at = record->items.begin() + (found.item - record->items.data());
    }
    record->items.insert(at, std::move(item));
    return TRUE;
}

BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    return InsertMenu(menu, static_cast<UINT>(-1), flags | MF_BYPOSITION, idOrPopup, text);
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
    Found found = FindItem(menu, position, flags);
    if (found.item == nullptr) {
        return FALSE;
    }
    found.menu->items.erase(found.menu->items.begin() + (found.item - found.menu->items.data()));
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    Found found = FindItem(menu, position, flags);
    if (found.item == nullptr) {
        return FALSE;
    }
    HMENU popup = found.item->popup;
    RemoveMenu(menu, position, flags);
    if (popup != nullptr) {
        DestroyMenu(popup);
    }
    return TRUE;
}

HMENU GetSubMenu(HMENU menu, int position) {
    Found found = FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    return found.item == nullptr || position < 0 ? nullptr : found.item->popup;
}

int GetMenuItemCount(HMENU menu) {
    Menu* record = Lookup(menu);
    return record == nullptr ? -1 : static_cast<int>(record->items.size());
}

UINT GetMenuItemID(HMENU menu, int position) {
    Found found = FindItem(menu, static_cast<UINT>(position), MF_BYPOSITION);
    if (found.item == nullptr || position < 0 || found.item->popup != nullptr) {
        return static_cast<UINT>(-1);
    }
    return found.item->id;
}

int GetMenuString(HMENU menu, UINT item, LPSTR text, int maxCount, UINT flags) {
    Found found = FindItem(menu, item, flags);
    if (found.item == nullptr) {
        return 0;
    }
    const std::string& label = found.item->text;
    if (text == nullptr || maxCount <= 0) {
        return static_cast<int>(label.size());
    }
    size_t copied = std::min(label.size(), static_cast<size_t>(maxCount - 1));
    std::memcpy(text, label.data(), copied);
    text[copied] = '\0';
    return static_cast<int>(copied);
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    Found found = FindItem(menu, item, flags);
    if (found.item == nullptr) {
        return static_cast<UINT>(-1);
    }
    if (found.item->popup == nullptr) {
        return found.item->state;
    }
    // A popup answers its item count in the high byte of the low word, as Windows does.
    UINT count = static_cast<UINT>(GetMenuItemCount(found.item->popup));
    return (count << 8) | MF_POPUP | (found.item->state & 0xff);
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    Found found = FindItem(menu, item, enable & MF_BYPOSITION);
    if (found.item == nullptr) {
        return static_cast<UINT>(-1);
    }
    UINT previous = found.item->state & (MF_GRAYED | MF_DISABLED);
    found.item->state =
        (found.item->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
    Found found = FindItem(menu, item, check & MF_BYPOSITION);
    if (found.item == nullptr) {
        return static_cast<DWORD>(-1);
    }
    DWORD previous = found.item->state & MF_CHECKED;
    found.item->state = (found.item->state & ~MF_CHECKED) | (check & MF_CHECKED);
    return previous;
}

IMPLEMENT_DYNCREATE(CMenu, CObject)

CMenu::CMenu() : m_hMenu(nullptr) {}

CMenu::~CMenu() {
    DestroyMenu();
}

CMenu* CMenu::FromHandle(HMENU menu) {
    Menu* record = Lookup(menu);
    if (record == nullptr) {
        return nullptr;
    }
    if (record->permanent != nullptr) {
        return record->permanent;
    }
    if (!record->temporary) {
        record->temporary = std::make_unique<CMenu>();
        record->temporary->m_hMenu = menu;
    }
    return record->temporary.get();
}

BOOL CMenu::Attach(HMENU menu) {
    Menu* record = Lookup(menu);
    if (record == nullptr || m_hMenu != nullptr || record->permanent != nullptr) {
        return FALSE;
    }
    record->permanent = this;
    m_hMenu = menu;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    if (Menu* record = Lookup(menu); record != nullptr && record->permanent == this) {
        record->permanent = nullptr;
    }
    m_hMenu = nullptr;
    return menu;
}

BOOL CMenu::CreateMenu() {
    return Attach(::CreateMenu());
}

BOOL CMenu::CreatePopupMenu() {
    return Attach(::CreatePopupMenu());
}

BOOL CMenu::LoadMenu(UINT resourceId) {
    return LoadMenu(MAKEINTRESOURCE(resourceId));
}

BOOL CMenu::LoadMenu(LPCSTR resourceName) {
    HMENU menu = ::LoadMenu(AfxFindResourceHandle(resourceName, RT_MENU), resourceName);
    if (menu == nullptr) {
        return FALSE;
    }
    if (Attach(menu)) {
        return TRUE;
    }
    ::DestroyMenu(menu);
    return FALSE;
}

BOOL CMenu::DestroyMenu() {
    Menu* record = Lookup(m_hMenu);
    if (record == nullptr || record->temporary.get() == this) {
        m_hMenu = nullptr;
        return FALSE;
    }
    return ::DestroyMenu(Detach());
}

CMenu* CMenu::GetSubMenu(int position) const {
    return FromHandle(::GetSubMenu(m_hMenu, position));
}

UINT CMenu::GetMenuItemCount() const {
    return static_cast<UINT>(::GetMenuItemCount(m_hMenu));
}

UINT CMenu::GetMenuItemID(int position) const {
    return ::GetMenuItemID(m_hMenu, position);
}

int CMenu::GetMenuString(UINT item, LPSTR text, int maxCount, UINT flags) const {
    return ::GetMenuString(m_hMenu, item, text, maxCount, flags);
}

int CMenu::GetMenuString(UINT item, std::string& text, UINT flags) const {
    Found found = FindItem(m_hMenu, item, flags);
    text = found.item == nullptr ? "" : found.item->text;
    return static_cast<int>(text.size());
}

UINT CMenu::GetMenuState(UINT item, UINT flags) const {
    return ::GetMenuState(m_hMenu, item, flags);
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    return ::AppendMenu(m_hMenu, flags, idOrPopup, text);
}

BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    return ::InsertMenu(m_hMenu, position, flags, idOrPopup, text);
}

BOOL CMenu::RemoveMenu(UINT position, UINT flags) {
    return ::RemoveMenu(m_hMenu, position, flags);
}

BOOL CMenu::DeleteMenu(UINT position, UINT flags) {
    return ::DeleteMenu(m_hMenu, position, flags);
}

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    return ::EnableMenuItem(m_hMenu, item, enable);
}

UINT CMenu::CheckMenuItem(UINT item, UINT check) {
    return ::CheckMenuItem(m_hMenu, item, check);
}

BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* rect) {
    return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner == nullptr ? nullptr : owner->m_hWnd,
                            rect);
}
