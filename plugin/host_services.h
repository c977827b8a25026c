// The library-wide state of the plug-in: the one Matrix view and the services bound for
// it — its popup menu, the optional address-to-name conversion module and the graph
// host windows.
#pragma once

#include "graphwnd/graph_window_maker.h"
#include "hostapi/convert_mapped_address.h"
#include "platform/framework/afx.h"
#include "view/view_host.h"

class CMatrixView;

// The plug-in's side of ViewHost. Names answered by the conversion module go to the one
// view, g_matrixView: the module's callback carries no context of its own.
class PluginHostServices : public ViewHost {
  public:
    CMenu* PopupMenu() override { return m_popupMenu; }
    void ConvertAddress(int command, uint32_t* slot, const char* address, char* scratch,
                        intptr_t row) override;
    ConversationWindow* NewConversationWindow(uint32_t node, const std::vector<std::string>& names,
                                              const std::vector<std::string>& addresses,
                                              const char* index, CWnd* owner) override;
    GraphWindowFactory& GraphWindows() override { return m_graphWindows; }

    // Binds the conversion module named by the host's win.ini: "Dir=" in the first
    // entry of its section gives the folder of Parlance.dll.
    void BindConversionModule();
    // Loads menu 150 from module's resources, replacing one left from an earlier window.
    BOOL LoadPopupMenu(HINSTANCE module);
    void CreatePopupMenu() { m_popupMenu = new CMenu; }
    void DeletePopupMenu();

  private:
    CMenu* m_popupMenu = nullptr;
    // Both set or both null. The module is never released once loaded.
    HMODULE m_parlanceModule = nullptr;
    ConvertMappedAddressProc m_convertMappedAddress = nullptr;
    GraphWindowMaker m_graphWindows;
};

extern AFX_EXTENSION_MODULE g_extensionModule;
extern CMatrixView* g_matrixView;
extern PluginHostServices g_hostServices;
