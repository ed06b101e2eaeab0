// Simulated libraries: modules that tests add with their string and icon
// resources, loaded and freed by reference count; and the default dialog
// procedure, recorded.
#include "sim_internal.h"
#include "sim_modules.h"

#include <string.h>
#include <vector>

namespace {

struct Module {
    HMODULE handle;
    std::string path;
    std::map<UINT, std::string> strings;
    std::map<WORD, HICON> icons;
    int references;
    bool gone;  // loaded and released again: unloaded
};

std::vector<Module> modules;
std::vector<std::string> loadRequests;
std::vector<SimDialogCall> dialogCalls;
LRESULT dialogResult;
uintptr_t nextIcon;

// Module handles are image bases on the platform: never dereferenced.
HMODULE HandleFor(size_t index) { return (HMODULE)(uintptr_t)(0x10000000u + 0x10000u * (index + 1)); }

Module* Find(HMODULE handle) {
    for (Module& module : modules)
        if (module.handle == handle) return &module;
    return nullptr;
}

// A module whose resources can be reached: added, and not unloaded.
Module* Present(HMODULE handle) {
    Module* module = Find(handle);
    return module && !module->gone ? module : nullptr;
}

}  // namespace

void SimModulesReset() {
    modules.clear();
    loadRequests.clear();
    dialogCalls.clear();
    dialogResult = 0;
    nextIcon = 0x20000;
}

HMODULE SimAddModule(const char* path) {
    Module module;
    module.handle = HandleFor(modules.size());
    module.path = path;
    module.references = 0;
    module.gone = false;
    modules.push_back(module);
    SimSetModulePath(module.handle, path);
    return module.handle;
}

void SimSetModuleString(HMODULE handle, UINT id, const char* text) {
    if (Module* module = Find(handle)) module->strings[id] = text;
}

HICON SimAddModuleIcon(HMODULE handle, WORD id) {
    Module* module = Find(handle);
    if (!module) return nullptr;
    HICON icon = (HICON)nextIcon;
    nextIcon += 4;
    module->icons[id] = icon;
    return icon;
}

int SimModuleReferences(HMODULE handle) {
    Module* module = Find(handle);
    return module ? module->references : 0;
}

const std::vector<std::string>& SimLoadLibraryRequests() { return loadRequests; }
const std::vector<SimDialogCall>& SimDefDlgProcCalls() { return dialogCalls; }
void SimSetDefDlgProcResult(LRESULT result) { dialogResult = result; }

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR path) {
    loadRequests.push_back(path ? path : "");
    if (SimFailHere("LoadLibraryA", path)) return nullptr;
    std::string wanted = SimUpper(path ? path : "");
    for (Module& module : modules) {
        if (SimUpper(module.path) != wanted) continue;
        ++module.references;
        module.gone = false;
        return module.handle;
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
    if (SimFailHere("FreeLibrary")) return FALSE;
    Module* module = Present(handle);
    if (!module || module->references == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--module->references == 0) module->gone = true;
    return TRUE;
}

// Truncates to size - 1 characters and terminates, as the platform does. A
// string that is not there leaves no string in the buffer: the least
// forgiving form.
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
    size_t room = buffer && size > 0 ? (size_t)size : 0;
    if (SimFailHere("LoadStringA", std::to_string(id & 0xFFFF))) {
        SimSpoil(buffer, room);
        return 0;
    }
    Module* module = Present(instance);
    if (!module) {
        SimSpoil(buffer, room);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    auto found = module->strings.find(id & 0xFFFF);
    if (found == module->strings.end() || !buffer || size <= 0) {
        SimSpoil(buffer, room);
        return 0;
    }
    size_t length = found->second.size();
    if (length > (size_t)size - 1) length = (size_t)size - 1;
    memcpy(buffer, found->second.data(), length);
    buffer[length] = 0;
    return (int)length;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (SimFailHere("LoadIconA")) return nullptr;
    Module* module = Present(instance);
    if (!module || !IS_INTRESOURCE(name)) return nullptr;
    auto found = module->icons.find((WORD)(uintptr_t)name);
    return found == module->icons.end() ? nullptr : found->second;
}

LPSTR WINAPI lstrcatA(LPSTR to, LPCSTR from) {
    if (SimFailHere("lstrcatA")) return nullptr;
    return strcat(to, from);
}

LRESULT WINAPI DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    SimFailHere("DefDlgProcA");  // has no failure of its own on the platform
    dialogCalls.push_back(SimDialogCall{dialog, message, wParam, lParam});
    return dialogResult;
}

}  // extern "C"
