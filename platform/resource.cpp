#include "platform/resource.h"

#include "platform/gdi_surface.h"
#include "platform/module_registry.h"

#include <QImage>

namespace {

template <typename Entry> const Entry* FindEntry(const Entry* entries, size_t count, LPCSTR name) {
    if (entries == nullptr || !IS_INTRESOURCE(name)) {
        return nullptr;
    }
    UINT id = static_cast<UINT>(reinterpret_cast<uintptr_t>(name));
    for (size_t i = 0; i < count; ++i) {
        if (entries[i].id == id) {
            return &entries[i];
        }
    }
    return nullptr;
}

const RESMENU* FindMenu(HINSTANCE instance, LPCSTR name) {
    const RESOURCETABLE* table = platform::ModuleResources(instance);
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

HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type) {
    const void* found = nullptr;
    if (type == RT_MENU) {
        found = FindMenu(module, name);
    } else if (type == RT_GROUP_ICON) {
        found = FindIcon(module, name);
    } else if (type == RT_BITMAP) {
        found = FindBitmap(module, name);
    }
    return static_cast<HRSRC>(const_cast<void*>(found));
}
