// Script commands for the node window's status line, and a hand-over point for tests that
// act on the console from outside (stop a probe, send real X input) between script lines:
//
//   dump-status FILE           write the status line as it shows, and a line with its state
//                              (waiting, answering, failing, not-answering; node_status.h)
//   wait-status STATE [SECONDS] wait until the status line is in that state (default 60 s)
//   wait-file FILE [SECONDS]   wait until FILE exists (default 60 s)
#pragma once

class QuillonFrame;
class ScriptRunner;

void AddStatusCommands(ScriptRunner& runner, QuillonFrame& frame);
