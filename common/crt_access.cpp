// The access test by the file's attributes.
#include "crt.h"

int KitAccess(const char* path, int mode) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return -1;
    if ((mode & 2) && (attributes & FILE_ATTRIBUTE_READONLY)) return -1;
    return 0;
}
