// The one place that brings in the platform's declarations. The Windows
// build gets the real headers; the host build finds the simulated
// platform's windows.h first on its include path.
#ifndef COMMON_PLATFORM_H
#define COMMON_PLATFORM_H

#include <windows.h>

// Path buffers hold the platform's maximum path length with the terminator.
enum { PATH_BUFFER_SIZE = MAX_PATH };

#endif
