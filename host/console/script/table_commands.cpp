#include "host/console/script/table_commands.h"

#include "host/console/quillon_frame.h"
#include "host/console/script/script_runner.h"
#include "hostapi/window_report.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"

#include <fstream>

namespace {

using Outcome = ScriptRunner::Outcome;
using Args = std::vector<std::string>;

// The command's one file argument and the open table, or the reason there are none.
std::string Check(const TableDriver& table, const Args& args, const char* usage) {
    if (!table.IsOpen()) {
        return "no table is open";
    }
    return args.size() == 1 ? "" : std::string("usage: ") + usage;
}

// The display rows in sight, from the top one down: rows above are scrolled out.
void WriteRows(const TableDriver& table, std::ostream& out) {
    const int rows = table.RowCount();
    const std::vector<int> order = table.ColumnOrder();
    const int first = order.empty() ? -1 : order.front();
    bool seen = false;
    for (int row = 0; row < rows; ++row) {
        RECT cell{};
        const bool shown = table.CellRect(first, static_cast<WPARAM>(row), cell);
        if (!shown && seen) {
            return;
        }
        if (shown) {
            out << "row\t" << row << '\t' << cell.top << '\t' << cell.bottom << '\n';
            seen = true;
        }
    }
}

Outcome DumpLayout(QuillonFrame& frame, const Args& args) {
    const TableDriver table = frame.MatrixTable();
    const std::string problem = Check(table, args, "dump-layout FILE");
    if (!problem.empty()) {
        return ScriptRunner::Failed(problem);
    }
    RECT client{};
    GetClientRect(table.Handle(), &client);
    POINT origin{0, 0};
    ClientToScreen(table.Handle(), &origin);
    std::ofstream out(args[0]);
    out << "table\t" << origin.x << '\t' << origin.y << '\t' << client.right << '\t'
        << client.bottom << '\n';
    for (int column : table.ColumnOrder()) {
        RECT header{};
        if (table.CellRect(column, CELLRECT_HEADER, header)) {
            out << "column\t" << column << '\t' << header.left << '\t' << header.right << '\n';
        }
    }
    WriteRows(table, out);
    return out ? Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

Outcome ScreenshotTable(QuillonFrame& frame, const Args& args) {
    const TableDriver table = frame.MatrixTable();
    const std::string problem = Check(table, args, "screenshot-table FILE");
    if (!problem.empty()) {
        return ScriptRunner::Failed(problem);
    }
    return PlatformApp::SaveWindowImage(table.Handle(), args[0].c_str())
               ? Outcome{}
               : ScriptRunner::Failed("cannot write " + args[0]);
}

// Scripted runs record the context menus instead of showing them.
Outcome DumpMenus(const Args& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-menus FILE");
    }
    std::ofstream out(args[0]);
    for (const platform::OfferedMenu& menu : platform::OfferedMenus()) {
        out << "menu";
        for (const platform::OfferedMenuItem& item : menu.items) {
            out << '\t' << item.id;
        }
        out << '\n';
    }
    return out ? Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

} // namespace

void AddTableCommands(ScriptRunner& runner, QuillonFrame& frame) {
    runner.AddCommand("dump-layout",
                      [&frame](const Args& args) { return DumpLayout(frame, args); });
    runner.AddCommand("dump-menus", DumpMenus);
    runner.AddCommand("screenshot-table",
                      [&frame](const Args& args) { return ScreenshotTable(frame, args); });
}
