// Modules: LoadLibrary/GetProcAddress/FreeLibrary over dlopen.
//
// Name rule (one rule, applied by ModulePathFromName):
//  1. Backslashes become slashes.
//  2. A last component ending in ".dll" (any letter case) becomes "lib<stem in lower case>.so";
//     any other name is kept as it is ("libfoo.so" stays "libfoo.so").
//  3. A name with a folder is opened from that folder only. A bare name is looked for in the
//     process's library folder first (the folder holding libplatform.so), then in the system's
//     library search order (dlopen's own).
// So "C:\Tools\Parlance.dll" opens "C:/Tools/libparlance.so" and "Parlance.dll" opens
// "<library folder>/libparlance.so".
//
// Entry function: a module may export `extern "C" BOOL DllMain(HINSTANCE, DWORD, LPVOID)`.
// LoadLibrary calls it with DLL_PROCESS_ATTACH on the first load of a module; a FALSE answer
// makes LoadLibrary call it again with DLL_PROCESS_DETACH, unload the module and fail.
// FreeLibrary calls it with DLL_PROCESS_DETACH when the last reference goes. A module loaded
// twice gets the same HMODULE and one attach.
#pragma once

#include "platform/core/win32_types.h"

#include <string>

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

typedef intptr_t (*FARPROC)();
typedef BOOL (*DLLMAIN_PROC)(HINSTANCE instance, DWORD reason, LPVOID reserved);

HMODULE LoadLibrary(LPCSTR fileName);
HMODULE LoadLibraryA(LPCSTR fileName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
BOOL FreeLibrary(HMODULE module);
// NULL gives the process's own module; otherwise a loaded module found by its Windows name.
HMODULE GetModuleHandle(LPCSTR moduleName);
// The path of the shared object behind the module (the process's executable for NULL).
DWORD GetModuleFileName(HMODULE module, LPSTR fileName, DWORD size);

namespace platform {

// The name rule above, without searching: the path that LoadLibrary will try first.
std::string ModulePathFromName(const char* windowsName);
// The folder holding libplatform.so, without a trailing slash.
std::string LibraryFolder();

// The seam under LoadLibrary/GetProcAddress/FreeLibrary. Tests replace it to make loading
// fail; nullptr restores dlopen/dlsym/dlclose.
struct ModuleLoader {
    void* (*open)(const char* path); // dlopen(path, RTLD_NOW | RTLD_LOCAL)
    void* (*symbol)(void* handle, const char* name);
    int (*close)(void* handle); // 0 on success, as dlclose
};
void SetModuleLoader(const ModuleLoader* loader);

} // namespace platform
