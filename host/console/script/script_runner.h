// Script mode: runs one console command per line, for tests, demos and CI.
//
//   open NODE                 open the node's window by name and select it; an open node's
//                             window is brought forward
//   close NODE                close the node's window as its close box does
//   wait-walks N [SECONDS]    wait until N walks of that node's table have ended since its
//                             window opened (as the host database counts them)
//   wait SECONDS              let the console run that long
//   select ROW...             select these display rows (0 = top), clearing the rest
//   sort COLUMN               double-click that column's header, as a user does: the first
//                             time largest first, each further time the other way; COLUMN
//                             is the title shown, the English title (so a script runs in
//                             every language) or the column's index
//   command ID                hand a command id to the plug-in through Command
//   dump-table FILE           write the table as its window reports it: a line of titles,
//                             then every row in display order, tab-separated
//   messages FILE             write every message box shown so far
//   screenshot FILE           write a PNG of the main window with its children
//   context-menu FILE         open the Matrix view's context menu as from the menu key,
//                             dismiss it, and write a PNG of the menu as it would show
//   quit                      end the run (exit code 0)
//
// Commands that observe (dump-table, messages, screenshot and the observing commands added
// from outside) first let posted messages and pending redraws run, so they see what a user
// would see once the screen has caught up.
//
// Blank lines and lines starting with '#' are skipped. A command that fails or times out
// ends the run with exit code 1 and a message naming the script line.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

class QuillonFrame;

class ScriptRunner {
  public:
    // A command either finishes at once (ok or with an error) or waits for a condition.
    struct Outcome {
        std::string error;
        std::function<bool()> until;
        double timeoutSeconds = 0;
        std::string timeoutMessage;
    };
    // A command added from outside (its arguments are the words after its name).
    using Handler = std::function<Outcome(const std::vector<std::string>& args)>;
    // Whether a command only reads what the console shows (then it waits for pending work).
    enum class Kind { Acts, Observes };

    explicit ScriptRunner(QuillonFrame& frame);

    bool Load(const std::string& path, std::string& error);
    // Adds a command to those above (graph_commands.h adds the graph commands).
    void AddCommand(const std::string& name, Handler handler, Kind kind = Kind::Acts);
    // Runs the script from the event loop; the run ends with PlatformApp::Quit.
    void Start();

    static Outcome Failed(std::string error);
    // Script arguments: a number >= 0, and a whole number >= 0 that fits an int.
    static bool ParseNumber(const std::string& text, double& value);
    static bool ParseCount(const std::string& text, int& value);

  private:
    using Clock = std::chrono::steady_clock;

    struct Line {
        int number;
        std::vector<std::string> words;
    };

    struct Added {
        Handler handler;
        Kind kind;
    };
    struct Builtin {
        const char* name;
        Outcome (ScriptRunner::*run)(const std::vector<std::string>& args);
        Kind kind;
    };
    static std::span<const Builtin> Builtins();

    int WalksEnded() const;
    bool Observes(const Line& line) const;
    bool Settled();
    void Step();
    void Poll();
    void Fail(const Line& line, const std::string& message);
    Outcome Run(const Line& line);

    Outcome Open(const std::vector<std::string>& args);
    Outcome Close(const std::vector<std::string>& args);
    Outcome WaitWalks(const std::vector<std::string>& args);
    Outcome Wait(const std::vector<std::string>& args);
    Outcome Select(const std::vector<std::string>& args);
    Outcome Sort(const std::vector<std::string>& args);
    Outcome Command(const std::vector<std::string>& args);
    Outcome DumpTable(const std::vector<std::string>& args);
    Outcome Messages(const std::vector<std::string>& args);
    Outcome Screenshot(const std::vector<std::string>& args);
    Outcome ContextMenu(const std::vector<std::string>& args);

    QuillonFrame& m_frame;
    std::map<std::string, Added> m_added;
    std::string m_path;
    std::vector<Line> m_lines;
    size_t m_next = 0;
    uint32_t m_walkNode = 0; // the node last named by open
    Outcome m_waiting;
    Clock::time_point m_deadline;
    // While an observing command waits for pending work: when it runs regardless.
    Clock::time_point m_settleDeadline;
    bool m_settling = false;
};
