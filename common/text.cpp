#include "text.h"

#include <string.h>

int CopyText(char* out, size_t size, const char* text) {
    if (size == 0) return 0;
    out[0] = 0;
    return AppendText(out, size, text);
}

int AppendText(char* out, size_t size, const char* text) {
    if (size == 0) return 0;
    size_t used = 0;  // strlen that stops at size: the buffer may hold no terminator
    while (used < size && out[used]) ++used;
    if (used >= size) {  // an unterminated buffer: cut it rather than read on
        out[size - 1] = 0;
        return 0;
    }
    size_t length = strlen(text);
    size_t room = size - 1 - used;
    size_t copied = length <= room ? length : room;
    memcpy(out + used, text, copied);
    out[used + copied] = 0;
    return copied == length;
}

int ComposeText(char* out, size_t size, const char* first, const char* second, const char* third) {
    int fits = CopyText(out, size, first);
    fits = AppendText(out, size, second) && fits;
    if (third) fits = AppendText(out, size, third) && fits;
    return fits;
}

static char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

int EqualsIgnoringCase(const char* a, const char* b) {
    while (*a && UpperAscii(*a) == UpperAscii(*b)) {
        ++a;
        ++b;
    }
    return UpperAscii(*a) == UpperAscii(*b);
}
