// Menus: HMENU handles over a menu model and the Win32 menu calls.
//
// A menu is a list of items (text, command id, flags, optional popup). TrackPopupMenu shows a
// QMenu in an interactive application; in a scripted run (see scripted_ui.h) it records what
// was offered and takes the next scripted choice instead. The chosen command is posted to the
// owner as WM_COMMAND(id, 0), or returned with TPM_RETURNCMD.
#pragma once

#include "platform/core/win32_types.h"

#define MF_INSERT 0x0000
#define MF_CHANGE 0x0080
#define MF_APPEND 0x0100
#define MF_DELETE 0x0200
#define MF_REMOVE 0x1000
#define MF_BYCOMMAND 0x0000
#define MF_BYPOSITION 0x0400
#define MF_SEPARATOR 0x0800
#define MF_ENABLED 0x0000
#define MF_GRAYED 0x0001
#define MF_DISABLED 0x0002
#define MF_UNCHECKED 0x0000
#define MF_CHECKED 0x0008
#define MF_STRING 0x0000
#define MF_POPUP 0x0010
#define MF_MENUBARBREAK 0x0020
#define MF_MENUBREAK 0x0040
#define MF_HILITE 0x0080
#define MF_DEFAULT 0x1000
#define MF_END 0x0080 // in menu templates only: last item of a level

#define TPM_LEFTBUTTON 0x0000
#define TPM_RIGHTBUTTON 0x0002
#define TPM_LEFTALIGN 0x0000
#define TPM_CENTERALIGN 0x0004
#define TPM_RIGHTALIGN 0x0008
#define TPM_TOPALIGN 0x0000
#define TPM_VCENTERALIGN 0x0010
#define TPM_BOTTOMALIGN 0x0020
#define TPM_NONOTIFY 0x0080
#define TPM_RETURNCMD 0x0100

HMENU CreateMenu();
HMENU CreatePopupMenu();
// Destroys the menu and its popups; their handles go stale.
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position); // -1 (as UINT) for popups, 0 for separators
int GetMenuString(HMENU menu, UINT item, LPSTR text, int maxCount, UINT flags);
UINT GetMenuState(HMENU menu, UINT item, UINT flags); // -1 (as UINT) when there is no item
// Where the menu bar of `window` shows its item at `position`, in screen coordinates; FALSE
// when `menu` is not that window's bar or the item does not show.
BOOL GetMenuItemRect(HWND window, HMENU menu, UINT position, LPRECT rect);
// Returns the previous state (MF_ENABLED/MF_GRAYED/MF_DISABLED), or -1 when there is no item.
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
// Without TPM_RETURNCMD: nonzero on success (also when nothing was chosen). With it: the chosen
// command id or 0. WM_INITMENUPOPUP goes to the owner before the menu shows.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                    const RECT* excludeRect);
// The menu bar of a frame window (SECMDIFrameWnd); the window does not own it.
BOOL SetMenu(HWND window, HMENU menu);
HMENU GetMenu(HWND window);
BOOL DrawMenuBar(HWND window);
