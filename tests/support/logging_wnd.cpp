#include "tests/support/logging_wnd.h"

BOOL LoggingWnd::CreateTopLevel(const RECT& rect, DWORD style) {
    return CreateEx(0, "LoggingWnd", "top", style, rect, nullptr, 0);
}

BOOL LoggingWnd::CreateChild(CWnd* parent, UINT id, const RECT& rect, DWORD style) {
    return Create("LoggingWnd", "child", style, rect, parent, id);
}

LRESULT LoggingWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    MessageLog::Add(LoggedMessage{m_hWnd, message, wParam, lParam});
    LRESULT result = 0;
    if (m_handler && m_handler(*this, message, wParam, lParam, result)) {
        return result;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void LoggingWnd::PostNcDestroy() {
    ++postNcDestroyCalls;
}
