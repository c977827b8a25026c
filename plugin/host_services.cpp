#include "plugin/host_services.h"
#include "view/matrix_view.h"

#include <string.h>

AFX_EXTENSION_MODULE g_extensionModule = {};
CMatrixView* g_matrixView = nullptr;
CMenu* g_popupMenu = nullptr;
HMODULE g_parlanceModule = nullptr;
ConvertMappedAddressProc g_convertMappedAddress = nullptr;

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

void CallConvertMappedAddress(int command, uint32_t* slot, const char* address, char* scratch,
                              intptr_t row) {
    if (g_convertMappedAddress == nullptr) {
        return;
    }
    g_convertMappedAddress(command, 0, slot, address, scratch, 0, 0, 0, 0, 0, &OnNameConverted,
                           row);
}

void BindConversionModule() {
    g_convertMappedAddress = nullptr;
    const std::string dir = InstallationDirectory();
    const std::string path = dir.empty() ? kParlanceModule : dir + "\\" + kParlanceModule;
    g_parlanceModule = LoadLibrary(path.c_str());
    if (g_parlanceModule == nullptr) {
        return;
    }
    // Through void (*)() as the framework does: the address has the sibling's own type.
    g_convertMappedAddress =
        reinterpret_cast<ConvertMappedAddressProc>(reinterpret_cast<void (*)()>(
            GetProcAddress(g_parlanceModule, CONVERT_MAPPED_ADDRESS_NAME)));
    // Without the function the module is forgotten but stays loaded.
    if (g_convertMappedAddress == nullptr) {
        g_parlanceModule = nullptr;
    }
}
