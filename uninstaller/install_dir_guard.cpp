// The uninstaller removes "its own directory"; a copy run from elsewhere
// must not wipe that folder.
#include "install_dir_guard.h"

#include "shared_folders.h"

#include "../common/paths.h"
#include "../common/text.h"
#include "uninstall.h"


static int HoldsFile(const char* directory, const char* name) {
    char path[PATH_BUFFER_SIZE];
    if (!ComposeText(path, sizeof path, directory, name, 0)) return 0;
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "X:\" or "\\server\share\": nothing but the root.
static int IsRoot(const char* directory) {
    if (directory[0] && directory[1] == ':') return directory[2] == '\\' && directory[3] == 0;
    if (directory[0] == '\\' && directory[1] == '\\') {
        const char* share = FirstBackslash(directory + 2);
        const char* rest = share ? FirstBackslash(share + 1) : 0;
        return !rest || rest[1] == 0;
    }
    return 0;
}

// outer and inner end with a backslash: inner lies in outer or is it.
static int ContainsOrIs(const char* outer, const char* inner) {
    return outer[0] && StartsWithIgnoringCase(inner, outer);
}

int InstallDirIsRemovable() {
    const UninstallPathsRecord& paths = UninstallPaths;
    if (!paths.InstallDir[0] || !paths.WindowsDir[0] || !paths.SystemDir[0]) return 0;
    if (!HoldsFile(paths.InstallDir, "uninstal.000") && !HoldsFile(paths.InstallDir, "install.log")) return 0;

    char windowsShort[PATH_BUFFER_SIZE], systemShort[PATH_BUFFER_SIZE];
    ShortFormOfDirectory(paths.WindowsDir, windowsShort);
    ShortFormOfDirectory(paths.SystemDir, systemShort);
    const char* installForms[] = {paths.InstallDir, paths.InstallDirShort};
    const char* protectedDirs[] = {paths.WindowsDir, windowsShort, paths.SystemDir, systemShort};
    for (const char* install : installForms) {
        if (IsRoot(install)) return 0;
        for (const char* kept : protectedDirs)
            if (ContainsOrIs(install, kept)) return 0;
    }
    return !InstallDirHoldsSharedFolder(paths.InstallDir, paths.InstallDirShort);
}
