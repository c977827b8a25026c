// WM_GETREPORT: how a host observes a plug-in's windows without knowing their classes
// (the console's script mode, end-to-end tests). A window that supports it answers with
// a plain-text report of its state; the format is the window's own and documented with
// its handler. The protocol is WM_GETTEXT's:
//   wParam  size of the buffer in bytes (0 asks only for the length)
//   lParam  char* buffer, or 0
//   result  length of the whole report without its terminating NUL; at most wParam - 1
//           bytes and a NUL are copied. A window that does not support it answers 0.
#pragma once

#define WM_GETREPORT 0x8101
