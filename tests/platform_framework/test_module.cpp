// A small extension module for the module and resource tests. Built twice: as
// libframeworktesta.so (TEST_MODULE_A) and libframeworktestb.so. Its entry function reports
// to the test program through functions the program exports, and asks it whether to attach.
#include "platform/framework/afx.h"
#include "platform/framework/extension_module.h"
#include "platform/framework/resource.h"

#include <iterator>

extern "C" void RecordModuleEvent(const char* module, DWORD reason);
extern "C" BOOL ModuleAttachAnswer(const char* module);

namespace {

#ifdef TEST_MODULE_A
const char* const kModuleName = "A";
const RESMENUITEM kContextMenu[] = {
    {MF_POPUP, 0, "Popup"},
    {MF_STRING, 32779, "&Utilization"},
    {MF_STRING | MF_GRAYED, 32782, "&Errors"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_POPUP, 0, "More"},
    {MF_STRING | MF_END, 32783, "&All"},
    {MF_STRING | MF_END, 32784, "&Conversations"},
};
const RESMENU kMenus[] = {{150, kContextMenu, std::size(kContextMenu)}};
#else
const char* const kModuleName = "B";
const RESMENUITEM kContextMenu[] = {
    {MF_POPUP, 0, "B popup"},
    {MF_STRING | MF_END, 1, "B item"},
};
const RESMENUITEM kBarMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING | MF_END, 2, "E&xit"},
    {MF_POPUP | MF_END, 0, "&Matrix"},
    {MF_STRING | MF_END, 3, "&Bytes"},
};
const RESMENU kMenus[] = {{150, kContextMenu, std::size(kContextMenu)},
                          {200, kBarMenu, std::size(kBarMenu)}};
#endif

const char* const kIcon[] = {
    "4 2 2 1", ". c #FF0000", "# c None", "..##", "##..",
};
const RESIMAGE kIcons[] = {{135, kIcon, nullptr, 0}};
const RESIMAGE kBitmaps[] = {{133, kIcon, nullptr, 0}};

AFX_EXTENSION_MODULE extensionModule = {};

} // namespace

extern "C" MODULE_EXPORT const RESOURCETABLE ModuleResourceTable = {
    kMenus, std::size(kMenus), kIcons, std::size(kIcons), kBitmaps, std::size(kBitmaps)};

extern "C" MODULE_EXPORT BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    RecordModuleEvent(kModuleName, reason);
    if (reason == DLL_PROCESS_ATTACH) {
        if (!ModuleAttachAnswer(kModuleName) ||
            !AfxInitExtensionModule(extensionModule, instance)) {
            return FALSE;
        }
        new CDynLinkLibrary(extensionModule);
    } else if (reason == DLL_PROCESS_DETACH) {
        AfxTermExtensionModule(extensionModule);
    }
    return TRUE;
}

extern "C" MODULE_EXPORT int TestModuleValue() {
    return kModuleName[0];
}
