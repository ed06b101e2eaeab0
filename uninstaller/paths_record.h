#ifndef UNINSTALLER_PATHS_RECORD_H
#define UNINSTALLER_PATHS_RECORD_H

#include "uninstall.h"

// Fills UninstallPaths. Returns 0 when the Windows, system or install
// directory cannot be told (or does not fit its buffer): the uninstaller
// must then change nothing, since every path it removes is built on them.
int FillUninstallPaths(HINSTANCE instance);

#endif
