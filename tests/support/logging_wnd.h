// A window that logs every message it receives (before handling it) into MessageLog and
// then lets a test-supplied handler or the default procedure answer it.
#pragma once

#include "platform/framework/afx.h"
#include "tests/support/message_log.h"

#include <functional>

class LoggingWnd : public CWnd {
  public:
    // Answers true with a result to handle the message, false to pass it on.
    using Handler = std::function<bool(LoggingWnd& self, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result)>;

    LoggingWnd() = default;
    explicit LoggingWnd(Handler handler) : m_handler(std::move(handler)) {}

    void SetHandler(Handler handler) { m_handler = std::move(handler); }

    // A top-level window (WS_OVERLAPPED) or a child of parent.
    BOOL CreateTopLevel(const RECT& rect, DWORD style = WS_OVERLAPPED | WS_VISIBLE);
    BOOL CreateChild(CWnd* parent, UINT id, const RECT& rect, DWORD style = WS_VISIBLE);

    int postNcDestroyCalls = 0;

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

  private:
    Handler m_handler;
};
