// quillon: the network-management console that hosts the Tessaran plug-in.
//
//   quillon [--nodes FILE] [--open NODE] [--script FILE] [--graph-interval SECONDS]
//   quillon --help | --version
//
// --nodes loads the host database's nodes from FILE (default: $TESSARAN_NODES, else the
// installation's data/nodes). --open opens that node's window at start. --script runs a
// console script (see script_runner.h and the *_commands.h beside it) and exits with its result.
// --graph-interval sets how often graphs poll (default: $TESSARAN_GRAPH_INTERVAL, else 5).
// $TESSARAN_LOOP_STATS names a file for the hold-ups of the event loop (see loop_watch.h);
// $TESSARAN_TRACE the trace channels written to standard error (see common/trace.h).
#include "common/trace.h"
#include "host/console/loop_watch.h"
#include "host/console/plugin_host.h"
#include "host/console/quillon_frame.h"
#include "host/console/script/conversation_commands.h"
#include "host/console/script/graph_commands.h"
#include "host/console/script/menu_commands.h"
#include "host/console/script/script_runner.h"
#include "host/console/script/status_commands.h"
#include "host/console/script/table_commands.h"
#include "host/console/script/window_commands.h"
#include "host/graphs/graph_engine.h"
#include "host/ksdbapi/ksdb_host.h"
#include "hostapi/ksmem32.h"
#include "platform/framework/module.h"
#include "platform/framework/profile.h"
#include "platform/toolkit/platform_app.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

const char kTitle[] = "Quillon Network Manager";
const char kPluginModule[] = "Tessaran.dll";
// The id of the console's one database instance, handed to the plug-in as its host context.
constexpr uint32_t kHostContext = 1;

struct Options {
    std::string nodesFile;
    std::string openNode;
    std::string scriptFile;
    std::string graphInterval;
};

const char kUsage[] = "usage: quillon [--nodes FILE] [--open NODE] [--script FILE] "
                      "[--graph-interval SECONDS]\n       quillon --help | --version\n";

// --help and --version answer on stdout and end the program with status 0.
bool AnswerInformation(int argc, char** argv) {
    const std::string arg = argc == 2 ? argv[1] : "";
    if (arg == "--version") {
        std::cout << "quillon " << TESSARAN_VERSION << "\n";
    } else if (arg == "--help") {
        std::cout << kUsage << "See quillon(1).\n";
    }
    return arg == "--version" || arg == "--help";
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string* value = arg == "--nodes"            ? &options.nodesFile
                             : arg == "--open"           ? &options.openNode
                             : arg == "--script"         ? &options.scriptFile
                             : arg == "--graph-interval" ? &options.graphInterval
                                                         : nullptr;
        if (!value || i + 1 == argc) {
            std::cerr << kUsage;
            return false;
        }
        *value = argv[++i];
    }
    if (!options.graphInterval.empty() &&
        !GraphEngine::ParseInterval(options.graphInterval.c_str())) {
        std::cerr << "quillon: --graph-interval wants seconds, not " << options.graphInterval
                  << "\n";
        return false;
    }
    return true;
}

// The plug-in finds the name-conversion module through win.ini's "Dir=" entry; a console
// without a win.ini writes one naming the folder that holds the modules.
void EnsureWinIni() {
    const std::string path = platform::ProfilePath();
    if (std::filesystem::exists(path)) {
        return;
    }
    WriteProfileString(kTitle, "Dir", platform::LibraryFolder().c_str());
    std::cerr << "quillon: wrote " << path << std::endl;
}

std::vector<ConsoleNode> ConsoleNodes() {
    std::vector<ConsoleNode> nodes;
    for (const ksdb::NodeConfig& node : ksdb::Nodes()) {
        nodes.push_back({node.id, node.name});
    }
    return nodes;
}

// The lines the nodes file refused: each on standard error, and all of them once to the
// person, in a message box over the main window.
void ReportNodesFileErrors(QuillonFrame& frame) {
    const std::vector<std::string> errors = ksdb::NodesFileErrors();
    if (errors.empty()) {
        return;
    }
    std::string text = Localize("These lines of the nodes file were left out:");
    for (const std::string& error : errors) {
        std::cerr << "quillon: " << error << "\n";
        text += "\n" + error;
    }
    frame.MessageBox(text.c_str(), Localize("Nodes file"), MB_OK | MB_ICONWARNING);
}

UINT GraphInterval(const Options& options) {
    const UINT interval = GraphEngine::ParseInterval(options.graphInterval.c_str());
    return interval ? interval : GraphEngine::IntervalFromEnvironment();
}

int RunConsole(const Options& options, PluginHost& plugin) {
    // Graphs the plug-in posts are drawn by the host's engine, polling as the console's
    // own database instance.
    GraphEngine graphs(kHostContext, GraphInterval(options));
    graphs.Install();
    // The frame window does not delete its object; the console owns it.
    auto frame = std::make_unique<QuillonFrame>(plugin, kHostContext, ConsoleNodes());
    if (!frame->CreateFrame(kTitle)) {
        std::cerr << "quillon: cannot create the main window\n";
        return 1;
    }
    AfxSetMainWnd(frame.get());
    ReportNodesFileErrors(*frame);
    ScriptRunner script(*frame, plugin);
    AddGraphCommands(script, *frame, graphs);
    RegisterConversationCommands(script, *frame);
    AddMenuCommands(script, *frame);
    AddStatusCommands(script, *frame);
    AddTableCommands(script, *frame);
    AddWindowCommands(script, *frame);
    if (!options.scriptFile.empty()) {
        std::string error;
        if (!script.Load(options.scriptFile, error)) {
            std::cerr << "quillon: " << error << std::endl;
            frame->DestroyWindow();
            return 1;
        }
        script.Start();
    } else if (!options.openNode.empty() && !frame->PostOpenNode(options.openNode)) {
        std::cerr << "quillon: no node \"" << options.openNode << "\"\n";
    }
    LoopWatch watch(std::getenv("TESSARAN_LOOP_STATS"));
    const int exitCode = PlatformApp::Run();
    if (IsWindow(frame->m_hWnd)) {
        frame->DestroyWindow();
    }
    AfxSetMainWnd(nullptr);
    ksdb::EndConnections(kHostContext);
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    if (AnswerInformation(argc, argv)) {
        return 0;
    }
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    const std::string unknownChannels = UnknownTraceChannels();
    if (!unknownChannels.empty()) {
        std::cerr << "quillon: TESSARAN_TRACE: no channel " << unknownChannels
                  << " (the channels: msg, snmp, walk, graph)\n";
    }
    PlatformApp::Init(argc, argv);
    if (!options.nodesFile.empty() && !ksdb::LoadNodes(options.nodesFile)) {
        std::cerr << "quillon: cannot read nodes file " << options.nodesFile << std::endl;
        return 1;
    }
    EnsureWinIni();
    PluginHost plugin;
    std::string error;
    if (!plugin.Load(kPluginModule, error)) {
        std::cerr << "quillon: " << error << std::endl;
        return 1;
    }
    const int exitCode = RunConsole(options, plugin);
    plugin.Unload();
    return exitCode;
}
