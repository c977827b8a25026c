// Message boxes: a QMessageBox in an interactive run; recorded and answered at once in a
// scripted run (scripted_ui.h reads and clears the record).
#pragma once

#include "platform/core/win32_constants.h"
#include "platform/core/win32_types.h"

// Returns the button chosen (IDOK ...), 0 when the box cannot be shown.
int MessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// The framework's message box: owned by the main window, captioned with the program's name.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
