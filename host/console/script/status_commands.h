// Script commands for the node windows' status, and a hand-over point for tests that act on
// the console from outside (stop a probe, send real X input) between script lines:
//
//   dump-status FILE           write the status line of the node window in front as it shows,
//                              and a line with its state (waiting, answering, failing,
//                              not-answering; node_status.h)
//   wait-status STATE [SECONDS] wait until that status line is in that state (default 60 s)
//   dump-nodes FILE            write a line `node NAME WALKS AGO STATE` per open node window,
//                              tab-separated: walks of its table ended since the window
//                              opened, seconds since the last one ended (- before the first),
//                              the state as dump-status writes it
//   wait-file FILE [SECONDS]   wait until FILE exists (default 60 s)
#pragma once

class QuillonFrame;
class ScriptRunner;

void AddStatusCommands(ScriptRunner& runner, QuillonFrame& frame);
