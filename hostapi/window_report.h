// How a host observes and drives a plug-in's windows without knowing their classes (the
// console's script mode, end-to-end tests).
//
// WM_GETREPORT: a window that supports it answers with a plain-text report of its state;
// the format is the window's own and documented with its handler. The protocol is
// WM_GETTEXT's:
//   wParam  size of the buffer in bytes (0 asks only for the length)
//   lParam  char* buffer, or 0
//   result  length of the whole report without its terminating NUL; at most wParam - 1
//           bytes and a NUL are copied. A window that does not support it answers 0.
//
// WM_GETCELLRECT: where a grid window draws one cell, so that a host can click it the way
// a user would:
//   wParam  display row (0 = top row); CELLRECT_HEADER asks for the column's header cell
//   lParam  RECT*: on entry its `left` holds the column (as LVM_GETSUBITEMRECT takes its
//           subitem); on return the cell in the window's client coordinates
//   result  TRUE when the cell is drawn and lies at least partly inside the client area;
//           FALSE (rectangle empty) for a hidden column, an unknown cell, or one scrolled
//           out of sight. A window that does not support it answers 0.
//
// WM_GETCOLUMNORDER: which columns a grid window shows, left to right, as
// LVM_GETCOLUMNORDERARRAY answers it:
//   wParam  how many ints the buffer holds (0 asks only for the count)
//   lParam  int* buffer, or 0
//   result  the number of columns shown (hidden ones are absent; columns scrolled out of
//           sight count); at most wParam column indices are written, the leftmost first.
//           A window that does not support it answers 0.
#pragma once

#define WM_GETREPORT 0x8101
#define WM_GETCELLRECT 0x8102
#define WM_GETCOLUMNORDER 0x8103
#define CELLRECT_HEADER ((WPARAM)-1)
