/* Names that the ANSI code page cannot spell, for tests under any locale:
 * a path is given in ASCII with each other character written %uXXXX (its
 * UTF-16 code unit in hex).
 *   widepath move <from> <to>   renames with MoveFileW
 *   widepath short <path>       prints GetShortPathNameW's answer (which
 *                               must be ASCII) */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "wide_escape.h"

int main(int argc, char** argv) {
    WCHAR first[MAX_PATH], second[MAX_PATH];
    if (argc == 4 && strcmp(argv[1], "move") == 0) {
        if (!DecodeEscapedWide(argv[2], first, MAX_PATH) || !DecodeEscapedWide(argv[3], second, MAX_PATH)) return 2;
        if (MoveFileW(first, second)) return 0;
        fprintf(stderr, "widepath: MoveFileW failed, error %lu\n", GetLastError());
        return 1;
    }
    if (argc == 3 && strcmp(argv[1], "short") == 0) {
        DWORD length, i;
        if (!DecodeEscapedWide(argv[2], first, MAX_PATH)) return 2;
        length = GetShortPathNameW(first, second, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return 1;
        for (i = 0; i < length; ++i)
            if (second[i] > 0x7E) return 1;
        for (i = 0; i < length; ++i) putchar((char)second[i]);
        putchar('\n');
        return 0;
    }
    fprintf(stderr, "usage: widepath move <from> <to> | widepath short <path>\n");
    return 2;
}
