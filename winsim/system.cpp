// Simulated directories, modules, version, command line, last error and
// process exit, and the reset that builds a fresh machine.
#include "sim_internal.h"

#include <stdlib.h>
#include <string.h>
#include <utility>
#include <vector>

void SimFailuresReset();

namespace {

struct SystemState {
    DWORD version;
    std::string windowsDir;
    std::string systemDir;
    std::string commandLine;
    std::map<HMODULE, std::string> modules;
    std::vector<std::pair<std::string, std::string>> shortNames;  // long, short
    DWORD lastError;
    jmp_buf trap;
    bool trapArmed;
    bool exited;
    int exitCode;
};

SystemState state;
HINSTANCE__ mainModule;

const DWORD kVersion98 = 0xC0000A04;  // 4.10, top bit set: 95/98 family
const DWORD kVersionNT = 0x05650004;  // 4.0 build 1381

// Copies text as the directory queries do: the length without the
// terminator when it fits, else the size needed with the terminator.
UINT CopyOut(const std::string& text, LPSTR buffer, UINT size) {
    if (text.size() + 1 > size) {
        SimSpoil(buffer, size);
        return (UINT)text.size() + 1;
    }
    memcpy(buffer, text.c_str(), text.size() + 1);
    return (UINT)text.size();
}

bool StartsWithPath(const std::string& path, const std::string& prefix) {
    std::string p = SimUpper(path), q = SimUpper(prefix);
    while (SimEndsWithSeparator(q)) q.pop_back();
    if (p.compare(0, q.size(), q) != 0) return false;
    // The prefix must end at a character's end, before a backslash.
    return p.size() == q.size() || (p[q.size()] == '\\' && SimLastSeparator(p.substr(0, q.size() + 1)) == q.size());
}

// Replaces the longest matching prefix by its counterpart.
std::string MapPrefix(const std::string& path, bool toShort) {
    size_t best = 0;
    const std::pair<std::string, std::string>* match = nullptr;
    for (const auto& entry : state.shortNames) {
        std::string from = toShort ? entry.first : entry.second;
        while (SimEndsWithSeparator(from)) from.pop_back();
        if (StartsWithPath(path, from) && from.size() >= best) {
            best = from.size();
            match = &entry;
        }
    }
    if (!match) return path;
    std::string to = toShort ? match->second : match->first;
    while (SimEndsWithSeparator(to)) to.pop_back();
    return to + path.substr(best);
}

}  // namespace

std::string SimLongFormOf(const std::string& path) { return MapPrefix(path, false); }
std::string SimShortFormOf(const std::string& path) { return MapPrefix(path, true); }

void SimSystemReset() {
    state.version = kVersion98;
    state.windowsDir = "C:\\WINDOWS";
    state.systemDir = "C:\\WINDOWS\\SYSTEM";
    state.commandLine = "C:\\PROGRA~1\\VANTRELL\\UNINSTAL.EXE";
    state.modules.clear();
    state.modules[&mainModule] = "C:\\Program Files\\Vantrell\\UNINSTAL.EXE";
    state.shortNames.clear();
    state.lastError = 0;
    state.trapArmed = false;
    state.exited = false;
    state.exitCode = 0;
}

void SimSecurityEndProcess();
void SimRegistryEndProcess();
void SimFilesEndProcess();

void SimEndProcess() {
    SimFailuresReset();
    SimFileHandlesReset();
    SimHeapReset();
    SimSecurityEndProcess();
    SimRegistryEndProcess();
    SimFilesEndProcess();
    SimUiReset();
}


void SimReset(const std::string& hostRoot) {
    SimFailuresReset();
    SimCodePageReset();
    SimFileHandlesReset();
    SimHeapReset();
    SimSecurityReset();
    SimFileNamesReset();
    SimEnvironmentReset();
    SimSystemReset();
    SimModulesReset();
    SimFilesReset(hostRoot);
    SimRegistryReset();
    SimUiReset();
    SimCreateDirectory("C:\\WINDOWS\\SYSTEM");
    SimCreateDirectory("C:\\Program Files\\Vantrell");
}

