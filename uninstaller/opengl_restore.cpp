// Restoring the platform's OpenGL library from the install directory's
// backup, and deleting the product's OpenGL files.
#include "../common/text.h"
#include "uninstall.h"

#include "../common/crt.h"

static const char kOpenGLLibrary[] = "opengl32.dll";
static const char kOpenGLBackup[] = "opengl32.sav";
static const char kOpenGLVariantA[] = "opengl32.fxa";
static const char kOpenGLVariantB[] = "opengl32.fxb";
static const char kHelperDriver[] = "tavrix.vxd";
static const char kStereoLibrary[] = "lentix.dll";
static const char kTempPrefix[] = "VTL";

static const char kRestoreErrorTitle[] = "Uninstall Error!";
static const char kRestoreErrorText[] =
    "The uninstall could not restore the original opengl32.dll.\n"
    "Please contact Quillon Technical Support at (555) 555-0142\n"
    "to report this problem and get help uninstalling this product.";

// The access test's modes: existence, and reading with writing.
enum { ACCESS_EXISTS = 0, ACCESS_READ_WRITE = 6 };

// A path that does not fit is not built: a cut path could name another file.
static int JoinPath(char* out, const char* directory, const char* name) {
    if (directory[0] && ComposeText(out, PATH_BUFFER_SIZE, directory, name, 0)) return 1;
    out[0] = 0;
    return 0;
}

static int AccessAllowed(const char* directory, const char* name, int mode) {
    char path[PATH_BUFFER_SIZE];
    return JoinPath(path, directory, name) && _access(path, mode) == 0;
}

int FileExists(const char* directory, const char* name) { return AccessAllowed(directory, name, ACCESS_EXISTS); }

int FileWritable(const char* directory, const char* name) {
    return AccessAllowed(directory, name, ACCESS_READ_WRITE);
}

static void DeleteProductFile(const char* directory, const char* name) {
    char path[PATH_BUFFER_SIZE];
    if (JoinPath(path, directory, name)) DeleteFileA(path);
}

// The backup is copied beside the library under a fresh name and renamed
// into place only once complete, so the system directory never holds a
// partial opengl32.dll, and a copy that fails changes nothing. The backup
// itself goes only once the library is restored.
int RestoreSystemOpenGL() {
    const UninstallPathsRecord& paths = UninstallPaths;
    char library[PATH_BUFFER_SIZE], backup[PATH_BUFFER_SIZE], staged[PATH_BUFFER_SIZE];
    if (!JoinPath(library, paths.SystemDir, kOpenGLLibrary) || !JoinPath(backup, paths.InstallDir, kOpenGLBackup))
        return 0;
    if (!FileExists(paths.SystemDir, kOpenGLLibrary) || !FileWritable(paths.SystemDir, kOpenGLLibrary)) return 0;

    staged[0] = 0;
    if (FileExists(paths.InstallDir, kOpenGLBackup)) {
        if (!GetTempFileNameA(paths.SystemDir, kTempPrefix, 0, staged)) return 0;
        if (!CopyFileChunked(backup, staged)) {
            DeleteFileA(staged);
            return 0;
        }
    }
    if (!DeleteFileA(library)) {
        if (staged[0]) DeleteFileA(staged);
        MessageBoxA(0, kRestoreErrorText, kRestoreErrorTitle, MB_ICONERROR);
        ExitProcess(0);
    }
    if (staged[0] && !MoveFileA(staged, library)) {
        // The library is gone; the backup stays for the user to put back.
        DeleteFileA(staged);
        return 0;
    }

    DeleteProductFile(paths.InstallDir, kOpenGLVariantA);
    DeleteProductFile(paths.InstallDir, kOpenGLVariantB);
    DeleteProductFile(paths.SystemDir, kHelperDriver);
    // A backup that the access test did not show may still be there: unless
    // it was put in place, it is the only copy of the platform's library.
    if (staged[0]) DeleteProductFile(paths.InstallDir, kOpenGLBackup);
    DeleteProductFile(paths.SystemDir, kStereoLibrary);
    return 1;
}
