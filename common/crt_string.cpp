// Memory and string functions for the Windows build, which links no C
// library. Built without the compiler's built-in versions (and without its
// turning loops into calls of these very functions). The host build
// compiles them under other names (crt.h) for their tests.
#include "crt.h"

#ifdef WINSIM
#define KIT_C(name) KitC_##name
#else
#include <string.h>
#define KIT_C(name) name
#endif

extern "C" {

void* KIT_C(memcpy)(void* to, const void* from, size_t length) {
    char* d = (char*)to;
    const char* s = (const char*)from;
    while (length--) *d++ = *s++;
    return to;
}

void* KIT_C(memmove)(void* to, const void* from, size_t length) {
    char* d = (char*)to;
    const char* s = (const char*)from;
    if (d < s) {
        while (length--) *d++ = *s++;
    } else if (d > s) {
        while (length--) d[length] = s[length];
    }
    return to;
}

void* KIT_C(memset)(void* to, int value, size_t length) {
    unsigned char* d = (unsigned char*)to;
    while (length--) *d++ = (unsigned char)value;
    return to;
}

int KIT_C(memcmp)(const void* a, const void* b, size_t length) {
    const unsigned char* x = (const unsigned char*)a;
    const unsigned char* y = (const unsigned char*)b;
    for (; length; --length, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

size_t KIT_C(strlen)(const char* text) {
    const char* end = text;
    while (*end) ++end;
    return (size_t)(end - text);
}

// The terminator counts as part of the text, as in the C library.
char* KIT_C(strchr)(const char* text, int c) {
    for (;; ++text) {
        if (*text == (char)c) return (char*)text;
        if (!*text) return 0;
    }
}

char* KIT_C(strrchr)(const char* text, int c) {
    const char* last = 0;
    for (;; ++text) {
        if (*text == (char)c) last = text;
        if (!*text) return (char*)last;
    }
}

}  // extern "C"