void SimSetFamily(SimFamily family) { state.version = family == SimWindowsNT ? kVersionNT : kVersion98; }
void SimSetVersion(DWORD version) { state.version = version; }
bool SimIsNT() { return (state.version & 0x80000000u) == 0; }
void SimSetWindowsDirectory(const char* path) { state.windowsDir = path; }
void SimSetSystemDirectory(const char* path) { state.systemDir = path; }
HMODULE SimMainModule() { return &mainModule; }
void SimSetModulePath(HMODULE module, const char* path) { state.modules[module] = path; }
void SimSetCommandLine(const char* commandLine) { state.commandLine = commandLine; }
void SimAddShortName(const char* longPath, const char* shortPath) {
    state.shortNames.emplace_back(longPath, shortPath);
}

jmp_buf* SimExitTrap() { return &state.trap; }
void SimArmExitTrap(bool armed) {
    state.trapArmed = armed;
    if (armed) state.exited = false;
}
bool SimExited() { return state.exited; }
int SimExitCode() { return state.exitCode; }

extern "C" {

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    if (SimFailHere("GetWindowsDirectoryA")) {
        SimSpoil(buffer, size);
        return 0;
    }
    return CopyOut(state.windowsDir, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    if (SimFailHere("GetSystemDirectoryA")) {
        SimSpoil(buffer, size);
        return 0;
    }
    return CopyOut(state.systemDir, buffer, size);
}

// As on NT 5 and later, the least forgiving form: a path that does not fit
// is cut to the buffer's size without a terminator.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    if (SimFailHere("GetModuleFileNameA")) {
        SimSpoil(buffer, size);
        return 0;
    }
    if (!module) module = &mainModule;
    auto found = state.modules.find(module);
    if (found == state.modules.end()) {
        SimSpoil(buffer, size);
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // A character that the code page lacks comes back as '?'.
    const std::string path = SimAnsiOfByteForm(found->second);
    if (path.size() + 1 > size) {
        memcpy(buffer, path.data(), size);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    if (SimFailHere("GetModuleFileNameW")) {
        SimSpoil(buffer, size * sizeof(WCHAR));
        return 0;
    }
    if (!module) module = &mainModule;
    auto found = state.modules.find(module);
    if (found == state.modules.end()) {
        SimSpoil(buffer, size * sizeof(WCHAR));
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::vector<WCHAR> path = SimWideOfByteForm(found->second);
    if (path.size() + 1 > size) {
        if (size) memcpy(buffer, path.data(), size * sizeof(WCHAR));
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return SimCopyOutWide(path, buffer, size);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (SimFailHere("GetModuleHandleA")) return nullptr;
    return name ? nullptr : &mainModule;
}

DWORD WINAPI GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
    if (SimFailHere("GetShortPathNameA", longPath)) {
        SimSpoil(shortPath, size);
        return 0;
    }
    if (!SimExists(longPath)) {
        SimSpoil(shortPath, size);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    std::string result = MapPrefix(longPath, true);
    if (result.size() + 1 > size) {
        SimSpoil(shortPath, size);
        return (DWORD)result.size() + 1;
    }
    memcpy(shortPath, result.c_str(), result.size() + 1);
    return (DWORD)result.size();
}

DWORD WINAPI GetVersion(void) {
    SimFailHere("GetVersion");  // cannot fail on the platform
    return state.version;
}

LPSTR WINAPI GetCommandLineA(void) { return &state.commandLine[0]; }

DWORD WINAPI GetLastError(void) { return state.lastError; }
void WINAPI SetLastError(DWORD error) { state.lastError = error; }

void WINAPI ExitProcess(UINT code) {
    state.exited = true;
    state.exitCode = (int)code;
    if (state.trapArmed) {
        state.trapArmed = false;
        longjmp(state.trap, 1);
    }
    abort();  // code under test ended the process outside a trapped run
}

}  // extern "C"
