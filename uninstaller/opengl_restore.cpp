// Restoring the platform's OpenGL library.
#include "uninstall.h"

// Not built yet: arrives with the file and rights operations. Until then
// the library is left as it is.
int RestoreSystemOpenGL() { return 1; }
