#ifndef UNINSTALLER_MODULE_PATH_H
#define UNINSTALLER_MODULE_PATH_H

#include "../common/platform.h"

// out (PATH_BUFFER_SIZE bytes) = the full path of the program's module,
// spelt exactly in the ANSI code page (on NT in its short form where only
// that can be). 0, with out empty, when the platform cannot tell it or the
// code page cannot spell it: such a path would name another directory.
int ModulePath(HINSTANCE instance, char* out);

#endif
