// Scripted runs: menus and message boxes without a person.
//
// In a scripted run TrackPopupMenu and MessageBox show nothing: each records what it offered
// and answers at once. The run is scripted when the Qt platform is "offscreen" or "minimal",
// or TESSARAN_SCRIPTED=1 is set, or SetScriptedUi(TRUE) was called; otherwise the real QMenu
// and QMessageBox appear.
#pragma once

#include "platform/core/win32_types.h"

#include <string>
#include <vector>

namespace platform {

BOOL IsScriptedUi();
void SetScriptedUi(BOOL scripted);

// One item as a tracked menu offered it; a popup lists its own items.
struct OfferedMenuItem {
    std::string text;
    UINT id;    // 0 for separators and popups
    UINT state; // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP bits
    std::vector<OfferedMenuItem> popup;
};

struct OfferedMenu {
    HWND owner;
    UINT flags;
    POINT point;
    std::vector<OfferedMenuItem> items;
    UINT chosen; // the command taken, 0 when dismissed
};

// Queue the answer for the next tracked menu: an enabled item by command id (looked up in the
// popups too) or by position in the tracked menu, or dismissal. Without a queued answer a
// scripted menu is dismissed. An answer that names no enabled command dismisses the menu.
void ChooseMenuCommand(UINT id);
void ChooseMenuPosition(int position);
void DismissNextMenu();
// What the tracked menus offered, oldest first.
const std::vector<OfferedMenu>& OfferedMenus();
void ClearOfferedMenus();
// The items of the popup menu on screen now (the innermost one open), ids 0; empty when no
// popup menu shows. Lets a script read the real menus a person sees.
std::vector<OfferedMenuItem> ShownPopupItems();
// Writes a PNG of an offered menu as it would have shown on screen; FALSE when the file
// cannot be written.
BOOL SaveOfferedMenuImage(const OfferedMenu& menu, const char* path);

struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;  // MB_ buttons and icon bits
    int answer; // what MessageBox returned
};

// Queue the answer for the next message box (IDOK, IDCANCEL, IDYES, ...). Without one the
// box answers with its first button: IDOK, IDABORT, IDYES or IDRETRY.
void AnswerNextMessageBox(int answer);
const std::vector<MessageBoxRecord>& MessageBoxRecords();
void ClearMessageBoxRecords();

} // namespace platform
