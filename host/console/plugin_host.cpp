#include "host/console/plugin_host.h"

#include "platform/framework/module.h"

PluginHost::~PluginHost() {
    Unload();
}

template <typename Proc>
bool PluginHost::Resolve(Proc& proc, const char* name, std::string& error) {
    // Through a data pointer: the entry points have their own types, not FARPROC's.
    proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
    if (proc) {
        return true;
    }
    error = std::string("the plug-in has no entry point ") + name;
    return false;
}

bool PluginHost::Load(const char* moduleName, std::string& error) {
    Unload();
    m_module = LoadLibrary(moduleName);
    if (!m_module) {
        error = std::string("cannot load ") + moduleName + " (" +
                platform::ModulePathFromName(moduleName) + ")";
        return false;
    }
    const bool resolved =
        Resolve(m_initTab, "InitTab", error) && Resolve(m_setNode, "SetNode", error) &&
        Resolve(m_command, "Command", error) && Resolve(m_setScrollBars, "SetScrollBars", error) &&
        Resolve(m_close, "Close", error) && Resolve(m_loadSubMenu, "LoadSubMenu", error) &&
        Resolve(m_menuUpdate, "MenuUpdate", error);
    if (!resolved) {
        Unload();
    }
    return resolved;
}

bool PluginHost::Unload() {
    const bool freed = !m_module || FreeLibrary(m_module);
    m_module = nullptr;
    m_initTab = nullptr;
    m_setNode = nullptr;
    m_command = nullptr;
    m_setScrollBars = nullptr;
    m_close = nullptr;
    m_loadSubMenu = nullptr;
    m_menuUpdate = nullptr;
    return freed;
}

HWND PluginHost::InitTab(uint32_t hostContext, CWnd* parent, CWnd* frame, CWnd** viewOut,
                         int tabIndex) {
    return m_initTab ? m_initTab(hostContext, parent, frame, viewOut, 0, tabIndex) : nullptr;
}

BOOL PluginHost::SetNode(uint32_t nodeId, void* nodeData) {
    return m_setNode ? m_setNode(nodeId, nodeData) : FALSE;
}

BOOL PluginHost::Command(UINT id) {
    return m_command ? m_command(id) : FALSE;
}

BOOL PluginHost::SetScrollBars(CScrollBar* horizontal, CScrollBar* vertical) {
    return m_setScrollBars ? m_setScrollBars(horizontal, vertical) : FALSE;
}

BOOL PluginHost::Close() {
    return m_close ? m_close() : FALSE;
}

BOOL PluginHost::MenuUpdate(UINT id) {
    return m_menuUpdate ? m_menuUpdate(id) : FALSE;
}

BOOL PluginHost::LoadSubMenu(uint32_t first, uint32_t second) {
    return m_loadSubMenu ? m_loadSubMenu(first, second) : FALSE;
}
