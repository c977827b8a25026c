#include "platform/framework/extension_module.h"

#include "platform/framework/module.h"
#include "platform/framework/module_registry.h"
#include "platform/framework/resource.h"

namespace {

CDynLinkLibrary* chainHead = nullptr;
HINSTANCE currentResource = nullptr; // nullptr until set: the program's module

} // namespace

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (state.bInitialized) {
        return TRUE;
    }
    if (!platform::IsModule(module)) {
        return FALSE;
    }
    state.hModule = module;
    state.hResource = module;
    state.pFirstSharedClass = nullptr;
    state.pFirstSharedFactory = nullptr;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll) {
    if (!state.bInitialized) {
        return;
    }
    CDynLinkLibrary* entry = chainHead;
    while (entry != nullptr) {
        CDynLinkLibrary* next = entry->m_pNextDLL;
        if (bAll || entry->m_hModule == state.hModule) {
            delete entry; // takes itself out of the chain
        }
        entry = next;
    }
    if (currentResource == state.hResource) {
        currentResource = nullptr;
    }
    state.bInitialized = FALSE;
}

IMPLEMENT_DYNAMIC(CDynLinkLibrary, CObject)

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem)
    : m_hModule(state.hModule), m_hResource(state.hResource), m_bSystem(bSystem),
      m_pNextDLL(chainHead) {
    chainHead = this;
}

CDynLinkLibrary::~CDynLinkLibrary() {
    for (CDynLinkLibrary** link = &chainHead; *link != nullptr; link = &(*link)->m_pNextDLL) {
        if (*link == this) {
            *link = m_pNextDLL;
            return;
        }
    }
}

HINSTANCE AfxGetResourceHandle() {
    return currentResource != nullptr ? currentResource : GetModuleHandle(nullptr);
}

void AfxSetResourceHandle(HINSTANCE resource) {
    currentResource = resource;
}

HINSTANCE AfxGetInstanceHandle() {
    return GetModuleHandle(nullptr);
}

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
    HINSTANCE current = AfxGetResourceHandle();
    if (FindResource(current, name, type) != nullptr) {
        return current;
    }
    for (CDynLinkLibrary* entry = chainHead; entry != nullptr; entry = entry->m_pNextDLL) {
        if (FindResource(entry->m_hResource, name, type) != nullptr) {
            return entry->m_hResource;
        }
    }
    return current;
}
