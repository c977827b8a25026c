#include "host/console/script/status_commands.h"

#include "host/console/node_status.h"
#include "host/console/node_window.h"
#include "host/console/quillon_frame.h"
#include "host/console/script/script_runner.h"
#include "host/ksdbapi/ksdb_host.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

constexpr double kDefaultWaitSeconds = 60;

using Outcome = ScriptRunner::Outcome;
using Args = std::vector<std::string>;

// The timeout of a waiting command: its optional second word, else the default.
bool WaitSeconds(const Args& args, double& seconds) {
    seconds = kDefaultWaitSeconds;
    return args.size() == 1 || (args.size() == 2 && ScriptRunner::ParseNumber(args[1], seconds));
}

Outcome Waiting(std::function<bool()> until, double seconds, std::string message) {
    Outcome outcome;
    outcome.until = std::move(until);
    outcome.timeoutSeconds = seconds;
    outcome.timeoutMessage = std::move(message);
    return outcome;
}

NodeState StateOf(uint32_t node) {
    return DescribeNode(ksdb::ActivityOf(node)).state;
}

NodeState StateOf(QuillonFrame& frame) {
    NodeWindow* node = frame.FrontNodeWindow();
    return StateOf(node ? node->NodeId() : 0);
}

Outcome DumpStatus(QuillonFrame& frame, const Args& args) {
    NodeWindow* node = frame.FrontNodeWindow();
    if (!node) {
        return ScriptRunner::Failed("no node window is open");
    }
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-status FILE");
    }
    node->RefreshStatus();
    std::string text;
    node->StatusLine().GetWindowText(text);
    std::ofstream out(args[0]);
    out << text << '\n' << NodeStateName(StateOf(frame)) << '\n';
    return out ? Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

Outcome WaitStatus(QuillonFrame& frame, const Args& args) {
    double seconds = 0;
    if (args.empty() || !WaitSeconds(args, seconds)) {
        return ScriptRunner::Failed("usage: wait-status STATE [SECONDS]");
    }
    const std::string wanted = args[0];
    for (NodeState state :
         {NodeState::kWaiting, NodeState::kAnswering, NodeState::kFailing, NodeState::kSilent}) {
        if (wanted == NodeStateName(state)) {
            return Waiting(
                [&frame, state] { return frame.FrontNodeWindow() && StateOf(frame) == state; },
                seconds, "timed out: the node is not " + wanted);
        }
    }
    return ScriptRunner::Failed("no status " + wanted +
                                " (waiting, answering, failing, not-answering)");
}

// Seconds since the node's last whole-table walk ended, "-" before the window's first.
std::string SecondsAgo(const NodeWindow& window) {
    if (window.WalksSinceOpen() == 0) {
        return "-";
    }
    const auto ended = ksdb::ActivityOf(window.NodeId()).lastTableWalk.endedAt;
    const std::chrono::duration<double> ago = std::chrono::system_clock::now() - ended;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ago.count());
    return text;
}

// Reads the host database's record of each node, not the windows: it needs no redraw first.
Outcome DumpNodes(QuillonFrame& frame, const Args& args) {
    if (args.size() != 1) {
        return ScriptRunner::Failed("usage: dump-nodes FILE");
    }
    std::ofstream out(args[0]);
    for (NodeWindow* window : frame.NodeWindows()) {
        out << "node\t" << window->NodeName() << '\t' << window->WalksSinceOpen() << '\t'
            << SecondsAgo(*window) << '\t' << NodeStateName(StateOf(window->NodeId())) << '\n';
    }
    return out ? Outcome{} : ScriptRunner::Failed("cannot write " + args[0]);
}

Outcome WaitFile(const Args& args) {
    double seconds = 0;
    if (args.empty() || !WaitSeconds(args, seconds)) {
        return ScriptRunner::Failed("usage: wait-file FILE [SECONDS]");
    }
    const std::string path = args[0];
    return Waiting([path] { return std::filesystem::exists(path); }, seconds,
                   "timed out: no " + path);
}

} // namespace

void AddStatusCommands(ScriptRunner& runner, QuillonFrame& frame) {
    runner.AddCommand(
        "dump-status", [&frame](const Args& args) { return DumpStatus(frame, args); },
        ScriptRunner::Kind::Observes);
    runner.AddCommand("wait-status",
                      [&frame](const Args& args) { return WaitStatus(frame, args); });
    runner.AddCommand("wait-file", WaitFile);
    runner.AddCommand("dump-nodes", [&frame](const Args& args) { return DumpNodes(frame, args); });
}
