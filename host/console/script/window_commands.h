// Script commands for where the console's windows show:
//
//   dump-windows FILE  write "main X Y WIDTH HEIGHT", the main window's frame as the window
//                      manager placed it, caption included (screen coordinates); then per
//                      shown child window of the main window, top of the z-order first,
//                      "child X Y WIDTH HEIGHT STATE TITLE": its frame, caption included, in
//                      the main window's work area (client coordinates of the area that holds
//                      the children), STATE normal, maximized or minimized, "+active" added for
//                      the active one; tab-separated
#pragma once

class QuillonFrame;
class ScriptRunner;

void AddWindowCommands(ScriptRunner& runner, QuillonFrame& frame);
