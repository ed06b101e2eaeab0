// Chunked file copy.
#include "uninstall.h"

// Not built yet: arrives with the file and rights operations.
int CopyFileChunked(const char*, const char*) { return 0; }
