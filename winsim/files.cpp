// Simulated files and directories: Windows paths mapped onto a host
// directory (one subdirectory per drive letter), names compared
// case-insensitively, attributes and in-use state kept by the simulation
// (tests run as root, whom the host's permissions would let through).
#include "sim_internal.h"

#include <algorithm>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string SimLongFormOf(const std::string& path);

namespace {

std::string hostRoot;
std::string currentDir = "C:\\";
SimFileState fileState;
std::vector<SimPendingDeletion> pending;

struct Search {
    std::string pattern;  // as the search was started
    std::vector<WIN32_FIND_DATAA> entries;
    size_t next;
};
std::map<HANDLE, std::unique_ptr<Search>> searches;
uintptr_t nextSearch = 0x1000;

bool HostStat(const std::string& host, struct stat* st) { return lstat(host.c_str(), st) == 0; }

// A link to a directory counts as one: listing through it reaches the target.
bool HostIsDir(const std::string& host) {
    struct stat st;
    return stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HostIsLink(const std::string& host) {
    struct stat st;
    return HostStat(host, &st) && S_ISLNK(st.st_mode);
}

// A link's kind as it was made; a link the simulation did not make is a
// directory link when it points to a directory.
bool IsDirectoryLink(const std::string& key, const std::string& host) {
    auto found = fileState.links.find(key);
    return found != fileState.links.end() ? found->second : HostIsDir(host);
}

DWORD LinkAttributes(const std::string& key, const std::string& host) {
    return FILE_ATTRIBUTE_REPARSE_POINT | (IsDirectoryLink(key, host) ? FILE_ATTRIBUTE_DIRECTORY : 0);
}

// The entry of hostDir whose name equals name case-insensitively. A name
// that exists as given is the one: the simulation never makes two names that
// differ only in case.
std::string FindEntry(const std::string& hostDir, const std::string& name) {
    struct stat st;
    if (lstat((hostDir + "/" + name).c_str(), &st) == 0) return name;
    DIR* dir = opendir(hostDir.c_str());
    if (!dir) return name;
    std::string wanted = SimUpper(name), found = name;
    while (dirent* entry = readdir(dir)) {
        if (SimUpper(entry->d_name) == wanted) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

void SetPathError(const SimPath& path) {
    std::string parent = path.host.substr(0, path.host.rfind('/'));
    SetLastError(HostIsDir(parent) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
}

bool IsRootKey(const std::string& key) { return key.size() == 2; }  // "C:"

DWORD StoredAttributes(const std::string& key) {
    auto found = fileState.attributes.find(key);
    return found == fileState.attributes.end() ? 0 : found->second;
}

// A file open without delete sharing cannot be deleted or renamed.
DWORD InUseError(const std::string& key) {
    auto found = fileState.inUse.find(key);
    if (found != fileState.inUse.end()) return found->second;
    return fileState.undeletable.count(key) ? ERROR_SHARING_VIOLATION : 0;
}

void ForgetBelow(const std::string& key) {
    for (auto it = fileState.links.begin(); it != fileState.links.end();) {
        if (it->first == key || it->first.compare(0, key.size() + 1, key + "\\") == 0)
            it = fileState.links.erase(it);
        else
            ++it;
    }
    for (auto* table : {&fileState.attributes, &fileState.inUse}) {
        for (auto it = table->begin(); it != table->end();) {
            if (it->first == key || it->first.compare(0, key.size() + 1, key + "\\") == 0)
                it = table->erase(it);
            else
                ++it;
        }
    }
}

// "*.*" and "*" match every name, as on the platform; otherwise '*' and '?'.
bool Matches(const char* pattern, const char* name) {
    if (strcmp(pattern, "*.*") == 0 || strcmp(pattern, "*") == 0) return true;
    if (*pattern == 0) return *name == 0;
    if (*pattern == '*') {
        for (const char* p = name;; ++p) {
            if (Matches(pattern + 1, p)) return true;
            if (*p == 0) return false;
        }
    }
    if (*name == 0) return false;
    char a = *pattern, b = *name;
    if (a >= 'a' && a <= 'z') a = (char)(a - 32);
    if (b >= 'a' && b <= 'z') b = (char)(b - 32);
    return (a == '?' || a == b) && Matches(pattern + 1, name + 1);
}

// name as the ANSI listing spells it ('?' for a character the code page
// lacks); alternate, the short name given for the entry, if any.
WIN32_FIND_DATAA MakeFindData(const std::string& name, DWORD attributes, uint64_t size,
                              const std::string& alternate = std::string()) {
    WIN32_FIND_DATAA data;
    memset(&data, 0, sizeof data);
    data.dwFileAttributes = attributes;
    data.nFileSizeLow = (DWORD)size;
    data.nFileSizeHigh = (DWORD)(size >> 32);
    snprintf(data.cFileName, sizeof data.cFileName, "%s", SimAnsiOfByteForm(name).c_str());
    if (alternate.size() < sizeof data.cAlternateFileName)
        snprintf(data.cAlternateFileName, sizeof data.cAlternateFileName, "%s", alternate.c_str());
    return data;
}

// The short name given for directory + name with SimAddShortName, when it
// differs from name; empty otherwise.
std::string ShortNameOf(const std::string& directory, const std::string& name) {
    std::string base = SimLongFormOf(directory);
    if (!SimEndsWithSeparator(base)) base += "\\";
    std::string shortPath = SimShortFormOf(base + name);
    size_t slash = SimLastSeparator(shortPath);
    std::string shortName = slash == std::string::npos ? shortPath : shortPath.substr(slash + 1);
    return SimUpper(shortName) == SimUpper(name) ? std::string() : shortName;
}

}  // namespace

SimFileState& SimFiles() { return fileState; }
DWORD SimInUseError(const std::string& key) { return InUseError(key); }

void SimFilesReset(const std::string& root) {
    hostRoot = root;
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    std::filesystem::create_directories(root + "/C", ignored);
    currentDir = "C:\\";
    fileState = SimFileState();
    pending.clear();
    searches.clear();
}

void SimFilesEndProcess() { searches.clear(); }

void SimSetCurrentDirectory(const char* path) { currentDir = path; }

// SimResolve that also tells what lstat says of the path when its fast
// path asked anyway: *statted is then true and *st filled.
static bool ResolveAndStat(const char* path, SimPath* out, struct stat* st, bool* statted);

bool SimResolve(const char* path, SimPath* out) {
    struct stat st;
    bool statted;
    return ResolveAndStat(path, out, &st, &statted);
}

static bool ResolveAndStat(const char* path, SimPath* out, struct stat* found, bool* statted) {
    *statted = false;
    if (!path || hostRoot.empty()) return false;
    std::string text(path);
    // Slashes become backslashes, by character: a trail byte stays.
    for (size_t at = 0; at < text.size(); at += SimCharacterLength(text, at))
        if (text[at] == '/') text[at] = '\\';
    if (text.size() >= 2 && text[1] == ':') {
        if (text.size() == 2) text += "\\";
    } else if (!text.empty() && text[0] == '\\') {
        text = currentDir.substr(0, 2) + text;
    } else {
        std::string base = currentDir;
        if (!SimEndsWithSeparator(base)) base += "\\";
        text = base + text;
    }
    char drive = text[0];
    if (drive >= 'a' && drive <= 'z') drive = (char)(drive - 32);
    if (drive < 'A' || drive > 'Z' || text.size() < 3 || text[2] != '\\') return false;
    text = SimLongFormOf(text);

    std::vector<std::string> parts;
    for (const std::string& part : SimSplitPath(text.substr(3))) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    out->host = hostRoot + "/" + std::string(1, drive);
    out->key = std::string(1, drive) + ":";
    out->name = "";
    // A path that exists as given, or whose directory does, needs no
    // look-up per name (the simulation never makes two names that differ
    // only in case): one host call instead of one per level.
    std::string given = out->host;
    for (size_t i = 0; i + 1 < parts.size(); ++i) given += "/" + parts[i];
    struct stat st;  // of the directory
    size_t asGiven = 0;
    if (!parts.empty() && lstat((given + "/" + parts.back()).c_str(), found) == 0) {
        asGiven = parts.size();
        *statted = true;
    } else if (parts.size() > 1 && lstat(given.c_str(), &st) == 0)
        asGiven = parts.size() - 1;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& name = parts[i];
        std::string actual = i < asGiven ? name : FindEntry(out->host, name);
        out->host += "/" + actual;
        out->key += "\\" + SimUpper(name);
        out->name = actual;
    }
    return true;
}

std::string SimHostPath(const char* path) {
    SimPath resolved;
    return SimResolve(path, &resolved) ? resolved.host : std::string();
}

bool SimCreateDirectory(const char* path) {
    SimPath resolved;
    if (!SimResolve(path, &resolved)) return false;
    std::error_code error;
    std::filesystem::create_directories(resolved.host, error);
    return HostIsDir(resolved.host);
}

bool SimWriteFile(const char* path, const std::string& content) {
    SimPath resolved;
    if (!SimResolve(path, &resolved)) return false;
    std::error_code error;
    std::filesystem::create_directories(resolved.host.substr(0, resolved.host.rfind('/')), error);
    std::ofstream file(resolved.host, std::ios::binary | std::ios::trunc);
    file.write(content.data(), (std::streamsize)content.size());
    return (bool)file;
}

bool SimReadFile(const char* path, std::string* content) {
    SimPath resolved;
    if (!SimResolve(path, &resolved) || HostIsDir(resolved.host)) return false;
    std::ifstream file(resolved.host, std::ios::binary);
    if (!file) return false;
    std::stringstream text;
    text << file.rdbuf();
    *content = text.str();
    return true;
}

bool SimExists(const char* path) {
    SimPath resolved;
    struct stat st;
    return SimResolve(path, &resolved) && HostStat(resolved.host, &st);
}

bool SimIsDirectory(const char* path) {
    SimPath resolved;
    return SimResolve(path, &resolved) && HostIsDir(resolved.host);
}

void SimSetAttributes(const char* path, DWORD attributes) {
    SimPath resolved;
    if (SimResolve(path, &resolved))
        fileState.attributes[resolved.key] = attributes & ~(DWORD)FILE_ATTRIBUTE_DIRECTORY;
}

DWORD SimAttributes(const char* path) {
    SimPath resolved;
    struct stat st;
    if (!SimResolve(path, &resolved) || !HostStat(resolved.host, &st)) return INVALID_FILE_ATTRIBUTES;
    DWORD attributes = StoredAttributes(resolved.key);
    if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (S_ISLNK(st.st_mode)) attributes |= LinkAttributes(resolved.key, resolved.host);
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool SimCreateLink(const char* linkPath, const char* targetPath, bool directoryLink) {
    SimPath link, target;
    if (!SimResolve(linkPath, &link) || !SimResolve(targetPath, &target)) return false;
    std::error_code error;
    std::filesystem::create_directories(link.host.substr(0, link.host.rfind('/')), error);
    if (symlink(target.host.c_str(), link.host.c_str()) != 0) return false;
    fileState.links[link.key] = directoryLink;
    return true;
}

bool SimIsLink(const char* path) {
    SimPath resolved;
    return SimResolve(path, &resolved) && HostIsLink(resolved.host);
}

void SimSetInUse(const char* path, DWORD error) {
    SimPath resolved;
    if (!SimResolve(path, &resolved)) return;
    if (error)
        fileState.inUse[resolved.key] = error;
    else
        fileState.inUse.erase(resolved.key);
}

std::vector<std::string> SimListTree(const char* path) {
    std::vector<std::string> names;
    SimPath resolved;
    if (!SimResolve(path, &resolved) || !HostIsDir(resolved.host)) return names;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(resolved.host, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        // The iterator's paths extend the one it was given: the rest is the
        // relative path (std::filesystem::relative would resolve links per
        // component, a cost that every test's machine comparison pays).
        std::string relative = it->path().string().substr(resolved.host.size() + 1);
        std::replace(relative.begin(), relative.end(), '/', '\\');
        if (it->is_directory()) relative += "\\";
        names.push_back(relative);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return SimUpper(a) < SimUpper(b); });
    return names;
}

const std::vector<SimPendingDeletion>& SimPendingDeletions() { return pending; }

extern "C" {

BOOL WINAPI DeleteFileA(LPCSTR path) {
    if (SimFailHere("DeleteFileA", path)) return FALSE;
    SimPath resolved;
    struct stat st;
    bool statted;
    if (!ResolveAndStat(path, &resolved, &st, &statted)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!statted && !HostStat(resolved.host, &st)) {
        SetPathError(resolved);
        return FALSE;
    }
    bool directoryLink = S_ISLNK(st.st_mode) && IsDirectoryLink(resolved.key, resolved.host);
    if (S_ISDIR(st.st_mode) || directoryLink || (StoredAttributes(resolved.key) & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (DWORD error = InUseError(resolved.key)) {
        SetLastError(error);
        return FALSE;
    }
    if (unlink(resolved.host.c_str()) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    ForgetBelow(resolved.key);
    return TRUE;
}

BOOL WINAPI SetFileAttributesA(LPCSTR path, DWORD attributes) {
    if (SimFailHere("SetFileAttributesA", path)) return FALSE;
    SimPath resolved;
    struct stat st;
    if (!SimResolve(path, &resolved) || !HostStat(resolved.host, &st)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    fileState.attributes[resolved.key] =
        attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR path) {
    if (SimFailHere("GetFileAttributesA", path)) return INVALID_FILE_ATTRIBUTES;
    DWORD attributes = SimAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) SetLastError(ERROR_FILE_NOT_FOUND);
    return attributes;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, void*) {
    if (SimFailHere("CreateDirectoryA", path)) return FALSE;
    SimPath resolved;
    if (!SimResolve(path, &resolved)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(resolved.host.c_str(), 0755) != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR path) {
    if (SimFailHere("RemoveDirectoryA", path)) return FALSE;
    SimPath resolved;
    if (!SimResolve(path, &resolved)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (HostIsLink(resolved.host)) {
        // A directory link goes alone, whatever its target holds.
        if (!IsDirectoryLink(resolved.key, resolved.host)) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        if (unlink(resolved.host.c_str()) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        ForgetBelow(resolved.key);
        return TRUE;
    }
    if (!HostIsDir(resolved.host)) {
        SetPathError(resolved);
        return FALSE;
    }
    if (IsRootKey(resolved.key) || (StoredAttributes(resolved.key) & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (DWORD error = InUseError(resolved.key)) {
        SetLastError(error);
        return FALSE;
    }
    if (rmdir(resolved.host.c_str()) != 0) {
        SetLastError(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    ForgetBelow(resolved.key);
    return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    if (SimFailHere("MoveFileExA", from)) return FALSE;
    if (!from || !(flags & MOVEFILE_DELAY_UNTIL_REBOOT) || to) {
        SetLastError(ERROR_INVALID_PARAMETER);  // the kit only schedules deletions
        return FALSE;
    }
    pending.push_back(SimPendingDeletion{from});
    return TRUE;
}

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
    if (SimFailHere("FindFirstFileA", pattern)) {
        SimSpoil(found, sizeof *found);
        return INVALID_HANDLE_VALUE;
    }
    std::string text = pattern ? pattern : "";
    size_t slash = SimLastSeparator(text);
    std::string dirPart = slash == std::string::npos ? "" : text.substr(0, slash + 1);
    std::string namePattern = slash == std::string::npos ? text : text.substr(slash + 1);
    SimPath dir;
    if (namePattern.empty() || !SimResolve(dirPart.empty() ? "." : dirPart.c_str(), &dir) ||
        !HostIsDir(dir.host)) {
        SimSpoil(found, sizeof *found);
        SetLastError(namePattern.empty() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_unique<Search>();
    search->pattern = text;
    search->next = 0;
    // The listing is taken when the search starts, as the platform's
    // directory read does in blocks; "." and ".." lead except at a root.
    if (!IsRootKey(dir.key)) {
        if (Matches(namePattern.c_str(), ".")) search->entries.push_back(MakeFindData(".", FILE_ATTRIBUTE_DIRECTORY, 0));
        if (Matches(namePattern.c_str(), "..")) search->entries.push_back(MakeFindData("..", FILE_ATTRIBUTE_DIRECTORY, 0));
    }
    std::vector<std::string> names;
    // Entries are looked at relative to the open directory: a path from the
    // root per entry costs a walk down every level of a deep tree.
    DIR* listing = opendir(dir.host.c_str());
    if (listing) {
        while (dirent* entry = readdir(listing)) {
            if (strcmp(entry->d_name, ".") && strcmp(entry->d_name, "..")) names.push_back(entry->d_name);
        }
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (!Matches(namePattern.c_str(), name.c_str())) continue;
        struct stat st;
        if (fstatat(dirfd(listing), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        std::string key = dir.key + "\\" + SimUpper(name);
        DWORD attributes = StoredAttributes(key);
        if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (S_ISLNK(st.st_mode)) attributes |= LinkAttributes(key, dir.host + "/" + name);
        if (!attributes) attributes = FILE_ATTRIBUTE_NORMAL;
        bool sized = S_ISREG(st.st_mode);
        search->entries.push_back(
            MakeFindData(name, attributes, sized ? (uint64_t)st.st_size : 0, ShortNameOf(dirPart, name)));
    }
    if (listing) closedir(listing);
    if (search->entries.empty()) {
        SimSpoil(found, sizeof *found);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *found = search->entries[0];
    search->next = 1;
    HANDLE handle = (HANDLE)nextSearch++;
    searches[handle] = std::move(search);
    return handle;
}

BOOL WINAPI FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA found) {
    auto it = searches.find(handle);
    if (it == searches.end()) {
        SimSpoil(found, sizeof *found);
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (SimFailHere("FindNextFileA", it->second->pattern)) {
        SimSpoil(found, sizeof *found);
        return FALSE;
    }
    Search& search = *it->second;
    if (search.next >= search.entries.size()) {
        SimSpoil(found, sizeof *found);
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *found = search.entries[search.next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE handle) {
    auto found = searches.find(handle);
    SimFailHere("FindClose", found == searches.end() ? std::string() : found->second->pattern);
    if (searches.erase(handle) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"

int SimOpenSearches() { return (int)searches.size(); }
