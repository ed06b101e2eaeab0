// Removal of a directory tree, as far as the platform allows.
#include "../common/paths.h"
#include "../common/text.h"
#include "uninstall.h"

static int IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

static int RemoveEmptyDirectory(const char* directory) {
    char path[PATH_BUFFER_SIZE];
    if (!CopyText(path, sizeof path, directory)) return 0;
    size_t length = 0;
    while (path[length]) ++length;
    if (length > 0 && path[length - 1] == '\\') path[length - 1] = 0;
    return RemoveDirectoryA(path) != 0;
}

// One listing of directory: deletes its files and removes its
// subdirectories' trees. Returns whether any entry went.
static int RemoveEntriesOnce(const char* directory, const char* pattern, const char* keepName);

// Returns whether the directory itself was removed.
static int RemoveTree(const char* directory, const char* keepName) {
    char pattern[PATH_BUFFER_SIZE];
    if (!directory[0]) return 0;
    if (!ComposeText(pattern, sizeof pattern, directory, "*.*", 0)) return RemoveEmptyDirectory(directory);
    // Entries go while the listing is read. Should the directory still not
    // be empty after a pass that removed something (a listing that moved
    // under the deletions), it is read again. Each further pass needs one
    // removed entry, so the loop ends, and a subdirectory that cannot go is
    // entered once per pass, not for ever.
    for (;;) {
        int removed = RemoveEntriesOnce(directory, pattern, keepName);
        if (RemoveEmptyDirectory(directory)) return 1;
        if (!removed) return 0;
    }
}

static int RemoveEntriesOnce(const char* directory, const char* pattern, const char* keepName) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int removed = 0;
    do {
        const char* name = found.cFileName;
        int isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (IsDotEntry(name) || (!isDirectory && keepName && EqualsIgnoringCase(name, keepName))) continue;
        char path[PATH_BUFFER_SIZE];
        if (!ComposeText(path, sizeof path, directory, name, 0)) continue;  // cannot be named: stays
        if (isDirectory) {
            if (ApplyTrailingBackslash(path, sizeof path) && RemoveTree(path, 0)) removed = 1;
        } else {
            SetFileAttributesA(path, 0);
            if (DeleteFileA(path)) removed = 1;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return removed;
}

void RemoveDirectoryTree(const char* directory, const char* keepName) { RemoveTree(directory, keepName); }
