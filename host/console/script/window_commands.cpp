#include "host/console/script/window_commands.h"

#include "host/console/quillon_frame.h"
#include "host/console/script/script_runner.h"

#include <fstream>

namespace {

using Outcome = ScriptRunner::Outcome;
using Args = std::vector<std::string>;

void WriteRect(std::ostream& out, const RECT& rect) {
    out << rect.left << '\t' << rect.top << '\t' << rect.right - rect.left << '\t'
        << rect.bottom - rect.top;
}

const char* StateName(HWND child) {
    return IsZoomed(child) ? "maximized" : IsIconic(child) ? "minimized" : "normal";
}

void WriteChild(std::ostream& out, HWND client, HWND child, HWND active) {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&rect), 2);
    std::string title;
    CWnd::FromHandle(child)->GetWindowText(title);
    out << "child\t";
    WriteRect(out, rect);
    out << '\t' << StateName(child) << (child == active ? "+active" : "") << '\t' << title << '\n';
}

Outcome DumpWindows(QuillonFrame& frame, const Args& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-windows FILE");
    }
    std::ofstream out(args[0]);
    RECT main{};
    frame.GetWindowRect(&main);
    out << "main\t";
    WriteRect(out, main);
    out << '\n';
    CMDIChildWnd* active = frame.MDIGetActive();
    for (HWND child : frame.MDIGetChildren()) {
        WriteChild(out, frame.m_hWndMDIClient, child, active ? active->m_hWnd : nullptr);
    }
    return out ? Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

} // namespace

void AddWindowCommands(ScriptRunner& runner, QuillonFrame& frame) {
    runner.AddCommand("dump-windows",
                      [&frame](const Args& args) { return DumpWindows(frame, args); });
}
