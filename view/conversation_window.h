// ConversationWindow: what the Matrix view needs of the conversation matrix window that
// its Conversations command opens. The plug-in makes the object (ViewHost); the view
// creates its window as a multi-document child of the host's frame and starts its polling.
#pragma once

#include "platform/framework/afx.h"

class ConversationWindow {
  public:
    // The window object to create. When its creation fails, the framework deletes it.
    virtual CMDIChildWnd* ChildFrame() = 0;
    // Connects the window's walker and arms its 5-second timer.
    virtual void StartPolling() = 0;
    // Starts one polling pass at once.
    virtual void RequestAllPairs() = 0;

  protected:
    ~ConversationWindow() = default;
};
