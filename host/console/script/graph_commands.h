// The console's script commands for graphs, added to a ScriptRunner:
//
//   wait-graphs N [SECONDS]   wait until a graph is open and every series of every open
//                             graph has N points, values or gaps (default time-out 60 s)
//   dump-graphs FILE          write every open graph: title, then per series its index,
//                             legend, instance and expression and every point
//   dump-legends FILE         write per series of every shown graph where its legend shows
//   dump-tooltip FILE         write the tooltip showing now
//   tab N                     activate tab N (0 first) of the active multi-tab frame
//
// dump-graphs writes tab-separated lines:
//   graph   TITLE
//   series  INDEX  LEGEND  INSTANCE  EXPRESSION
//   point   SECONDS  VALUE  INTERVAL
// SECONDS: the poll's time since the epoch; INTERVAL: the agent's interval behind the
// value in hundredths of a second; both VALUE and INTERVAL are "-" for a gap.
//
// dump-legends writes `legend GRAPH SERIES X Y WIDTH HEIGHT LABEL LEGEND` (GRAPH the open
// graph's number, 0 first; the label's rectangle in screen coordinates; the label as shown,
// elided or not; the whole legend), dump-tooltip `tooltip TEXT` or `none`; tab-separated.
#pragma once

#include "host/console/script/script_runner.h"

class GraphEngine;
class QuillonFrame;

void AddGraphCommands(ScriptRunner& runner, QuillonFrame& frame, const GraphEngine& engine);
