// The application object under programs and tests: makes the Qt application when none
// exists, runs the event loop, and delivers pending posted messages and paints on demand.
#pragma once

#include "platform/core/win32_types.h"

class PlatformApp {
  public:
    // Makes the Qt application if there is none (arguments are kept for its lifetime).
    static void Init(int argc = 0, char** argv = nullptr);
    // Runs the event loop until PostQuitMessage or Quit; answers the exit code.
    static int Run();
    static void Quit(int exitCode = 0);
    // Delivers what is pending: posted messages in order, then WM_PAINT to invalid windows,
    // then Qt's own pending events; repeats while something was delivered, at most maxRounds
    // times. Answers the number of posted messages and paints delivered. Never waits.
    static int PumpMessages(int maxRounds = 100);
    // Writes a PNG of the window as it shows, with its children; FALSE when the window
    // shows nothing or the file cannot be written.
    static BOOL SaveWindowImage(HWND hWnd, const char* path);
    // Windows and GDI objects alive, for leak checks.
    static size_t LiveWindowCount();
    static size_t LiveGdiObjectCount();
};
