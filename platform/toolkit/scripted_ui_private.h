// Platform-private: the scripted answers, for MessageBox and TrackPopupMenu.
#pragma once

#include "platform/toolkit/scripted_ui.h"

namespace platform {

// Records a message box shown in a scripted run and returns its answer.
int RecordMessageBox(HWND owner, const char* text, const char* caption, UINT type);

} // namespace platform
