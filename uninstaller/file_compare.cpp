// Byte-for-byte comparison of two files.
#include "uninstall.h"

#include <string.h>

#include "../common/crt.h"

enum { COMPARE_BLOCK_SIZE = 16384 };

static int SameContent(KitFile* first, KitFile* second, char* blocks) {
    char* a = blocks;
    char* b = blocks + COMPARE_BLOCK_SIZE;
    for (;;) {
        size_t readA = KitRead(a, 1, COMPARE_BLOCK_SIZE, first);
        size_t readB = KitRead(b, 1, COMPARE_BLOCK_SIZE, second);
        if (readA != readB || memcmp(a, b, readA) != 0) return 0;
        if (readA < COMPARE_BLOCK_SIZE) return !KitError(first) && !KitError(second);
    }
}

int FilesAreIdentical(const char* firstPath, const char* secondPath) {
    KitFile* first = KitOpen(firstPath, KIT_OPEN_READ);
    if (!first) return 0;
    KitFile* second = KitOpen(secondPath, KIT_OPEN_READ);
    int same = 0;
    if (second) {
        // One heap block holds both blocks, allocated per call.
        char* blocks = (char*)KitAlloc(2 * COMPARE_BLOCK_SIZE);
        same = blocks && SameContent(first, second, blocks);
        KitFree(blocks);
        KitClose(second);
    }
    KitClose(first);
    return same;
}
