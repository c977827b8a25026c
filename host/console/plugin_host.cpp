#include "host/console/plugin_host.h"

#include "platform/framework/module.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// Copies the file at path into a new anonymous memory file; -1 (error set) when it cannot.
int CopyIntoMemoryFile(const std::string& path, std::string& error) {
    const int source = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        error = SystemError("cannot read " + path);
        return -1;
    }
    const size_t slash = path.rfind('/');
    const int copy = memfd_create(path.substr(slash + 1).c_str(), MFD_CLOEXEC);
    struct stat status {};
    bool copied = copy >= 0 && fstat(source, &status) == 0;
    for (off_t left = copied ? status.st_size : 0; copied && left > 0;) {
        const ssize_t written = sendfile(copy, source, nullptr, static_cast<size_t>(left));
        copied = written > 0;
        left -= written;
    }
    if (!copied) {
        error = SystemError("cannot copy " + path);
    }
    close(source);
    if (!copied && copy >= 0) {
        close(copy);
    }
    return copied ? copy : -1;
}

} // namespace

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

bool PluginHost::LoadCopy(HMODULE original, std::string& error) {
    Unload();
    char path[4096];
    if (!GetModuleFileName(original, path, sizeof path)) {
        error = "the plug-in to copy is not loaded";
        return false;
    }
    const int copy = CopyIntoMemoryFile(path, error);
    if (copy < 0) {
        return false;
    }
    const std::string copyPath = "/proc/self/fd/" + std::to_string(copy);
    if (!Load(copyPath.c_str(), error)) {
        close(copy);
        error += std::string(", a copy of ") + path;
        return false;
    }
    m_copyFile = copy;
    return true;
}

bool PluginHost::Unload() {
    const bool freed = !m_module || FreeLibrary(m_module);
    if (m_copyFile >= 0) {
        close(m_copyFile);
        m_copyFile = -1;
    }
    m_shownNode = 0;
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
    const BOOL taken = m_setNode ? m_setNode(nodeId, nodeData) : FALSE;
    if (taken) {
        m_shownNode = nodeId;
    }
    return taken;
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
