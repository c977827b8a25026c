// Script command for the main window's menu bar, as a person sees and reaches it:
//
//   dump-menu-bar FILE   per popup of the bar a line `menu POSITION LEFT TOP RIGHT BOTTOM
//                        TEXT` (where its title shows, in screen coordinates; 0 0 0 0 when
//                        it does not show), then per item `item ID enabled|grayed TEXT`,
//                        its state as the popup would open now; separators left out;
//                        tab-separated
#pragma once

class QuillonFrame;
class ScriptRunner;

void AddMenuCommands(ScriptRunner& runner, QuillonFrame& frame);
