#include "host/console/script/status_commands.h"

#include "host/console/node_status.h"
#include "host/console/node_window.h"
#include "host/console/quillon_frame.h"
#include "host/console/script/script_runner.h"
#include "host/ksdbapi/ksdb_host.h"

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

NodeState StateOf(QuillonFrame& frame) {
    NodeWindow* node = frame.NodeWnd();
    return DescribeNode(ksdb::ActivityOf(node ? node->NodeId() : 0)).state;
}

Outcome DumpStatus(QuillonFrame& frame, const Args& args) {
    NodeWindow* node = frame.NodeWnd();
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
            return Waiting([&frame, state] { return frame.NodeWnd() && StateOf(frame) == state; },
                           seconds, "timed out: the node is not " + wanted);
        }
    }
    return ScriptRunner::Failed("no status " + wanted +
                                " (waiting, answering, failing, not-answering)");
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
}
