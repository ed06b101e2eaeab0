// Fills the run's record of directories from the platform's queries.
#include "paths_record.h"

#include "../common/paths.h"
#include "../common/text.h"
#include "module_path.h"

UninstallPathsRecord UninstallPaths;

// A directory query's answer with a trailing backslash, or 0 (and the
// empty string) when the query failed or the answer does not fit, the
// backslash included.
static int QueryDirectory(UINT(WINAPI* query)(LPSTR, UINT), char* out) {
    out[0] = 0;
    UINT length = query(out, PATH_BUFFER_SIZE);
    if (length == 0 || length >= PATH_BUFFER_SIZE || !ApplyTrailingBackslash(out, PATH_BUFFER_SIZE)) {
        out[0] = 0;
        return 0;
    }
    return 1;
}

int FillUninstallPaths(HINSTANCE instance) {
    UninstallPathsRecord& paths = UninstallPaths;
    int complete = QueryDirectory(GetWindowsDirectoryA, paths.WindowsDir);
    complete = QueryDirectory(GetSystemDirectoryA, paths.SystemDir) && complete;
    DetectPlatform();
    if (!ComposeText(paths.WininitPath, sizeof paths.WininitPath, paths.WindowsDir, "wininit.ini", 0) ||
        !paths.WindowsDir[0])
        paths.WininitPath[0] = 0;

    char modulePath[PATH_BUFFER_SIZE];
    paths.InstallDir[0] = 0;
    if (ModulePath(instance, modulePath)) DirectoryOfPath(modulePath, paths.InstallDir, sizeof paths.InstallDir);
    if (!ApplyTrailingBackslash(paths.InstallDir, sizeof paths.InstallDir)) {
        paths.InstallDir[0] = 0;
        complete = 0;
    }

    // Without a short form the long one stands in: never a stale buffer.
    ShortFormOfDirectory(paths.InstallDir, paths.InstallDirShort);
    return complete;
}

void DetectPlatform() { UninstallPaths.IsWindowsNT = (GetVersion() & 0x80000000u) == 0; }
