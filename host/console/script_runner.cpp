#include "host/console/script_runner.h"

#include "host/console/node_window.h"
#include "host/console/plugin_host.h"
#include "host/console/quillon_frame.h"
#include "platform/platform_app.h"
#include "platform/scripted_ui.h"
#include "platform/window_private.h"
#include "table/ksc_table.h"

#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

constexpr int IDC_MATRIX_TABLE = 6301;
constexpr int POLL_INTERVAL_MS = 20;
constexpr double DEFAULT_WALK_TIMEOUT_SECONDS = 60;

std::vector<std::string> SplitWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

bool ParseNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end && *end == '\0' && value >= 0;
}

bool ParseInt(const std::string& text, int& value) {
    double number = 0;
    if (!ParseNumber(text, number) || number != static_cast<int>(number))
        return false;
    value = static_cast<int>(number);
    return true;
}

// The Matrix view's table control, or null while no node window shows one.
KSCTable* MatrixTable(QuillonFrame& frame) {
    NodeWindow* node = frame.NodeWnd();
    if (!node || !node->View())
        return nullptr;
    CWnd* table = node->View()->GetDlgItem(IDC_MATRIX_TABLE);
    return table ? dynamic_cast<KSCTable*>(table) : nullptr;
}

int ColumnByName(const KSCTable& table, const std::string& name) {
    for (int column = 0; column < table.GetColumnCount(); ++column) {
        if (table.GetColumnTitle(column) == name)
            return column;
    }
    int index = -1;
    return ParseInt(name, index) && index < table.GetColumnCount() ? index : -1;
}

// Centre of a visible column's header cell, in the table's client coordinates: above the
// column's cell in the top row, which the table places below its header.
bool HeaderPoint(const KSCTable& table, int column, POINT& point) {
    RECT cell{};
    table.GetCellRect(table.DisplayRowToRow(0), column, &cell);
    if (cell.right <= cell.left)
        return false;
    point = {(cell.left + cell.right) / 2, cell.top / 2};
    return true;
}

// A double click as the system delivers it: down, up, double click, up.
void DoubleClick(CWnd& window, POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    window.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    window.SendMessage(WM_LBUTTONUP, 0, at);
    window.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    window.SendMessage(WM_LBUTTONUP, 0, at);
}

void WriteTable(const KSCTable& table, std::ostream& out) {
    const int columns = table.GetColumnCount();
    for (int column = 0; column < columns; ++column)
        out << (column ? "\t" : "") << table.GetColumnTitle(column);
    out << '\n';
    for (int display = 0; display < table.GetRowCount(); ++display) {
        const int row = table.DisplayRowToRow(display);
        for (int column = 0; column < columns; ++column)
            out << (column ? "\t" : "") << table.GetCellText(row, column);
        out << '\n';
    }
}

} // namespace

ScriptRunner::Outcome ScriptRunner::Failed(std::string error) {
    Outcome outcome;
    outcome.error = std::move(error);
    return outcome;
}

ScriptRunner::ScriptRunner(QuillonFrame& frame, PluginHost& plugin, std::function<int()> walksDone)
    : m_frame(frame), m_plugin(plugin), m_walksDone(std::move(walksDone)) {}

bool ScriptRunner::Load(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read script " + path;
        return false;
    }
    m_path = path;
    int number = 0;
    for (std::string text; std::getline(in, text);) {
        ++number;
        std::vector<std::string> words = SplitWords(text);
        if (!words.empty() && words[0][0] != '#')
            m_lines.push_back({number, std::move(words)});
    }
    return true;
}

void ScriptRunner::AddCommand(const std::string& name, Handler handler) {
    m_added[name] = std::move(handler);
}

void ScriptRunner::Start() {
    QTimer::singleShot(0, [this] { Step(); });
}

void ScriptRunner::Step() {
    while (m_next < m_lines.size()) {
        const Line& line = m_lines[m_next];
        PlatformApp::PumpMessages();
        if (line.words[0] == "quit") {
            PlatformApp::Quit(0);
            return;
        }
        Outcome outcome = Run(line);
        if (!outcome.error.empty()) {
            Fail(line, outcome.error);
            return;
        }
        if (outcome.until) {
            m_waiting = std::move(outcome);
            m_deadline = Clock::now() + std::chrono::milliseconds(
                                            static_cast<int64_t>(m_waiting.timeoutSeconds * 1000));
            QTimer::singleShot(POLL_INTERVAL_MS, [this] { Poll(); });
            return;
        }
        ++m_next;
    }
    PlatformApp::Quit(0);
}

void ScriptRunner::Poll() {
    PlatformApp::PumpMessages();
    if (m_waiting.until()) {
        ++m_next;
        Step();
        return;
    }
    if (Clock::now() >= m_deadline) {
        Fail(m_lines[m_next], m_waiting.timeoutMessage);
        return;
    }
    QTimer::singleShot(POLL_INTERVAL_MS, [this] { Poll(); });
}

void ScriptRunner::Fail(const Line& line, const std::string& message) {
    std::string text;
    for (const std::string& word : line.words)
        text += (text.empty() ? "" : " ") + word;
    std::cerr << m_path << ":" << line.number << ": " << text << ": " << message << std::endl;
    PlatformApp::Quit(1);
}

