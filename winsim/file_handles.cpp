// Simulated file handles: CreateFileA, ReadFile, WriteFile, SetFilePointer
// and the standard output, over the simulated drives. Share modes are kept:
// an open that an open handle's share mode excludes (or whose own share
// mode excludes an open handle's access) fails with a sharing violation,
// and a file open without delete sharing cannot be deleted or renamed. A
// disk that runs full takes what room it has left and then refuses.
#include "sim_internal.h"

#include <stdio.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct OpenFile {
    std::string key;  // the file's canonical path
    int fd;
    DWORD access;  // GENERIC_READ, GENERIC_WRITE
    DWORD share;   // FILE_SHARE_*
};

std::map<HANDLE, OpenFile> files;
uintptr_t nextHandle = 0x5000;
HANDLE const kStandardOutput = (HANDLE)(uintptr_t)0x4F00;
long long diskSpace = -1;
std::string standardOutput;
SimStandardOutputKind standardOutputKind = SimOutputWhole;

void Misuse(const char* what) {
    fprintf(stderr, "simulated platform: %s\n", what);
    abort();
}

DWORD StoredAttributes(const std::string& key) {
    auto found = SimFiles().attributes.find(key);
    return found == SimFiles().attributes.end() ? 0 : found->second;
}

bool SharingAllows(const std::string& key, DWORD access, DWORD share) {
    for (const auto& entry : files) {
        const OpenFile& open = entry.second;
        if (open.key != key) continue;
        if (((access & GENERIC_READ) && !(open.share & FILE_SHARE_READ)) ||
            ((access & GENERIC_WRITE) && !(open.share & FILE_SHARE_WRITE)) ||
            ((open.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
            ((open.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE)))
            return false;
    }
    return true;
}

void Release(std::map<HANDLE, OpenFile>::iterator it) {
    close(it->second.fd);
    if (!(it->second.share & FILE_SHARE_DELETE)) {
        auto& undeletable = SimFiles().undeletable;
        if (--undeletable[it->second.key] <= 0) undeletable.erase(it->second.key);
    }
    files.erase(it);
}

OpenFile* Known(HANDLE handle) {
    auto found = files.find(handle);
    return found == files.end() ? nullptr : &found->second;
}

}  // namespace

void SimFileHandlesReset() {
    while (!files.empty()) Release(files.begin());
    diskSpace = -1;
    standardOutput.clear();
    standardOutputKind = SimOutputWhole;
}

void SimSetStandardOutput(SimStandardOutputKind kind) { standardOutputKind = kind; }

// For CloseHandle: whether handle is a file handle, and its file.
bool SimFileHandleKey(HANDLE handle, std::string* key) {
    OpenFile* open = Known(handle);
    if (open) *key = open->key;
    return open != nullptr || handle == kStandardOutput;
}

void SimReleaseFileHandle(HANDLE handle) {
    auto found = files.find(handle);
    if (found != files.end()) Release(found);
}

int SimOpenFileHandles() { return (int)files.size(); }
void SimSetDiskSpace(long long bytes) { diskSpace = bytes; }
const std::string& SimStandardOutput() { return standardOutput; }

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD,
                          HANDLE templateFile) {
    if (SimFailHere("CreateFileA", path)) return INVALID_HANDLE_VALUE;
    if (security || templateFile || !(access & (GENERIC_READ | GENERIC_WRITE)) ||
        (access & ~(DWORD)(GENERIC_READ | GENERIC_WRITE)) ||
        (disposition != OPEN_EXISTING && disposition != CREATE_ALWAYS))
        Misuse("CreateFileA beyond what the simulation offers");
    SimPath resolved;
    if (!SimResolve(path, &resolved)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    bool exists = stat(resolved.host.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (!exists && disposition == OPEN_EXISTING) {
        std::string parent = resolved.host.substr(0, resolved.host.rfind('/'));
        bool parentIsDir = stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        SetLastError(parentIsDir ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    bool writing = (access & GENERIC_WRITE) != 0;
    if (exists && writing && (StoredAttributes(resolved.key) & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    // A file that a test holds (a loaded library, a running program)
    // cannot be written; another handle's share mode may exclude this open.
    if ((exists && writing && SimFiles().inUse.count(resolved.key)) || !SharingAllows(resolved.key, access, share)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    int flags = (access & GENERIC_READ) && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
    if (disposition == CREATE_ALWAYS) flags |= O_CREAT | O_TRUNC;
    int fd = open(resolved.host.c_str(), flags, 0644);
    if (fd < 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = (HANDLE)nextHandle++;
    files[handle] = OpenFile{resolved.key, fd, access, share};
    if (!(share & FILE_SHARE_DELETE)) ++SimFiles().undeletable[resolved.key];
    // CREATE_ALWAYS over an existing file reports it, and succeeds.
    SetLastError(exists && disposition == CREATE_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, void* overlapped) {
    OpenFile* open = Known(handle);
    if (!read || overlapped) Misuse("ReadFile without a count, or overlapped");
    *read = 0;
    if (SimFailHere("ReadFile", open ? open->key : std::string())) {
        SimSpoil(buffer, toRead);
        return FALSE;
    }
    if (!open) {
        SimSpoil(buffer, toRead);
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(open->access & GENERIC_READ)) {
        SimSpoil(buffer, toRead);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD done = 0;
    while (done < toRead) {
        ssize_t got = ::read(open->fd, (char*)buffer + done, toRead - done);
        if (got < 0) {
            SimSpoil((char*)buffer + done, toRead - done);
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (got == 0) break;  // the end of the file: success, short
        done += (DWORD)got;
    }
    *read = done;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written, void* overlapped) {
    OpenFile* open = Known(handle);
    if (!written || overlapped) Misuse("WriteFile without a count, or overlapped");
    *written = 0;
    if (SimFailHere("WriteFile", open ? open->key : std::string())) return FALSE;
    if (handle == kStandardOutput) {
        DWORD taken = standardOutputKind == SimOutputShort && toWrite > 0 ? toWrite - 1 : toWrite;
        standardOutput.append((const char*)buffer, taken);
        *written = taken;
        return TRUE;
    }
    if (!open) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!(open->access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD room = toWrite;
    if (diskSpace >= 0 && (long long)room > diskSpace) room = (DWORD)diskSpace;
    DWORD done = 0;
    while (done < room) {
        ssize_t put = ::write(open->fd, (const char*)buffer + done, room - done);
        if (put <= 0) break;
        done += (DWORD)put;
    }
    if (diskSpace >= 0) diskSpace -= (long long)done;
    *written = done;
    if (done < toWrite) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return TRUE;
}

// 32-bit positions only: distanceHigh must be 0, as the kit passes it.
DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
    OpenFile* open = Known(handle);
    if (distanceHigh) Misuse("SetFilePointer with a high part");
    if (SimFailHere("SetFilePointer", open ? open->key : std::string())) return INVALID_SET_FILE_POINTER;
    if (!open || method > FILE_END) {
        SetLastError(open ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    off_t base = method == FILE_BEGIN ? 0 : lseek(open->fd, 0, method == FILE_CURRENT ? SEEK_CUR : SEEK_END);
    long long target = (long long)base + distance;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (target >= 0xFFFFFFFFLL || lseek(open->fd, (off_t)target, SEEK_SET) < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    return (DWORD)target;
}

HANDLE WINAPI GetStdHandle(DWORD which) {
    if (SimFailHere("GetStdHandle")) return INVALID_HANDLE_VALUE;
    if (which != STD_OUTPUT_HANDLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return standardOutputKind == SimOutputNone ? nullptr : kStandardOutput;
}

}  // extern "C"
