// Restoring the platform's OpenGL library from the install directory's
// backup, and deleting the product's OpenGL files.
//
// opengl32.dll is deleted only while it is known to be the product's: it
// differs from the backup (which is the platform's own), or, with no
// backup, the product's key still exists. A library that is already the
// backup's twin is left as it is, and the backup goes only once the
// product's keys are gone (DeleteBackupOnceRestored). So a run cut short
// at any point, and run again, or a second run after a complete removal,
// never takes the platform's library.
#include "../common/paths.h"
#include "uninstall.h"

#include "../common/crt.h"

static const char kOpenGLLibrary[] = "opengl32.dll";
static const char kOpenGLBackup[] = "opengl32.sav";
static const char kOpenGLVariantA[] = "opengl32.fxa";
static const char kOpenGLVariantB[] = "opengl32.fxb";
static const char kHelperDriver[] = "tavrix.vxd";
static const char kStereoLibrary[] = "lentix.dll";
// The backup's copy beside the library until it takes the library's name.
// A fixed name of the product's own: a copy left by a run cut short is
// known for what it is and deleted by the next run.
const char kStagedLibrary[] = "vtl_ogl.tmp";

static const char kRestoreErrorTitle[] = "Uninstall Error!";
static const char kRestoreErrorText[] =
    "The uninstall could not restore the original opengl32.dll.\n"
    "Please contact Quillon Technical Support at (555) 555-0142\n"
    "to report this problem and get help uninstalling this product.";

static int AccessAllowed(const char* directory, const char* name, int mode) {
    char path[PATH_BUFFER_SIZE];
    return JoinPath(path, directory, name) && KitAccess(path, mode) == 0;
}

int FileExists(const char* directory, const char* name) { return AccessAllowed(directory, name, KIT_ACCESS_EXISTS); }

int FileWritable(const char* directory, const char* name) {
    return AccessAllowed(directory, name, KIT_ACCESS_READ_WRITE);
}

static void DeleteProductOpenGLFiles() {
    const UninstallPathsRecord& paths = UninstallPaths;
    DeleteProductFile(paths.InstallDir, kOpenGLVariantA);
    DeleteProductFile(paths.InstallDir, kOpenGLVariantB);
    DeleteProductFile(paths.SystemDir, kHelperDriver);
    DeleteProductFile(paths.SystemDir, kStereoLibrary);
}

// The backup is copied beside the library under the staged name and
// renamed into place only once complete, so the system directory never
// holds a partial opengl32.dll, and a copy that fails changes nothing.
int RestoreSystemOpenGL() {
    const UninstallPathsRecord& paths = UninstallPaths;
    char library[PATH_BUFFER_SIZE], backup[PATH_BUFFER_SIZE], staged[PATH_BUFFER_SIZE];
    if (!JoinPath(library, paths.SystemDir, kOpenGLLibrary) || !JoinPath(backup, paths.InstallDir, kOpenGLBackup))
        return 0;
    // Shorter than the library's name: it fits when that one does.
    JoinPath(staged, paths.SystemDir, kStagedLibrary);
    DeleteFileA(staged);  // left by a run cut short

    int libraryExists = FileExists(paths.SystemDir, kOpenGLLibrary);
    int backupExists = FileExists(paths.InstallDir, kOpenGLBackup);
    if (libraryExists && backupExists && FilesAreIdentical(library, backup)) {
        // Restored already, by a run that did not get to its end.
        DeleteProductOpenGLFiles();
        return 1;
    }
    if (libraryExists && !FileWritable(paths.SystemDir, kOpenGLLibrary)) return 0;
    if (!backupExists && (!libraryExists || ProductKeyState() != PRODUCT_KEY_PRESENT)) {
        // Nothing to put back, and a library that may be the platform's.
        DeleteProductOpenGLFiles();
        return 1;
    }

    int stagedCopy = 0;
    if (backupExists) {
        if (!CopyFileChunked(backup, staged)) return 0;
        stagedCopy = 1;
    }
    if (libraryExists && !DeleteFileA(library)) {
        if (stagedCopy) DeleteFileA(staged);
        MessageBoxA(0, kRestoreErrorText, kRestoreErrorTitle, MB_ICONERROR);
        ExitProcess(0);
    }
    if (stagedCopy && !MoveFileA(staged, library)) {
        // The library is gone; the backup stays for the user to put back.
        DeleteFileA(staged);
        return 0;
    }
    DeleteProductOpenGLFiles();
    return 1;
}

// Once the product's keys are gone and opengl32.dll is the backup's twin,
// the backup has done its work. Any doubt keeps it: it may be the only
// copy of the platform's library.
void DeleteBackupOnceRestored() {
    const UninstallPathsRecord& paths = UninstallPaths;
    char library[PATH_BUFFER_SIZE], backup[PATH_BUFFER_SIZE];
    if (!JoinPath(library, paths.SystemDir, kOpenGLLibrary) || !JoinPath(backup, paths.InstallDir, kOpenGLBackup))
        return;
    if (ProductKeyState() != PRODUCT_KEY_ABSENT || !FilesAreIdentical(library, backup)) return;
    DeleteFileA(backup);
}
