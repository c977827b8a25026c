// ViewHost: what the Matrix view needs from the plug-in around it, handed to the view
// when it is constructed. The plug-in binds it to its popup menu, the name conversion
// module, the graph host windows and the conversation window; tests bind it to a
// recording stand-in.
#pragma once

#include "hostapi/convert_mapped_address.h"
#include "platform/framework/afx.h"
#include "view/conversation_window.h"
#include "view/graph_window_factory.h"

#include <stdint.h>
#include <string>
#include <vector>

class ViewHost {
  public:
    virtual ~ViewHost() = default;

    // The plug-in's context menu (menu 150), or null while none is loaded.
    virtual CMenu* PopupMenu() = 0;
    // Calls the name conversion module when one is bound: CONVERT_REGISTER and
    // CONVERT_UNREGISTER of slot (address, scratch and row unused), or CONVERT_REQUEST of
    // a name for address, which comes back through the view's OnNameConverted.
    virtual void ConvertAddress(int command, uint32_t* slot, const char* address = nullptr,
                                char* scratch = nullptr, intptr_t row = 0) = 0;
    // Makes the windows that hold the host's graphs.
    virtual GraphWindowFactory& GraphWindows() = 0;
    // A new conversation matrix window over the collected nodes (names and their
    // addresses at the same positions), the matrix index of their rows and the view that
    // receives its graph requests; its window is not created yet.
    virtual ConversationWindow* NewConversationWindow(uint32_t node,
                                                      const std::vector<std::string>& names,
                                                      const std::vector<std::string>& addresses,
                                                      const char* index, CWnd* owner) = 0;
};
