/* Paths that the ANSI code page cannot spell, passed in ASCII: each %uXXXX
 * stands for that UTF-16 code unit (in hex), every other byte for itself. */
#ifndef E2E_WIDE_ESCAPE_H
#define E2E_WIDE_ESCAPE_H

#include <windows.h>
#include <stdlib.h>
#include <string.h>

/* 0 when text does not fit size code units with the terminator. */
static int DecodeEscapedWide(const char* text, WCHAR* out, size_t size) {
    size_t n = 0;
    while (*text) {
        if (n + 1 >= size) return 0;
        if (text[0] == '%' && text[1] == 'u' && strlen(text) >= 6) {
            char hex[5];
            memcpy(hex, text + 2, 4);
            hex[4] = 0;
            out[n++] = (WCHAR)strtoul(hex, NULL, 16);
            text += 6;
        } else {
            out[n++] = (WCHAR)(unsigned char)*text++;
        }
    }
    out[n] = 0;
    return 1;
}

#endif
