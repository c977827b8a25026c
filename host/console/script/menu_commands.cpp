#include "host/console/script/menu_commands.h"

#include "host/console/quillon_frame.h"
#include "host/console/script/script_runner.h"
#include "platform/framework/menu.h"
#include "platform/toolkit/scripted_ui.h"

#include <fstream>

namespace {

using Outcome = ScriptRunner::Outcome;
using Args = std::vector<std::string>;

std::string ItemText(HMENU menu, UINT position) {
    char text[256] = {};
    GetMenuString(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// The popup's items after WM_INITMENUPOPUP, as opening it would show them.
void WritePopup(std::ofstream& out, HWND frame, HMENU bar, UINT position) {
    HMENU popup = GetSubMenu(bar, static_cast<int>(position));
    RECT title{};
    GetMenuItemRect(frame, bar, position, &title);
    out << "menu\t" << position << '\t' << title.left << '\t' << title.top << '\t' << title.right
        << '\t' << title.bottom << '\t' << ItemText(bar, position) << '\n';
    if (!popup) {
        return;
    }
    SendMessage(frame, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(position, 0));
    for (int item = 0; item < GetMenuItemCount(popup); ++item) {
        const UINT state = GetMenuState(popup, item, MF_BYPOSITION);
        if (state & MF_SEPARATOR) {
            continue;
        }
        out << "item\t" << GetMenuItemID(popup, item) << '\t'
            << (state & (MF_GRAYED | MF_DISABLED) ? "grayed" : "enabled") << '\t'
            << ItemText(popup, item) << '\n';
    }
}

Outcome DumpMenuBar(QuillonFrame& frame, const Args& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-menu-bar FILE");
    }
    HMENU bar = GetMenu(frame.m_hWnd);
    if (!bar) {
        return ScriptRunner::Failed("the main window has no menu bar");
    }
    std::ofstream out(args[0]);
    for (int position = 0; position < GetMenuItemCount(bar); ++position) {
        WritePopup(out, frame.m_hWnd, bar, static_cast<UINT>(position));
    }
    return out ? Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

// The popup menu on screen, one line an item: item, text, enabled|grayed and "checked"
// when it is; separators as "separator". An empty file when no popup shows.
Outcome DumpPopup(const Args& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-popup FILE");
    }
    std::ofstream out(args[0]);
    for (const platform::OfferedMenuItem& item : platform::ShownPopupItems()) {
        if (item.state & MF_SEPARATOR) {
            out << "separator\n";
            continue;
        }
        out << "item\t" << item.text << '\t'
            << (item.state & (MF_GRAYED | MF_DISABLED) ? "grayed" : "enabled")
            << (item.state & MF_CHECKED ? "\tchecked" : "") << '\n';
    }
    return out ? Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

} // namespace

void AddMenuCommands(ScriptRunner& runner, QuillonFrame& frame) {
    runner.AddCommand(
        "dump-menu-bar", [&frame](const Args& args) { return DumpMenuBar(frame, args); },
        ScriptRunner::Kind::Observes);
    runner.AddCommand("dump-popup", DumpPopup, ScriptRunner::Kind::Observes);
}
