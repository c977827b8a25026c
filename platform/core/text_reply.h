// Both sides of a text query answered by WM_GETTEXT's buffer rules (WM_GETREPORT is one):
// the whole length is the result; at most size - 1 bytes and a NUL are copied into the
// buffer when there is one.
#pragma once

#include "platform/core/win32.h"

#include <string>

// The answering window's side: copies text into the caller's buffer.
LRESULT CopyTextReply(const std::string& text, WPARAM size, LPARAM buffer);
// The asking side: the whole text of window's answer to message; empty when it has none.
std::string ReadTextReply(HWND window, UINT message);
