// The uninstaller's entry and its removal sequence, in one fixed order.
#include "../common/launch.h"
#include "../common/paths.h"
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

// The 95/98 family deletes what wininit.ini's [rename] section names at the
// next start, before Windows runs, where only short (8.3) names are
// understood: the directory goes in its short form (the names are 8.3
// already). NT ignores that file and keeps its own list, long names and all.
static void ScheduleDeletionAtRestart(const char* directory, const char* name) {
    if (!UninstallPaths.IsWindowsNT) {
        char shortDirectory[PATH_BUFFER_SIZE];
        ShortFormOfDirectory(directory, shortDirectory);
        if (UninstallPaths.WininitPath[0])
            ScheduleDeleteAtBoot(UninstallPaths.WininitPath, shortDirectory, name);
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
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKeyParent, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
    RegDeleteKeyTree(parent, kProductKeyName);
    RegDeleteKeyTree(parent, "LtxCplCmd");
    RegCloseKey(parent);
}

// The installer's files mark the install directory as the product's (see
// InstallDirIsRemovable): they go last, so that a run cut short while the
// directory is emptied still finds it the product's when run again. A
// backup still here is the only copy of the platform's library (it goes
// once the library is restored and the keys are gone): it stays for the
// user to put back by hand.
static void RemoveInstallDirectory() {
    static const char* const kKeepBackup[] = {"opengl32.sav", 0};
    static const char* const kKeepBackupAndMarks[] = {"opengl32.sav", "install.log", "uninstal.000", 0};
    const char* installDir = UninstallPaths.InstallDir;
    RemoveDirectoryTree(installDir, kKeepBackupAndMarks);
    DeleteProductFile(installDir, "install.log");
    DeleteProductFile(installDir, "uninstal.000");
    RemoveDirectoryTree(installDir, kKeepBackup);
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

    // The 95/98 family's boot-time list first: a run cut short while it
    // replaced wininit.ini may have left the old one aside.
    if (!paths.IsWindowsNT) RecoverWininit(paths.WininitPath);

    int restore = !EqualsIgnoringCase(tail ? tail : "", kNoRenameOption);
    if (restore && !RestoreSystemOpenGL()) {
        char text[1024];
        ComposeText(text, sizeof text, kInUseTextBefore, paths.InstallDir, kInUseTextAfter);
        ShowFatal(text);
    }

    StartInstallersUninstaller();
    DeleteProductKeys();
    if (restore) DeleteBackupOnceRestored();

    char driverDir[PATH_BUFFER_SIZE];
    if (JoinPath(driverDir, paths.SystemDir, "corelay\\")) RemoveDirectoryTree(driverDir);
    DeleteProductFile(paths.SystemDir, "vtl_d3d.dll");
    DeleteProductFile(paths.SystemDir, "vtl_sw.dll");

    RemoveAppletFile();

    if (removeInstallDir) RemoveInstallDirectory();
    return 0;
}
