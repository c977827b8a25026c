// The plug-in as the console sees it: a module loaded at run time through LoadLibrary
// and its seven entry points resolved by name with GetProcAddress, as the host does.
//
// The plug-in keeps one view for each time its module is loaded. A second view takes a
// second instance: LoadCopy loads a private copy of a loaded module's shared object, whose
// globals (its view, its menu) are its own while the libraries under it are shared.
#pragma once

#include "hostapi/tessaran_exports.h"

#include <cstdint>
#include <string>

class PluginHost {
  public:
    ~PluginHost();

    // Loads the module and resolves every entry point; false (with the reason in error)
    // when the module or one of its entry points is missing.
    bool Load(const char* moduleName, std::string& error);
    // Loads a copy of the shared object behind original (a loaded module) as a module of
    // its own; false with the reason in error.
    bool LoadCopy(HMODULE original, std::string& error);
    // Unloads the module; the entry points are forgotten. False when FreeLibrary failed.
    bool Unload();
    bool IsLoaded() const { return m_module != nullptr; }
    // The loaded module, for its resources.
    HMODULE Module() const { return m_module; }

    HWND InitTab(uint32_t hostContext, CWnd* parent, CWnd* frame, CWnd** viewOut, int tabIndex);
    BOOL SetNode(uint32_t nodeId, void* nodeData);
    BOOL Command(UINT id);
    BOOL SetScrollBars(CScrollBar* horizontal, CScrollBar* vertical);
    BOOL Close();
    BOOL MenuUpdate(UINT id);
    BOOL LoadSubMenu(uint32_t first = 0, uint32_t second = 0);

    // The node the view took at the last SetNode that answered 1; 0 before.
    uint32_t ShownNode() const { return m_shownNode; }

  private:
    template <typename Proc> bool Resolve(Proc& proc, const char* name, std::string& error);

    HMODULE m_module = nullptr;
    InitTabProc m_initTab = nullptr;
    SetNodeProc m_setNode = nullptr;
    CommandProc m_command = nullptr;
    SetScrollBarsProc m_setScrollBars = nullptr;
    CloseProc m_close = nullptr;
    LoadSubMenuProc m_loadSubMenu = nullptr;
    MenuUpdateProc m_menuUpdate = nullptr;
    uint32_t m_shownNode = 0;
    // The anonymous file holding a copy's shared object, open while the copy is loaded:
    // dlopen knows a loaded object by its path, and a descriptor's number is used again once
    // it is closed.
    int m_copyFile = -1;
};
