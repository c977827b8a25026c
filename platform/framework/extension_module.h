// The framework's extension-module record and resource chain.
//
// An extension library initialises its AFX_EXTENSION_MODULE at DLL_PROCESS_ATTACH and
// creates one CDynLinkLibrary on the heap; that object puts the module at the head of the
// resource chain. AfxTermExtensionModule at DLL_PROCESS_DETACH deletes the module's
// CDynLinkLibrary objects (all of them with bAll), taking the module out of the chain.
//
// Resource lookups by the framework (CMenu::LoadMenu(UINT), AfxFindResourceHandle) search the
// current resource handle first, then the chain from its head (the last library added).
// The current resource handle starts as the program's module, GetModuleHandle(NULL).
#pragma once

#include "platform/core/win32_types.h"
#include "platform/framework/object.h"

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized;
    HMODULE hModule;
    HMODULE hResource;
    CRuntimeClass* pFirstSharedClass;
    void* pFirstSharedFactory;
};

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);

class CDynLinkLibrary : public CObject {
    DECLARE_DYNAMIC(CDynLinkLibrary)
  public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL bSystem = FALSE);
    ~CDynLinkLibrary() override;

    HMODULE m_hModule;
    HMODULE m_hResource;
    BOOL m_bSystem;
    CDynLinkLibrary* m_pNextDLL;
};

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resource);
HINSTANCE AfxGetInstanceHandle();
// The module that holds resource `name` of `type`: the current resource handle when it has
// it, else the first chain entry that has it, else the current resource handle.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);
