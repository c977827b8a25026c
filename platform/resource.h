// Module resources: menus, icons and bitmaps carried by a module as plain data.
//
// How a module declares its resources: it defines one table with C linkage under the
// well-known name MODULE_RESOURCE_SYMBOL ("ModuleResourceTable"), for example
//
//   static const RESMENUITEM popup150[] = {
//       {MF_POPUP, 0, "Popup"},
//       {MF_STRING, 32779, "Utilization"},
//       {MF_STRING | MF_END, 32783, "All"},    // last item of the popup
//   };
//   static const RESMENU menus[] = {{150, popup150, std::size(popup150)}};
//   static const char* const icon135[] = { /* XPM lines */ };
//   static const RESIMAGE icons[] = {{135, icon135, nullptr, 0}};
//   extern "C" MODULE_EXPORT const RESOURCETABLE ModuleResourceTable = {
//       menus, std::size(menus), icons, std::size(icons), nullptr, 0};
//
// LoadLibrary looks the table up in the new module before DllMain runs; GetModuleHandle(NULL)
// looks it up in the program. A module without the table has no resources.
//
// Menu templates follow the Windows binary menu template: items in order, a MF_POPUP item is
// followed by its own items, and the last item of each popup carries MF_END (at the top level
// the end of the items also ends it). The top level
// of a menu resource is the menu bar (or the menu holding the popups of a context menu).
// Images are XPM (xpm lines) or encoded bytes in a format Qt reads (PNG, BMP: bytes/size).
#pragma once

#include "platform/menu_api.h"
#include "platform/win32_types.h"

#include <cstddef>

#define MODULE_EXPORT __attribute__((visibility("default")))
#define MODULE_RESOURCE_SYMBOL "ModuleResourceTable"

// Resource types, as Windows numbers them.
#define RT_BITMAP MAKEINTRESOURCE(2)
#define RT_MENU MAKEINTRESOURCE(4)
#define RT_GROUP_ICON MAKEINTRESOURCE(14)

struct RESMENUITEM {
    UINT flags;       // MF_STRING, MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_CHECKED, MF_END
    UINT id;          // command id; 0 for popups and separators
    const char* text; // UTF-8; "&" marks the mnemonic
};

struct RESMENU {
    UINT id;
    const RESMENUITEM* items;
    size_t count;
};

struct RESIMAGE {
    UINT id;
    const char* const* xpm;     // XPM image, or nullptr
    const unsigned char* bytes; // encoded image (PNG, BMP), used when xpm is nullptr
    size_t size;
};

struct RESOURCETABLE {
    const RESMENU* menus;
    size_t menuCount;
    const RESIMAGE* icons;
    size_t iconCount;
    const RESIMAGE* bitmaps;
    size_t bitmapCount;
};

// Resource names must be integer ids (MAKEINTRESOURCE); a text name finds nothing.
// Each answers NULL when the module has no such resource.
HMENU LoadMenu(HINSTANCE instance, LPCSTR name);
HICON LoadIcon(HINSTANCE instance, LPCSTR name);
HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name);
// Non-null (an opaque token) when the module has a resource of that name and type.
HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type);

namespace platform {

// Gives a module's resources explicitly (the program's own, or a module that cannot export
// the table). Replaces what LoadLibrary found; nullptr removes them.
void RegisterModuleResources(HMODULE module, const RESOURCETABLE* table);

} // namespace platform
