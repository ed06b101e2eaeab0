// Removal of a directory tree, as far as the platform allows.
#include "../common/paths.h"
#include "../common/text.h"
#include "uninstall.h"

// What one listing of a directory did with its entries.
struct RemovalPass {
    int removed;  // entries that went
    int stayed;   // entries that could not go (or were to be kept)
};

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

static void RemoveEntriesOnce(const char* directory, const char* pattern, const char* keepName, RemovalPass* pass);

// Returns whether the directory itself was removed.
static int RemoveTree(const char* directory, const char* keepName) {
    char pattern[PATH_BUFFER_SIZE];
    if (!directory[0]) return 0;
    if (!ComposeText(pattern, sizeof pattern, directory, "*.*", 0)) return RemoveEmptyDirectory(directory);
    // Entries go while the listing is read, and a search need not show the
    // changes made under it: when a pass removed all it saw and the
    // directory is still not empty, it is read again. Once an entry stays
    // the directory cannot be emptied, so there is no further pass. Each
    // further pass needs a removed entry, so the loop ends, and a
    // subdirectory that cannot go is entered once, which keeps the work
    // linear in the number of entries.
    for (;;) {
        RemovalPass pass = {0, 0};
        RemoveEntriesOnce(directory, pattern, keepName, &pass);
        if (RemoveEmptyDirectory(directory)) return 1;
        if (pass.stayed || !pass.removed) return 0;
    }
}

static void RemoveEntriesOnce(const char* directory, const char* pattern, const char* keepName, RemovalPass* pass) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const char* name = found.cFileName;
        int isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (IsDotEntry(name)) continue;
        int kept = !isDirectory && keepName && EqualsIgnoringCase(name, keepName);
        int gone = 0;
        char path[PATH_BUFFER_SIZE];
        // An entry whose path does not fit the buffer cannot be named: it stays.
        if (!kept && ComposeText(path, sizeof path, directory, name, 0)) {
            if (isDirectory) {
                gone = ApplyTrailingBackslash(path, sizeof path) && RemoveTree(path, 0);
            } else {
                // Read-only, hidden and system files go too: their
                // attributes are cleared first. The listing tells which
                // files have any, which spares the other files a call.
                if (found.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
                    SetFileAttributesA(path, 0);
                gone = DeleteFileA(path) != 0;
            }
        }
        if (gone)
            ++pass->removed;
        else
            ++pass->stayed;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void RemoveDirectoryTree(const char* directory, const char* keepName) { RemoveTree(directory, keepName); }
