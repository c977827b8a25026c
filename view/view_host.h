// ViewHost: what the Matrix view needs from the plug-in around it, handed to the view
// when it is constructed. The plug-in binds it to its popup menu, the name conversion
// module and the graph host windows; tests bind it to a recording stand-in.
#pragma once

#include "hostapi/convert_mapped_address.h"
#include "platform/afx.h"
#include "view/graph_window_factory.h"

#include <stdint.h>

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
};
