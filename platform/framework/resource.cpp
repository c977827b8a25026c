#include "platform/framework/resource.h"

#include "common/user_language.h"
#include "platform/framework/module_registry.h"
#include "platform/gdi/gdi_surface.h"

#include <QImage>

#include <string>
#include <vector>

namespace {

// The user's language names (common/user_language.h) that name a resource language.
struct NamedLanguage {
    const char* name;
    LANGID language;
};

const NamedLanguage kNamedLanguages[] = {
    {"zh_CN", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
    {"zh_TW", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
    {"zh", MAKELANGID(LANG_CHINESE, SUBLANG_NEUTRAL)},
};

bool IdOf(LPCSTR name, UINT& id) {
    if (!IS_INTRESOURCE(name)) {
        return false;
    }
    id = static_cast<UINT>(reinterpret_cast<uintptr_t>(name));
    return true;
}

template <typename Entry> const Entry* FindEntry(const Entry* entries, size_t count, LPCSTR name) {
    UINT id = 0;
    if (entries == nullptr || !IdOf(name, id)) {
        return nullptr;
    }
    for (size_t i = 0; i < count; ++i) {
        if (entries[i].id == id) {
            return &entries[i];
        }
    }
    return nullptr;
}

// The version of menu `name` in language `wanted`; unless `exact`, a language without a
// sub-language accepts every version of its primary language.
const RESMENU* FindMenuIn(const RESOURCETABLE* table, LPCSTR name, LANGID wanted, bool exact) {
    UINT id = 0;
    if (table == nullptr || table->menus == nullptr || !IdOf(name, id)) {
        return nullptr;
    }
    const bool anySub = !exact && SUBLANGID(wanted) == SUBLANG_NEUTRAL && wanted != LANG_NEUTRAL;
    for (size_t i = 0; i < table->menuCount; ++i) {
        const RESMENU& menu = table->menus[i];
        const bool accepted = anySub ? PRIMARYLANGID(menu.language) == PRIMARYLANGID(wanted)
                                     : menu.language == wanted;
        if (menu.id == id && accepted) {
            return &menu;
        }
    }
    return nullptr;
}

// The languages to try for a resource, best first.
std::vector<LANGID> WantedLanguages() {
    std::vector<LANGID> wanted;
    for (const std::string& name : platform::UserLanguages()) {
        for (const NamedLanguage& known : kNamedLanguages) {
            if (name == known.name) {
                wanted.push_back(known.language);
            }
        }
    }
    wanted.push_back(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    wanted.push_back(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    return wanted;
}

const RESMENU* FindMenu(HINSTANCE instance, LPCSTR name) {
    const RESOURCETABLE* table = platform::ModuleResources(instance);
    for (LANGID language : WantedLanguages()) {
        if (const RESMENU* menu = FindMenuIn(table, name, language, false)) {
            return menu;
        }
    }
    return table == nullptr ? nullptr : FindEntry(table->menus, table->menuCount, name);
}

const RESIMAGE* FindIcon(HINSTANCE instance, LPCSTR name) {
    const RESOURCETABLE* table = platform::ModuleResources(instance);
    return table == nullptr ? nullptr : FindEntry(table->icons, table->iconCount, name);
}

const RESIMAGE* FindBitmap(HINSTANCE instance, LPCSTR name) {
    const RESOURCETABLE* table = platform::ModuleResources(instance);
    return table == nullptr ? nullptr : FindEntry(table->bitmaps, table->bitmapCount, name);
}

// Builds one level of a menu template into `menu`, from items[next] to the item carrying
// MF_END (or, for the top level, to the end of the items); returns the index after it, or 0
// when the template is malformed.
size_t BuildLevel(const RESMENU& resource, size_t next, HMENU menu, bool topLevel) {
    while (next < resource.count) {
        const RESMENUITEM& item = resource.items[next++];
        UINT flags = item.flags & ~MF_END;
        if (flags & MF_POPUP) {
            HMENU popup = CreatePopupMenu();
            next = BuildLevel(resource, next, popup, false);
            if (next == 0 ||
                !AppendMenu(menu, flags, reinterpret_cast<UINT_PTR>(popup), item.text)) {
                DestroyMenu(popup);
                return 0;
            }
        } else {
            AppendMenu(menu, flags, item.id, item.text);
        }
        if (item.flags & MF_END) {
            return next;
        }
    }
    return topLevel ? next : 0;
}

QImage DecodeImage(const RESIMAGE& resource) {
    if (resource.xpm != nullptr) {
        return QImage(resource.xpm);
    }
    QImage image;
    image.loadFromData(resource.bytes, static_cast<int>(resource.size));
    return image;
}

} // namespace

HMENU LoadMenu(HINSTANCE instance, LPCSTR name) {
    const RESMENU* resource = FindMenu(instance, name);
    if (resource == nullptr) {
        return nullptr;
    }
    HMENU menu = CreateMenu();
    if (BuildLevel(*resource, 0, menu, true) == 0) {
        DestroyMenu(menu);
        return nullptr;
    }
    return menu;
}

HICON LoadIcon(HINSTANCE instance, LPCSTR name) {
    const RESIMAGE* resource = FindIcon(instance, name);
    if (resource == nullptr) {
        return nullptr;
    }
    QImage image = DecodeImage(*resource);
    return image.isNull() ? nullptr : GdiCreateIconFromImage(image);
}

HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name) {
    const RESIMAGE* resource = FindBitmap(instance, name);
    if (resource == nullptr) {
        return nullptr;
    }
    QImage image = DecodeImage(*resource);
    return image.isNull() ? nullptr : GdiCreateBitmapFromImage(image);
}

namespace {

// An image, or the menu that `findMenu` picks.
template <typename FindMenuFn>
HRSRC FindTyped(HMODULE module, LPCSTR type, LPCSTR name, FindMenuFn findMenu) {
    const void* found = nullptr;
    if (type == RT_MENU) {
        found = findMenu();
    } else if (type == RT_GROUP_ICON) {
        found = FindIcon(module, name);
    } else if (type == RT_BITMAP) {
        found = FindBitmap(module, name);
    }
    return static_cast<HRSRC>(const_cast<void*>(found));
}

} // namespace

HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type) {
    return FindTyped(module, type, name, [&] { return FindMenu(module, name); });
}

HRSRC FindResourceEx(HMODULE module, LPCSTR type, LPCSTR name, LANGID language) {
    return FindTyped(module, type, name, [&] {
        return FindMenuIn(platform::ModuleResources(module), name, language, true);
    });
}
