// Simulated renames and temporary file names.
#include "sim_internal.h"

#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

namespace {

unsigned nextUnique = 1;

bool HostExists(const std::string& host, bool* isDirectory) {
    struct stat st;
    if (lstat(host.c_str(), &st) != 0) return false;
    if (isDirectory) *isDirectory = S_ISDIR(st.st_mode);
    return true;
}

std::string HostParent(const std::string& host) { return host.substr(0, host.rfind('/')); }

}  // namespace

void SimFileNamesReset() { nextUnique = 1; }

extern "C" {

// The kit renames files only; a directory is refused.
BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
    if (SimFailHere("MoveFileA", from)) return FALSE;
    SimPath source, target;
    bool sourceIsDirectory = false, targetParentIsDirectory = false;
    if (!SimResolve(from, &source) || !SimResolve(to, &target)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!HostExists(source.host, &sourceIsDirectory)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (HostExists(target.host, nullptr)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (!HostExists(HostParent(target.host), &targetParentIsDirectory) || !targetParentIsDirectory) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (sourceIsDirectory) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (DWORD error = SimInUseError(source.key)) {
        SetLastError(error);
        return FALSE;
    }
    if (rename(source.host.c_str(), target.host.c_str()) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto& attributes = SimFiles().attributes;
    auto found = attributes.find(source.key);
    if (found != attributes.end()) {
        DWORD kept = found->second;
        attributes.erase(found);
        attributes[target.key] = kept;
    }
    return TRUE;
}

// directory + up to three characters of prefix + the number in hex + ".TMP".
// With unique 0 a number whose name is free is chosen and the file created
// empty, reserving the name, as on the platform.
UINT WINAPI GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT unique, LPSTR tempFile) {
    if (SimFailHere("GetTempFileNameA", directory)) {
        SimSpoil(tempFile, MAX_PATH);
        return 0;
    }
    if (!directory || !prefix || !tempFile) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string base = directory;
    if (base.size() > MAX_PATH - 14) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    SimPath resolved;
    bool isDirectory = false;
    if (!SimResolve(directory, &resolved) || !HostExists(resolved.host, &isDirectory) || !isDirectory) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    if (base.empty() || base.back() != '\\') base += "\\";
    std::string start = std::string(prefix).substr(0, 3);
    for (unsigned tries = 0; tries < 0xFFFF; ++tries) {
        unsigned number = unique ? (unique & 0xFFFF) : nextUnique;
        if (!unique) nextUnique = nextUnique % 0xFFFF + 1;
        char name[32];
        snprintf(name, sizeof name, "%X.TMP", number);
        std::string path = base + start + name;
        if (unique) {
            snprintf(tempFile, MAX_PATH, "%s", path.c_str());
            return number;
        }
        SimPath candidate;
        if (!SimResolve(path.c_str(), &candidate) || HostExists(candidate.host, nullptr)) continue;
        FILE* created = fopen(candidate.host.c_str(), "wb");
        if (!created) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        fclose(created);
        snprintf(tempFile, MAX_PATH, "%s", path.c_str());
        return number;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

}  // extern "C"
