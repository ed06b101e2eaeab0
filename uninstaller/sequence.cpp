// The uninstaller's entry and its removal sequence, in one fixed order.
#include "../common/launch.h"
#include "../common/registry.h"
#include "../common/text.h"
#include "install_dir_guard.h"
#include "paths_record.h"
#include "uninstall.h"

static const char kNoRenameOption[] = "-norename";

static const char kPrivilegesText[] =
    "In order to uninstall this program you must have system administrator privledges.\n";
static const char kPrivilegesTitle[] = "Insufficient privledges!";
static const char kConfirmText[] = "Are you sure you want to remove Quillon Vantrell and all of its components?\n";
static const char kConfirmTitle[] = "Uninstall Quillon Vantrell?";
static const char kFatalTitle[] = "Fatal Error!";
static const char kNoDirectoriesText[] =
    "The uninstall could not find the Windows, system or install directory.\n\n"
    "Nothing has been changed.";
static const char kInUseTextBefore[] =
    "The OpenGL DLL is currently in use.\n\n"
    "Please exit any applications that may be using it\n"
    "or reboot your system and run this program again.\n\n"
    "If you get this message again, run\n\n";
static const char kInUseTextAfter[] =
    "uninstal.exe -norename\n\n"
    "from a MS-DOS prompt and this will not attempt to\n"
    "restore the original OpenGL DLL.";
static const char kSuccessText[] = "Quillon Vantrell has been successfully removed from your system.";
static const char kSuccessTitle[] = "Success!";
static const char kRestartText[] =
    "Quillon Vantrell has been successfully removed from your system.\n\n"
    "The Control Panel icon for Quillon Vantrell will be removed\n"
    "the next time you restart your system.";
static const char kRestartTitle[] = "Uninstall Information";

static const UINT kFatalStyle = MB_TASKMODAL | MB_ICONWARNING;
static const UINT kConfirmStyle = MB_TASKMODAL | MB_ICONQUESTION | MB_YESNO;

void ShowFatal(const char* text) {
    MessageBoxA(0, text, kFatalTitle, kFatalStyle);
    ExitProcess(1);
}

// A path that does not fit is not built: a cut path could name another file.
static int JoinPath(char* out, const char* directory, const char* name) {
    if (!directory[0]) {
        out[0] = 0;
        return 0;
    }
    if (ComposeText(out, PATH_BUFFER_SIZE, directory, name, 0)) return 1;
    out[0] = 0;
    return 0;
}

static void DeleteProductFile(const char* directory, const char* name) {
    char path[PATH_BUFFER_SIZE];
    if (JoinPath(path, directory, name)) DeleteFileA(path);
}

// The 95/98 family deletes what wininit.ini's [rename] section names at the
// next start; NT ignores that file and keeps its own list.
static void ScheduleDeletionAtRestart(const char* directory, const char* name) {
    if (!UninstallPaths.IsWindowsNT) {
        if (UninstallPaths.WininitPath[0]) ScheduleDeleteAtBoot(UninstallPaths.WininitPath, directory, name);
        return;
    }
    char path[PATH_BUFFER_SIZE];
    if (JoinPath(path, directory, name)) MoveFileExA(path, 0, MOVEFILE_DELAY_UNTIL_REBOOT);
}

static void StartInstallersUninstaller() {
    char arguments[PATH_BUFFER_SIZE];
    if (ComposeText(arguments, sizeof arguments, "/S ", UninstallPaths.InstallDirShort, "\\install.log"))
        LaunchCommand(UninstallPaths.InstallDir, "\\uninstal.000", arguments);
}

static void DeleteProductKeys() {
    HKEY parent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quillon Software", 0, KEY_ALL_ACCESS, &parent) !=
        ERROR_SUCCESS)
        return;
    RegDeleteKeyTree(parent, "Vantrell");
    RegDeleteKeyTree(parent, "LtxCplCmd");
    RegCloseKey(parent);
}

static void RemoveAppletFile() {
    const UninstallPathsRecord& paths = UninstallPaths;
    char path[PATH_BUFFER_SIZE];
    // An applet that is already gone counts as removed.
    if (JoinPath(path, paths.SystemDir, "VANTRELL.CPL") &&
        (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND)) {
        MessageBoxA(0, kSuccessText, kSuccessTitle, MB_ICONINFORMATION);
        return;
    }
    ScheduleDeletionAtRestart(paths.SystemDir, "VANTRELL.CPL");
    ScheduleDeletionAtRestart(paths.InstallDirShort, "UNINSTAL.EXE");
    MessageBoxA(0, kRestartText, kRestartTitle, MB_ICONINFORMATION);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
    if (!FillUninstallPaths(instance)) ShowFatal(kNoDirectoriesText);
    const UninstallPathsRecord& paths = UninstallPaths;

    if (paths.IsWindowsNT && !IsAdministrator()) {
        MessageBoxA(0, kPrivilegesText, kPrivilegesTitle, kFatalStyle);
        return -1;
    }
    // Decided before anything runs: the installer's uninstaller removes the
    // very files that mark the directory as the product's.
    int removeInstallDir = InstallDirIsRemovable();

    if (MessageBoxA(0, kConfirmText, kConfirmTitle, kConfirmStyle) != IDYES) return 0;

    int restore = !EqualsIgnoringCase(tail ? tail : "", kNoRenameOption);
    if (restore && !RestoreSystemOpenGL()) {
        char text[1024];
        ComposeText(text, sizeof text, kInUseTextBefore, paths.InstallDir, kInUseTextAfter);
        ShowFatal(text);
    }

    StartInstallersUninstaller();
    DeleteProductKeys();

    char driverDir[PATH_BUFFER_SIZE];
    if (JoinPath(driverDir, paths.SystemDir, "corelay\\")) RemoveDirectoryTree(driverDir);
    DeleteProductFile(paths.SystemDir, "vtl_d3d.dll");
    DeleteProductFile(paths.SystemDir, "vtl_sw.dll");

    RemoveAppletFile();

    // A backup still here is the only copy of the platform's library (the
    // restore deletes it once it is in place): it stays for the user to put
    // back by hand.
    if (removeInstallDir) RemoveDirectoryTree(paths.InstallDir, "opengl32.sav");
    return 0;
}
