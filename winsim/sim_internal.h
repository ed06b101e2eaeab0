// State shared by the simulated platform's parts. Not for tests: they use
// sim.h.
#ifndef WINSIM_SIM_INTERNAL_H
#define WINSIM_SIM_INTERNAL_H

#include "sim.h"

#include <map>
#include <string>
#include <vector>

// Counts a call of op, logs it with what it acts on (a path, key or value
// name, a file handle's file; 0 for nothing), and answers whether an injected
// failure hits it; if so the last error is set to the injected error.
bool SimFailHere(const char* op, const char* subject = nullptr);
bool SimFailHere(const char* op, const std::string& subject);
// What a failing call leaves in an output buffer: the platform promises
// nothing, so the simulation hands back arbitrary non-zero bytes (no
// string, no lucky terminator) for code that reads it regardless.
void SimSpoil(void* buffer, size_t size);

// Upper-cases ASCII letters, character by character in the code page: the
// platform's names compare case-insensitively, and a trail byte is no letter.
std::string SimUpper(const std::string& text);
bool SimIsLeadByte(unsigned char byte);
// Bytes of the character at text[at]: 2 for a lead byte with its trail.
size_t SimCharacterLength(const std::string& text, size_t at);
// A path's names between backslashes (or slashes), by character.
std::vector<std::string> SimSplitPath(const std::string& text);
size_t SimLastSeparator(const std::string& text);  // npos: none
bool SimEndsWithSeparator(const std::string& text);
void SimCodePageReset();

// Unicode of the simulated machine (winsim/wide.cpp): names and values are
// kept in a byte form, the code page's characters as their bytes, others
// as UTF-8.
std::vector<WCHAR> SimWideOfByteForm(const std::string& text);
std::string SimByteFormOfWide(const std::vector<WCHAR>& wide);
std::vector<WCHAR> SimWideOfAnsi(const std::string& text);
// '?' for each character the code page lacks; *usedDefault set then.
std::string SimAnsiOfWide(const std::vector<WCHAR>& wide, bool* usedDefault);
std::string SimAnsiOfByteForm(const std::string& text);
// Copies text with its terminator when it fits: its length; else the size
// needed, terminator included.
DWORD SimCopyOutWide(const std::vector<WCHAR>& text, LPWSTR buffer, DWORD size);
// A path with its known short names put in (GetShortPathNameA's answer).
std::string SimShortFormOf(const std::string& path);

// A Windows path resolved against the host directory that holds the drives.
struct SimPath {
    std::string host;  // host file system path
    std::string key;   // canonical Windows path, upper case, no trailing backslash
    std::string name;  // last component as it exists on disk (or as given)
};
// False for a path that names no drive (malformed, or a relative path
// without a current directory).
bool SimResolve(const char* path, SimPath* out);

struct SimFileState {
    std::map<std::string, DWORD> attributes;  // by key: read-only, hidden, system
    std::map<std::string, DWORD> inUse;       // by key: error a deletion reports
    std::map<std::string, int> undeletable;   // by key: handles open on it without delete sharing
    std::map<std::string, bool> links;        // by key: links, true for a directory link
};
SimFileState& SimFiles();
// The error that deleting or renaming the file reports while it is in use
// (held by a test, or open without delete sharing); 0 when it is free.
DWORD SimInUseError(const std::string& key);

// Whether the simulated version is of the NT family (without counting a
// GetVersion call).
bool SimIsNT();
// For CloseHandle: whether handle is one of CreateFileA's (or the standard
// output), with the file it has open; and its release.
bool SimFileHandleKey(HANDLE handle, std::string* key);
void SimReleaseFileHandle(HANDLE handle);

void SimFilesReset(const std::string& hostRoot);
void SimRegistryReset();
void SimUiReset();
void SimSystemReset();
void SimModulesReset();
void SimFileHandlesReset();
void SimHeapReset();
void SimSecurityReset();
void SimFileNamesReset();
void SimEnvironmentReset();

#endif