ScriptRunner::Outcome ScriptRunner::Run(const Line& line) {
    using Handler = Outcome (ScriptRunner::*)(const std::vector<std::string>&);
    static const std::pair<const char*, Handler> commands[] = {
        {"open", &ScriptRunner::Open},
        {"wait-walks", &ScriptRunner::WaitWalks},
        {"wait", &ScriptRunner::Wait},
        {"select", &ScriptRunner::Select},
        {"sort", &ScriptRunner::Sort},
        {"command", &ScriptRunner::Command},
        {"dump-table", &ScriptRunner::DumpTable},
        {"messages", &ScriptRunner::Messages},
        {"screenshot", &ScriptRunner::Screenshot},
    };
    const std::vector<std::string> args(line.words.begin() + 1, line.words.end());
    for (const auto& [name, handler] : commands) {
        if (line.words[0] == name)
            return (this->*handler)(args);
    }
    auto added = m_added.find(line.words[0]);
    return added != m_added.end() ? added->second(args) : Failed("unknown command");
}

ScriptRunner::Outcome ScriptRunner::Open(const std::vector<std::string>& args) {
    if (args.empty())
        return Failed("open needs a node name");
    std::string name;
    for (const std::string& word : args)
        name += (name.empty() ? "" : " ") + word;
    m_walksAtOpen = m_walksDone();
    if (!m_frame.OpenNode(name))
        return Failed("cannot open node \"" + name + "\"");
    return {};
}

ScriptRunner::Outcome ScriptRunner::WaitWalks(const std::vector<std::string>& args) {
    int count = 0;
    double seconds = DEFAULT_WALK_TIMEOUT_SECONDS;
    if (args.empty() || !ParseInt(args[0], count) ||
        (args.size() > 1 && !ParseNumber(args[1], seconds)))
        return Failed("usage: wait-walks N [SECONDS]");
    Outcome outcome;
    outcome.until = [this, count] { return m_walksDone() - m_walksAtOpen >= count; };
    outcome.timeoutSeconds = seconds;
    outcome.timeoutMessage = "timed out: " + std::to_string(m_walksDone() - m_walksAtOpen) +
                             " of " + std::to_string(count) + " walks finished";
    return outcome;
}

ScriptRunner::Outcome ScriptRunner::Wait(const std::vector<std::string>& args) {
    double seconds = 0;
    if (args.size() != 1 || !ParseNumber(args[0], seconds))
        return Failed("usage: wait SECONDS");
    const Clock::time_point end =
        Clock::now() + std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    Outcome outcome;
    outcome.until = [end] { return Clock::now() >= end; };
    outcome.timeoutSeconds = seconds + 1;
    return outcome;
}

ScriptRunner::Outcome ScriptRunner::Select(const std::vector<std::string>& args) {
    KSCTable* table = MatrixTable(m_frame);
    if (!table)
        return Failed("no table is open");
    std::vector<int> rows;
    for (const std::string& arg : args) {
        int row = -1;
        if (!ParseInt(arg, row) || row >= table->GetRowCount())
            return Failed("no display row " + arg + " (the table has " +
                          std::to_string(table->GetRowCount()) + " rows)");
        rows.push_back(row);
    }
    table->ClearSelection();
    for (int row : rows)
        table->SelectRow(row, 1);
    return {};
}

ScriptRunner::Outcome ScriptRunner::Sort(const std::vector<std::string>& args) {
    KSCTable* table = MatrixTable(m_frame);
    if (!table)
        return Failed("no table is open");
    if (args.size() != 1)
        return Failed("usage: sort COLUMN");
    POINT point{};
    const int column = ColumnByName(*table, args[0]);
    if (column < 0 || !HeaderPoint(*table, column, point))
        return Failed("no visible column " + args[0]);
    DoubleClick(*table, point);
    return {};
}

ScriptRunner::Outcome ScriptRunner::Command(const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 1 || !ParseInt(args[0], id))
        return Failed("usage: command ID");
    if (!m_plugin.Command(static_cast<UINT>(id)))
        return Failed("the plug-in has no view to take the command");
    return {};
}

ScriptRunner::Outcome ScriptRunner::DumpTable(const std::vector<std::string>& args) {
    KSCTable* table = MatrixTable(m_frame);
    if (!table)
        return Failed("no table is open");
    if (args.size() != 1)
        return Failed("usage: dump-table FILE");
    std::ofstream out(args[0]);
    WriteTable(*table, out);
    return out ? Outcome{} : Failed("cannot write " + args[0]);
}

ScriptRunner::Outcome ScriptRunner::Messages(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return Failed("usage: messages FILE");
    std::ofstream out(args[0]);
    for (const platform::MessageBoxRecord& record : platform::MessageBoxRecords())
        out << record.caption << '\t' << record.text << '\n';
    return out ? Outcome{} : Failed("cannot write " + args[0]);
}

ScriptRunner::Outcome ScriptRunner::Screenshot(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return Failed("usage: screenshot FILE");
    QWidget* widget = platform::WindowWidget(m_frame.m_hWnd);
    if (!widget)
        return Failed("the main window has no widget");
    if (!widget->grab().save(QString::fromStdString(args[0]), "PNG"))
        return Failed("cannot write " + args[0]);
    return {};
}
