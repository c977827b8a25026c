// Script commands for the Matrix table, seen through its messages (table_driver.h):
//
//   dump-layout FILE       write where the table shows: "table X Y WIDTH HEIGHT" (client
//                          area in screen coordinates), then "column INDEX LEFT RIGHT" per
//                          shown header cell, left to right, and "row ROW TOP BOTTOM" per
//                          display row in sight, in client coordinates; tab-separated
//   screenshot-table FILE  write a PNG of the table window alone (pixels in client
//                          coordinates, as dump-layout gives them)
//   dump-menus FILE        write one line "menu ID..." per context menu tracked so far
//                          (a scripted run records them instead of showing them), with
//                          its items' command ids (0 for separators), tab-separated
#pragma once

class QuillonFrame;
class ScriptRunner;

void AddTableCommands(ScriptRunner& runner, QuillonFrame& frame);
