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
    // The last character, when a backslash: a trail byte 0x5C stays.
    if (EndsWithBackslash(path)) *(char*)LastBackslash(path) = 0;
    return RemoveDirectoryA(path) != 0;
}

static void RemoveEntriesOnce(const char* directory, const char* pattern, const char* const* keepNames,
                              RemovalPass* pass);

// Returns whether the directory itself was removed.
static int RemoveTree(const char* directory, const char* const* keepNames) {
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
        RemoveEntriesOnce(directory, pattern, keepNames, &pass);
        if (RemoveEmptyDirectory(directory)) return 1;
        if (pass.stayed || !pass.removed) return 0;
    }
}

static int IsKept(const char* name, const char* const* keepNames) {
    for (; keepNames && *keepNames; ++keepNames)
        if (EqualsIgnoringCase(name, *keepNames)) return 1;
    return 0;
}

// A link (junction, directory symbolic link, mount point, file symbolic
// link) goes as a link: what it points to is not the product's, and may be
// the tree's own parent. A directory link is removed as a directory, which
// takes the link alone; where the platform shows a link to a directory but
// takes it only as a file, it is deleted as one.
static int RemoveLink(const char* path, int isDirectory) {
    if (!isDirectory) return DeleteFileA(path) != 0;
    // Wine's way (the end-to-end scenarios show it); the simulation, as NT,
    // removes a directory link as a directory.
    return RemoveEmptyDirectory(path) || DeleteFileA(path) != 0;  // GCOVR_EXCL_BR_LINE
}

// The entry's name as the listing gives it; on NT a character that the ANSI
// code page lacks comes back as '?', which names no file: the entry is then
// named by its short name, or, without one, cannot be named (0).
static const char* UsableName(const WIN32_FIND_DATAA& found) {
    if (!HoldsCharacter(found.cFileName, '?')) return found.cFileName;
    const char* alternate = found.cAlternateFileName;
    return alternate[0] && !HoldsCharacter(alternate, '?') ? alternate : 0;
}

static void RemoveEntriesOnce(const char* directory, const char* pattern, const char* const* keepNames, RemovalPass* pass) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        found.cAlternateFileName[sizeof found.cAlternateFileName - 1] = 0;
        const char* name = UsableName(found);
        if (!name) {
            ++pass->stayed;
            continue;
        }
        DWORD attributes = found.dwFileAttributes;
        int isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (IsDotEntry(name)) continue;
        int kept = !isDirectory && IsKept(name, keepNames);
        int gone = 0;
        char path[PATH_BUFFER_SIZE];
        // An entry whose path does not fit the buffer cannot be named: it stays.
        if (!kept && ComposeText(path, sizeof path, directory, name, 0)) {
            if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                gone = RemoveLink(path, isDirectory);
            } else if (isDirectory) {
                gone = ApplyTrailingBackslash(path, sizeof path) && RemoveTree(path, 0);
            } else {
                // Read-only, hidden and system files go too: their
                // attributes are cleared first. The listing tells which
                // files have any, which spares the other files a call.
                if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
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

void RemoveDirectoryTree(const char* directory, const char* const* keepNames) { RemoveTree(directory, keepNames); }
