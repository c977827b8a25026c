#include "platform/framework/module.h"

#include "common/handle_table.h"
#include "platform/framework/module_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <link.h>
#include <memory>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

void* DefaultOpen(const char* path) {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void* DefaultSymbol(void* handle, const char* name) {
    return dlsym(handle, name);
}
int DefaultClose(void* handle) {
    return dlclose(handle);
}

const platform::ModuleLoader kDefaultLoader{DefaultOpen, DefaultSymbol, DefaultClose};
const platform::ModuleLoader* loader = &kDefaultLoader;

struct Module {
    void* handle = nullptr; // dlopen handle; nullptr for the program itself
    std::string path;
    int references = 0;
    const RESOURCETABLE* resources = nullptr;
};

platform::HandleTable<Module*>& Modules() {
    // Never destroyed: a module still loaded at exit (the plug-in never frees the conversion
    // module) keeps its record, reachable until the process ends.
    static auto* modules = new platform::HandleTable<Module*>();
    return *modules;
}

// The program's own module, made on first use with the resources it exports.
HMODULE ProgramModule() {
    static Module record{nullptr, {}, 1, nullptr};
    static HMODULE program = [] {
        record.resources =
            static_cast<const RESOURCETABLE*>(dlsym(RTLD_DEFAULT, MODULE_RESOURCE_SYMBOL));
        return reinterpret_cast<HMODULE>(Modules().Add(&record));
    }();
    return program;
}

Module* Lookup(HMODULE module) {
    ProgramModule();
    return Modules().Lookup(reinterpret_cast<uintptr_t>(module));
}

HMODULE FindModule(const std::function<bool(const Module&)>& match) {
    HMODULE found = nullptr;
    Modules().ForEach([&](uintptr_t handle, Module* module) {
        if (found == nullptr && module->handle != nullptr && match(*module)) {
            found = reinterpret_cast<HMODULE>(handle);
        }
    });
    return found;
}

HMODULE AddModule(void* handle, const std::string& path) {
    auto* module = new Module{handle, path, 1, nullptr};
    module->resources =
        static_cast<const RESOURCETABLE*>(loader->symbol(handle, MODULE_RESOURCE_SYMBOL));
    return reinterpret_cast<HMODULE>(Modules().Add(module));
}

// Removes the record and closes the shared object; the handle goes stale.
void DropModule(HMODULE module) {
    std::unique_ptr<Module> record(Modules().Remove(reinterpret_cast<uintptr_t>(module)));
    loader->close(record->handle);
}

BOOL CallEntry(HMODULE module, void* handle, DWORD reason) {
    auto entry = reinterpret_cast<DLLMAIN_PROC>(loader->symbol(handle, "DllMain"));
    return entry == nullptr ? TRUE : entry(module, reason, nullptr);
}

std::string LoadedPath(void* handle, const std::string& fallback) {
    link_map* map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name[0] != '\0') {
        return map->l_name;
    }
    return fallback;
}

void* OpenByRule(const char* windowsName, std::string& path) {
    path = platform::ModulePathFromName(windowsName);
    if (path.find('/') != std::string::npos) {
        return loader->open(path.c_str());
    }
    std::string local = platform::LibraryFolder() + "/" + path;
    if (access(local.c_str(), F_OK) == 0) {
        path = local;
        return loader->open(path.c_str());
    }
    return loader->open(path.c_str());
}

} // namespace

namespace platform {

std::string ModulePathFromName(const char* windowsName) {
    std::string name = windowsName == nullptr ? "" : windowsName;
    std::replace(name.begin(), name.end(), '\\', '/');
    size_t slash = name.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::string last = name.substr(start);
    if (last.size() <= 4 || strcasecmp(last.c_str() + last.size() - 4, ".dll") != 0) {
        return name;
    }
    std::string stem = last.substr(0, last.size() - 4);
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.substr(0, start) + "lib" + stem + ".so";
}

std::string LibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr) {
        return ".";
    }
    char* resolved = realpath(info.dli_fname, nullptr);
    std::string path = resolved != nullptr ? resolved : info.dli_fname;
    free(resolved);
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

void SetModuleLoader(const ModuleLoader* newLoader) {
    loader = newLoader != nullptr ? newLoader : &kDefaultLoader;
}

const RESOURCETABLE* ModuleResources(HMODULE module) {
    Module* record = Lookup(module);
    return record == nullptr ? nullptr : record->resources;
}

bool IsModule(HMODULE module) {
    return Lookup(module) != nullptr;
}

void RegisterModuleResources(HMODULE module, const RESOURCETABLE* table) {
    if (Module* record = Lookup(module)) {
        record->resources = table;
    }
}

} // namespace platform

HMODULE LoadLibrary(LPCSTR fileName) {
    if (fileName == nullptr || *fileName == '\0') {
        return nullptr;
    }
    std::string path;
    void* handle = OpenByRule(fileName, path);
    if (handle == nullptr) {
        return nullptr;
    }
    if (HMODULE loaded = FindModule([handle](const Module& m) { return m.handle == handle; })) {
        ++Lookup(loaded)->references;
        return loaded;
    }
    HMODULE module = AddModule(handle, LoadedPath(handle, path));
    if (CallEntry(module, handle, DLL_PROCESS_ATTACH)) {
        return module;
    }
    // Windows calls the entry function with DLL_PROCESS_DETACH when attach answers FALSE.
    CallEntry(module, handle, DLL_PROCESS_DETACH);
    DropModule(module);
    return nullptr;
}

HMODULE LoadLibraryA(LPCSTR fileName) {
    return LoadLibrary(fileName);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    Module* record = Lookup(module);
    if (record == nullptr || procName == nullptr || IS_INTRESOURCE(procName)) {
        return nullptr; // no ordinals: modules here export by name only
    }
    void* handle = record->handle != nullptr ? record->handle : RTLD_DEFAULT;
    return reinterpret_cast<FARPROC>(loader->symbol(handle, procName));
}

BOOL FreeLibrary(HMODULE module) {
    Module* record = Lookup(module);
    if (record == nullptr || record->handle == nullptr) {
        return FALSE;
    }
    if (--record->references > 0) {
        loader->close(record->handle);
        return TRUE;
    }
    CallEntry(module, record->handle, DLL_PROCESS_DETACH);
    DropModule(module);
    return TRUE;
}

HMODULE GetModuleHandle(LPCSTR moduleName) {
    if (moduleName == nullptr) {
        return ProgramModule();
    }
    // The same name rule as LoadLibrary, compared with the end of each loaded module's path.
    std::string wanted = "/" + platform::ModulePathFromName(moduleName);
    return FindModule([&wanted](const Module& module) {
        std::string path = "/" + module.path;
        return path.size() >= wanted.size() &&
               path.compare(path.size() - wanted.size(), wanted.size(), wanted) == 0;
    });
}

DWORD GetModuleFileName(HMODULE module, LPSTR fileName, DWORD size) {
    Module* record = Lookup(module);
    if (record == nullptr || fileName == nullptr || size == 0) {
        return 0;
    }
    std::string path = record->path;
    if (record->handle == nullptr) {
        char exe[4096];
        ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
        path.assign(exe, length > 0 ? static_cast<size_t>(length) : 0);
    }
    size_t copied = std::min<size_t>(path.size(), size - 1);
    std::memcpy(fileName, path.data(), copied);
    fileName[copied] = '\0';
    return static_cast<DWORD>(copied);
}
