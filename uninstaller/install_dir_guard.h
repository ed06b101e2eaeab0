#ifndef UNINSTALLER_INSTALL_DIR_GUARD_H
#define UNINSTALLER_INSTALL_DIR_GUARD_H

// Whether the install directory of UninstallPaths may be removed as a
// whole: it holds the installer's files (uninstal.000 or install.log) and
// is neither a drive root nor the Windows or system directory nor one that
// contains them, nor a folder that others keep their files in or one that
// holds such a folder (shared_folders.h). Ask before the installer's uninstaller runs, which removes
// its own files.
int InstallDirIsRemovable();

#endif
