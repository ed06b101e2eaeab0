// Byte-for-byte comparison of two files.
#include "uninstall.h"

#include <string.h>

#include "../common/crt.h"

enum { COMPARE_BLOCK_SIZE = 16384 };

static int SameContent(FILE* first, FILE* second, char* blocks) {
    char* a = blocks;
    char* b = blocks + COMPARE_BLOCK_SIZE;
    for (;;) {
        size_t readA = fread(a, 1, COMPARE_BLOCK_SIZE, first);
        size_t readB = fread(b, 1, COMPARE_BLOCK_SIZE, second);
        if (readA != readB || memcmp(a, b, readA) != 0) return 0;
        if (readA < COMPARE_BLOCK_SIZE) return !ferror(first) && !ferror(second);
    }
}

int FilesAreIdentical(const char* firstPath, const char* secondPath) {
    FILE* first = fopen(firstPath, "rb");
    if (!first) return 0;
    FILE* second = fopen(secondPath, "rb");
    int same = 0;
    if (second) {
        // One heap block holds both blocks, allocated per call.
        char* blocks = (char*)malloc(2 * COMPARE_BLOCK_SIZE);
        same = blocks && SameContent(first, second, blocks);
        free(blocks);
        fclose(second);
    }
    fclose(first);
    return same;
}
