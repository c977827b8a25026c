// Library load and unload: the module entry function, called by the platform's
// LoadLibrary and FreeLibrary.
#include "plugin/host_services.h"
#include "view/matrix_view.h"

namespace {

BOOL ProcessAttach(HINSTANCE instance) {
    if (!AfxInitExtensionModule(g_extensionModule, instance)) {
        return FALSE;
    }
    // The framework keeps the resource chain entry and deletes it at termination.
    new CDynLinkLibrary(g_extensionModule);
    g_matrixView = new CMatrixView(g_hostServices);
    g_hostServices.CreatePopupMenu();
    g_hostServices.BindConversionModule();
    return TRUE;
}

// The conversion module is not released.
void ProcessDetach() {
    AfxTermExtensionModule(g_extensionModule);
    if (g_matrixView != nullptr) {
        g_matrixView->Disconnect();
        delete g_matrixView;
        g_matrixView = nullptr;
    }
    g_hostServices.DeletePopupMenu();
}

} // namespace

extern "C" __attribute__((visibility("default"))) BOOL DllMain(HINSTANCE instance, DWORD reason,
                                                               LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        return ProcessAttach(instance);
    }
    if (reason == DLL_PROCESS_DETACH) {
        ProcessDetach();
    }
    return TRUE;
}
