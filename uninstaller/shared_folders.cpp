// Folders that other programs and the user keep their files in. Users do
// install into Program Files itself, or onto the Desktop: removing such an
// install directory as a tree would take everything in it.
#include "shared_folders.h"

#include "../common/paths.h"
#include "../common/platform.h"
#include "../common/text.h"

namespace {

enum { VALUE_NAME_SIZE = 256, MAX_SHELL_FOLDERS = 1024 };
enum Verdict { HOLDS_NONE, HOLDS_ONE };

const char kWindowsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kProfileListKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

struct InstallForms {
    const char* forms[2];
};

// A folder's short form with a trailing backslash, or the folder itself
// when it has none. 0 when the platform fails otherwise than for a folder
// that does not exist (which has no short form and holds nobody's files).
int ShortFormOfFolder(const char* folder, char* out) {
    DWORD length = GetShortPathNameA(folder, out, PATH_BUFFER_SIZE);
    if (length > 0 && length < PATH_BUFFER_SIZE && ApplyTrailingBackslash(out, PATH_BUFFER_SIZE)) return 1;
    if (length == 0 && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND) return 0;
    return CopyText(out, PATH_BUFFER_SIZE, folder);
}

// Whether the install directory is folder or holds it (HOLDS_ONE also when
// that cannot be told). An empty folder is none.
int Holds(const InstallForms& install, const char* folder) {
    if (!folder[0]) return HOLDS_NONE;
    // The platform spells a character the code page lacks as '?', which no
    // file name holds: such a folder cannot be compared.
    if (HoldsCharacter(folder, '?')) return HOLDS_ONE;
    char longForm[PATH_BUFFER_SIZE], shortForm[PATH_BUFFER_SIZE];
    if (!CopyText(longForm, sizeof longForm, folder) || !ApplyTrailingBackslash(longForm, sizeof longForm))
        return HOLDS_ONE;
    if (!ShortFormOfFolder(longForm, shortForm)) return HOLDS_ONE;
    const char* folderForms[] = {longForm, shortForm};
    for (const char* installForm : install.forms)
        for (const char* folderForm : folderForms)
            if (installForm[0] && StartsWithIgnoringCase(folderForm, installForm)) return HOLDS_ONE;
    return HOLDS_NONE;
}

// A folder value as stored (REG_SZ), or expanded (REG_EXPAND_SZ). 1 with
// the folder, 1 with the empty string for a value that names none (absent,
// of another type), 0 when it cannot be read.
int FolderOfValue(DWORD type, const char* data, char* out) {
    out[0] = 0;
    if (type == REG_SZ) return CopyText(out, PATH_BUFFER_SIZE, data);
    if (type != REG_EXPAND_SZ) return 1;
    DWORD length = ExpandEnvironmentStringsA(data, out, PATH_BUFFER_SIZE);
    if (length == 0 || length > PATH_BUFFER_SIZE) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

// Reads value data (a string of at most a path's length) into data. 1 read,
// 1 with data empty when the value is absent, 0 when it cannot be read.
int ReadStringValue(HKEY key, const char* name, DWORD* type, char* data) {
    DWORD size = PATH_BUFFER_SIZE - 1;
    data[0] = 0;
    LSTATUS status = RegQueryValueExA(key, name, 0, type, (LPBYTE)data, &size);
    if (status == ERROR_FILE_NOT_FOUND) {
        *type = REG_NONE;
        return 1;
    }
    if (status != ERROR_SUCCESS || size >= PATH_BUFFER_SIZE) {
        data[0] = 0;
        return 0;
    }
    data[size] = 0;  // a string stored without its terminator
    return 1;
}

// Opens a key for reading: 1 open, 1 with *key 0 when it is absent, 0 when
// it cannot be opened.
int OpenKey(HKEY root, const char* path, HKEY* key) {
    *key = 0;
    LSTATUS status = RegOpenKeyExA(root, path, 0, KEY_READ, key);
    if (status == ERROR_SUCCESS) return 1;
    *key = 0;
    return status == ERROR_FILE_NOT_FOUND;
}

int HoldsNamedValues(const InstallForms& install, HKEY root, const char* path, const char* const* names) {
    HKEY key;
    if (!OpenKey(root, path, &key)) return HOLDS_ONE;
    if (!key) return HOLDS_NONE;
    int verdict = HOLDS_NONE;
    for (; *names && verdict == HOLDS_NONE; ++names) {
        char data[PATH_BUFFER_SIZE], folder[PATH_BUFFER_SIZE];
        DWORD type = REG_NONE;
        if (!ReadStringValue(key, *names, &type, data) || !FolderOfValue(type, data, folder))
            verdict = HOLDS_ONE;
        else
            verdict = Holds(install, folder);
    }
    RegCloseKey(key);
    return verdict;
}

// Every value of a Shell Folders key.
int HoldsShellFolder(const InstallForms& install, HKEY root) {
    HKEY key;
    if (!OpenKey(root, kShellFoldersKey, &key)) return HOLDS_ONE;
    if (!key) return HOLDS_NONE;
    int verdict = HOLDS_NONE;
    for (DWORD index = 0; index < MAX_SHELL_FOLDERS && verdict == HOLDS_NONE; ++index) {
        char name[VALUE_NAME_SIZE], data[PATH_BUFFER_SIZE], folder[PATH_BUFFER_SIZE];
        DWORD nameSize = sizeof name, dataSize = PATH_BUFFER_SIZE - 1, type = REG_NONE;
        LSTATUS status = RegEnumValueA(key, index, name, &nameSize, 0, &type, (LPBYTE)data, &dataSize);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || dataSize >= PATH_BUFFER_SIZE) {
            verdict = HOLDS_ONE;
            break;
        }
        data[dataSize] = 0;
        verdict = FolderOfValue(type, data, folder) ? Holds(install, folder) : HOLDS_ONE;
    }
    RegCloseKey(key);
    return verdict;
}

int HoldsUserProfile(const InstallForms& install) {
    char folder[PATH_BUFFER_SIZE];
    DWORD length = GetEnvironmentVariableA("USERPROFILE", folder, sizeof folder);
    if (length == 0) return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? HOLDS_NONE : HOLDS_ONE;
    if (length >= sizeof folder) return HOLDS_ONE;
    return Holds(install, folder);
}

int HoldsTemporaryFolder(const InstallForms& install) {
    char folder[PATH_BUFFER_SIZE];
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return HOLDS_ONE;
    return Holds(install, folder);
}

}  // namespace

int InstallDirHoldsSharedFolder(const char* installLong, const char* installShort) {
    static const char* const kWindowsFolders[] = {"ProgramFilesDir", "CommonFilesDir", 0};
    static const char* const kProfileFolders[] = {"ProfilesDirectory", 0};
    InstallForms install = {{installLong, installShort}};
    return HoldsNamedValues(install, HKEY_LOCAL_MACHINE, kWindowsKey, kWindowsFolders) ||
           HoldsShellFolder(install, HKEY_CURRENT_USER) || HoldsShellFolder(install, HKEY_LOCAL_MACHINE) ||
           HoldsNamedValues(install, HKEY_LOCAL_MACHINE, kProfileListKey, kProfileFolders) ||
           HoldsUserProfile(install) || HoldsTemporaryFolder(install);
}
