#include "plugin/host_services.h"

#include "conversation/matrix_window.h"
#include "res/resource.h"
#include "view/matrix_view.h"

#include <string.h>

AFX_EXTENSION_MODULE g_extensionModule = {};
CMatrixView* g_matrixView = nullptr;
PluginHostServices g_hostServices;

namespace {

const char kProfileSection[] = "Quillon Network Manager";
const char kDirKey[] = "Dir=";
const char kParlanceModule[] = "Parlance.dll";
// The section is read through a buffer of this size.
constexpr DWORD kSectionSize = 1024;

// A name for an address of a table row goes to the view.
int OnNameConverted(const char* address, const char* name, intptr_t row) {
    if (g_matrixView != nullptr) {
        g_matrixView->OnNameConverted(address, name, row);
    }
    return 1;
}

// The installation folder: what follows "Dir=" in the section's first entry. The
// profile reader ends every entry with a NUL, so the search stops at the first.
std::string InstallationDirectory() {
    char section[kSectionSize] = "";
    if (GetProfileSection(kProfileSection, section, sizeof section) == 0) {
        return "";
    }
    const char* dir = strstr(section, kDirKey);
    return dir == nullptr ? "" : dir + strlen(kDirKey);
}

} // namespace

void PluginHostServices::ConvertAddress(int command, uint32_t* slot, const char* address,
                                        char* scratch, intptr_t row) {
    if (m_convertMappedAddress == nullptr) {
        return;
    }
    m_convertMappedAddress(command, 0, slot, address, scratch, 0, 0, 0, 0, 0, &OnNameConverted,
                           row);
}

ConversationWindow*
PluginHostServices::NewConversationWindow(uint32_t node, const std::vector<std::string>& names,
                                          const std::vector<std::string>& addresses,
                                          const char* index, CWnd* owner) {
    return new CMatrixWindow(node, names, addresses, index, owner);
}

void PluginHostServices::BindConversionModule() {
    m_convertMappedAddress = nullptr;
    const std::string dir = InstallationDirectory();
    const std::string path = dir.empty() ? kParlanceModule : dir + "\\" + kParlanceModule;
    m_parlanceModule = LoadLibrary(path.c_str());
    if (m_parlanceModule == nullptr) {
        return;
    }
    // Through void (*)() as the framework does: the address has the sibling's own type.
    m_convertMappedAddress =
        reinterpret_cast<ConvertMappedAddressProc>(reinterpret_cast<void (*)()>(
            GetProcAddress(m_parlanceModule, CONVERT_MAPPED_ADDRESS_NAME)));
    // Without the function the module is forgotten but stays loaded.
    if (m_convertMappedAddress == nullptr) {
        m_parlanceModule = nullptr;
    }
}

BOOL PluginHostServices::LoadPopupMenu(HINSTANCE module) {
    m_popupMenu->DestroyMenu();
    const HINSTANCE previous = AfxGetResourceHandle();
    AfxSetResourceHandle(module);
    const BOOL loaded = m_popupMenu->LoadMenu(IDR_MATRIX_POPUP);
    AfxSetResourceHandle(previous);
    return loaded;
}

void PluginHostServices::DeletePopupMenu() {
    delete m_popupMenu;
    m_popupMenu = nullptr;
}
