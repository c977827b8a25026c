#include "host/console/script/script_runner.h"

#include "common/number_text.h"

#include "host/console/node_window.h"
#include "host/console/plugin_host.h"
#include "host/console/quillon_frame.h"
#include "host/console/script/table_driver.h"
#include "host/ksdbapi/ksdb_host.h"
#include "hostapi/tessaran_ids.h"
#include "platform/core/timer_clock.h"
#include "platform/toolkit/platform_app.h"
#include "platform/toolkit/scripted_ui.h"

#include <QTimer>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>

namespace {

constexpr int kPollIntervalMs = 20;
constexpr double kDefaultWalkTimeoutSeconds = 60;
// Pending work is what short timers batch (a table's 25 ms redraw); the periodic refreshes
// of seconds are not waited for.
constexpr DWORD kPendingWorkTimerMs = 100;
constexpr int kSettlePollMs = 5;
// A window that keeps a short timer armed for good holds an observing command up no longer.
constexpr int kSettleTimeoutMs = 2000;

std::vector<std::string> SplitWords(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// The plug-in's view in the open node window, or null.
CWnd* MatrixView(QuillonFrame& frame) {
    NodeWindow* node = frame.NodeWnd();
    return node ? node->View() : nullptr;
}

// The Matrix view's table, found by its child id; not open while no node window shows one.
TableDriver MatrixTable(QuillonFrame& frame) {
    return frame.MatrixTable();
}

} // namespace

bool ScriptRunner::ParseNumber(const std::string& text, double& value) {
    double number = 0;
    if (!ParseWholeNumber(text, number) || number < 0) {
        return false;
    }
    value = number;
    return true;
}

bool ScriptRunner::ParseCount(const std::string& text, int& value) {
    double number = 0;
    // Bounded before the cast: a double beyond int's range has no int value.
    if (!ParseNumber(text, number) || number > std::numeric_limits<int>::max() ||
        number != std::floor(number)) {
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

ScriptRunner::Outcome ScriptRunner::Failed(std::string error) {
    Outcome outcome;
    outcome.error = std::move(error);
    return outcome;
}

ScriptRunner::ScriptRunner(QuillonFrame& frame, PluginHost& plugin)
    : m_frame(frame), m_plugin(plugin) {}

// Walks of the opened node that the host database saw end.
int ScriptRunner::WalksEnded() const {
    return ksdb::ActivityOf(m_walkNode).walksEnded;
}

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
        if (!words.empty() && words[0][0] != '#') {
            m_lines.push_back({number, std::move(words)});
        }
    }
    return true;
}

void ScriptRunner::AddCommand(const std::string& name, Handler handler, Kind kind) {
    m_added[name] = Added{std::move(handler), kind};
}

std::span<const ScriptRunner::Builtin> ScriptRunner::Builtins() {
    static const Builtin builtins[] = {
        {"open", &ScriptRunner::Open, Kind::Acts},
        {"wait-walks", &ScriptRunner::WaitWalks, Kind::Acts},
        {"wait", &ScriptRunner::Wait, Kind::Acts},
        {"select", &ScriptRunner::Select, Kind::Acts},
        {"sort", &ScriptRunner::Sort, Kind::Acts},
        {"command", &ScriptRunner::Command, Kind::Acts},
        {"dump-table", &ScriptRunner::DumpTable, Kind::Observes},
        {"messages", &ScriptRunner::Messages, Kind::Observes},
        {"screenshot", &ScriptRunner::Screenshot, Kind::Observes},
        {"context-menu", &ScriptRunner::ContextMenu, Kind::Observes},
    };
    return builtins;
}

bool ScriptRunner::Observes(const Line& line) const {
    for (const Builtin& builtin : Builtins()) {
        if (line.words[0] == builtin.name) {
            return builtin.kind == Kind::Observes;
        }
    }
    auto added = m_added.find(line.words[0]);
    return added != m_added.end() && added->second.kind == Kind::Observes;
}

// True once no short timer holds pending work (the caller pumped the messages just before),
// or when the wait ran out.
bool ScriptRunner::Settled() {
    if (!m_settling) {
        m_settling = true;
        m_settleDeadline = Clock::now() + std::chrono::milliseconds(kSettleTimeoutMs);
    }
    return TimerClock::ShortTimerCount(kPendingWorkTimerMs) == 0 ||
           Clock::now() >= m_settleDeadline;
}

void ScriptRunner::Start() {
    QTimer::singleShot(0, [this] { Step(); });
}

void ScriptRunner::Step() {
    while (m_next < m_lines.size()) {
        const Line& line = m_lines[m_next];
        PlatformApp::PumpMessages();
        if (Observes(line) && !Settled()) {
            QTimer::singleShot(kSettlePollMs, [this] { Step(); });
            return;
        }
        m_settling = false;
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
            QTimer::singleShot(kPollIntervalMs, [this] { Poll(); });
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
    QTimer::singleShot(kPollIntervalMs, [this] { Poll(); });
}

void ScriptRunner::Fail(const Line& line, const std::string& message) {
    std::string text;
    for (const std::string& word : line.words) {
        text += (text.empty() ? "" : " ") + word;
    }
    std::cerr << m_path << ":" << line.number << ": " << text << ": " << message << std::endl;
    PlatformApp::Quit(1);
}

ScriptRunner::Outcome ScriptRunner::Run(const Line& line) {
    const std::vector<std::string> args(line.words.begin() + 1, line.words.end());
    for (const Builtin& builtin : Builtins()) {
        if (line.words[0] == builtin.name) {
            return (this->*builtin.run)(args);
        }
    }
    auto added = m_added.find(line.words[0]);
    return added != m_added.end() ? added->second.handler(args) : Failed("unknown command");
}

ScriptRunner::Outcome ScriptRunner::Open(const std::vector<std::string>& args) {
    if (args.empty()) {
        return Failed("open needs a node name");
    }
    std::string name;
    for (const std::string& word : args) {
        name += (name.empty() ? "" : " ") + word;
    }
    if (!m_frame.OpenNode(name)) {
        return Failed("cannot open node \"" + name + "\"");
    }
    m_walkNode = m_frame.NodeWnd()->NodeId();
    m_walksAtOpen = WalksEnded();
    return {};
}

ScriptRunner::Outcome ScriptRunner::WaitWalks(const std::vector<std::string>& args) {
    int count = 0;
    double seconds = kDefaultWalkTimeoutSeconds;
    if (args.empty() || !ParseCount(args[0], count) ||
        (args.size() > 1 && !ParseNumber(args[1], seconds))) {
        return Failed("usage: wait-walks N [SECONDS]");
    }
    Outcome outcome;
    outcome.until = [this, count] { return WalksEnded() - m_walksAtOpen >= count; };
    outcome.timeoutSeconds = seconds;
    outcome.timeoutMessage = "timed out: " + std::to_string(WalksEnded() - m_walksAtOpen) + " of " +
                             std::to_string(count) + " walks finished";
    return outcome;
}

ScriptRunner::Outcome ScriptRunner::Wait(const std::vector<std::string>& args) {
    double seconds = 0;
    if (args.size() != 1 || !ParseNumber(args[0], seconds)) {
        return Failed("usage: wait SECONDS");
    }
    const Clock::time_point end =
        Clock::now() + std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    Outcome outcome;
    outcome.until = [end] { return Clock::now() >= end; };
    outcome.timeoutSeconds = seconds + 1;
    return outcome;
}

// Clicks as a user would: one on a header clears the selection, then a Ctrl-click on each
// row, scrolled into view when it is out of sight.
ScriptRunner::Outcome ScriptRunner::Select(const std::vector<std::string>& args) {
    TableDriver table = MatrixTable(m_frame);
    if (!table.IsOpen()) {
        return Failed("no table is open");
    }
    const int rowCount = table.RowCount();
    std::vector<int> rows;
    for (const std::string& arg : args) {
        int row = -1;
        if (!ParseCount(arg, row) || row >= rowCount) {
            return Failed("no display row " + arg + " (the table has " + std::to_string(rowCount) +
                          " rows)");
        }
        rows.push_back(row);
    }
    if (!table.ClearSelection()) {
        return Failed("the table shows no column header");
    }
    for (int row : rows) {
        if (!table.CtrlClickRow(row)) {
            return Failed("display row " + std::to_string(row) + " cannot be shown");
        }
    }
    return {};
}

ScriptRunner::Outcome ScriptRunner::Sort(const std::vector<std::string>& args) {
    TableDriver table = MatrixTable(m_frame);
    if (!table.IsOpen()) {
        return Failed("no table is open");
    }
    if (args.size() != 1) {
        return Failed("usage: sort COLUMN");
    }
    const int column = table.ColumnByName(args[0]);
    if (column < 0 || !table.DoubleClickHeader(column)) {
        return Failed("no visible column " + args[0]);
    }
    return {};
}

ScriptRunner::Outcome ScriptRunner::Command(const std::vector<std::string>& args) {
    int id = 0;
    if (args.size() != 1 || !ParseCount(args[0], id)) {
        return Failed("usage: command ID");
    }
    if (!m_plugin.Command(static_cast<UINT>(id))) {
        return Failed("the plug-in has no view to take the command");
    }
    return {};
}

// The table's own report (WM_GETREPORT), written as it comes.
ScriptRunner::Outcome ScriptRunner::DumpTable(const std::vector<std::string>& args) {
    TableDriver table = MatrixTable(m_frame);
    if (!table.IsOpen()) {
        return Failed("no table is open");
    }
    if (args.size() != 1) {
        return Failed("usage: dump-table FILE");
    }
    std::ofstream out(args[0]);
    out << table.Report();
    return out ? Outcome{} : Failed("cannot write " + args[0]);
}

ScriptRunner::Outcome ScriptRunner::Messages(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return Failed("usage: messages FILE");
    }
    std::ofstream out(args[0]);
    for (const platform::MessageBoxRecord& record : platform::MessageBoxRecords()) {
        std::string text = record.text;
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
            text.replace(at, 1, "\\n");
        }
        out << record.caption << '\t' << text << '\n';
    }
    return out ? Outcome{} : Failed("cannot write " + args[0]);
}

ScriptRunner::Outcome ScriptRunner::Screenshot(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return Failed("usage: screenshot FILE");
    }
    if (!PlatformApp::SaveWindowImage(m_frame.m_hWnd, args[0].c_str())) {
        return Failed("cannot write " + args[0]);
    }
    return {};
}

// The view tracks its menu on the top-level window; a scripted run records it unchosen.
ScriptRunner::Outcome ScriptRunner::ContextMenu(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return Failed("usage: context-menu FILE");
    }
    CWnd* view = MatrixView(m_frame);
    if (view == nullptr) {
        return Failed("no view is open");
    }
    const size_t menus = platform::OfferedMenus().size();
    view->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view->GetSafeHwnd()),
                      MAKELPARAM(-1, -1));
    if (platform::OfferedMenus().size() == menus) {
        return Failed("the view opened no menu");
    }
    if (!platform::SaveOfferedMenuImage(platform::OfferedMenus().back(), args[0].c_str())) {
        return Failed("cannot write " + args[0]);
    }
    return {};
}
