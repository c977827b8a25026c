// Script commands for the conversation matrix window: the active child of the console's
// frame, or else the topmost conversation window (a graph it opened may be active). They
// see the window only through platform calls and its reports (WM_GETREPORT), never
// through the plug-in's classes.
//
//   drag FROM TO [ctrl]       press the left button on node FROM's centre, move along the
//                             way, release on node TO's centre, with Ctrl held when `ctrl`
//                             is given; nodes by name, or #N for the node at position N
//   dump-conversation FILE    write the window's nodes and chosen pairs: a line
//                             "index INDEX", then per node "node NAME ADDRESS CX,CY LX,LY
//                             left|right", then per chosen pair "pair FIRST SECOND", in
//                             order, then per address last handed to the view "sent
//                             ADDRESS", tab-separated
//   menu ID                   open the active window's context menu and choose command ID
//   screenshot-active FILE    write a PNG of the active child window
#pragma once

class QuillonFrame;
class ScriptRunner;

void RegisterConversationCommands(ScriptRunner& runner, QuillonFrame& frame);
