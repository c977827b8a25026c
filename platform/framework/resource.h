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
//
// Languages: a menu may come in several languages under one id, each tagged with its LANGID
// (MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)); an untagged menu is LANG_NEUTRAL.
// LoadMenu and FindResource take the version for the user's language
// (common/user_language.h, the rule Localize follows): the first of the user's languages
// that the module has ("zh_CN" exactly, a bare "zh" any Chinese version), else the neutral
// version, else US English, else the first one listed. FindResourceEx asks for one language
// exactly. Icons and bitmaps have one version for every language.
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/menu_api.h"

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

typedef WORD LANGID;
#define MAKELANGID(primary, sub) ((LANGID)((((WORD)(sub)) << 10) | (WORD)(primary)))
#define PRIMARYLANGID(language) ((WORD)(language)&0x3ff)
#define SUBLANGID(language) ((WORD)(language) >> 10)
#define LANG_NEUTRAL 0x00
#define LANG_CHINESE 0x04
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_CHINESE_TRADITIONAL 0x01
#define SUBLANG_CHINESE_SIMPLIFIED 0x02

struct RESMENU {
    UINT id;
    const RESMENUITEM* items;
    size_t count;
    LANGID language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
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
// Non-null (an opaque token) when the module has a resource of that name and type, in the
// user's language or the next best one.
HRSRC FindResource(HMODULE module, LPCSTR name, LPCSTR type);
// The same in exactly that language.
HRSRC FindResourceEx(HMODULE module, LPCSTR type, LPCSTR name, LANGID language);

namespace platform {

// Gives a module's resources explicitly (the program's own, or a module that cannot export
// the table). Replaces what LoadLibrary found; nullptr removes them.
void RegisterModuleResources(HMODULE module, const RESOURCETABLE* table);

} // namespace platform
