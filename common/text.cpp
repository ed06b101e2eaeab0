#include "text.h"

#include "platform.h"

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

const char* NextCharacter(const char* text) {
    if (!*text) return text;
    return IsDBCSLeadByte((BYTE)*text) && text[1] ? text + 2 : text + 1;
}

const char* LastBackslash(const char* text) {
    const char* last = 0;
    for (; *text; text = NextCharacter(text))
        if (*text == '\\') last = text;
    return last;
}

const char* FirstBackslash(const char* text) {
    for (; *text; text = NextCharacter(text))
        if (*text == '\\') return text;
    return 0;
}

int EndsWithBackslash(const char* text) {
    const char* last = LastBackslash(text);
    return last && last[1] == 0;
}

static char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

// Compares the characters at a and b; *length is the bytes of the one at a.
static int SameCharacter(const char* a, const char* b, size_t* length) {
    *length = (size_t)(NextCharacter(a) - a);
    // b's first byte is then the same lead byte and its second the same
    // trail byte: b's character is the same two bytes.
    if (*length == 2) return a[0] == b[0] && a[1] == b[1];
    if (*a && IsDBCSLeadByte((BYTE)*b) && b[1]) return 0;
    return UpperAscii(*a) == UpperAscii(*b);
}

int EqualsIgnoringCase(const char* a, const char* b) {
    for (;;) {
        size_t length;
        if (!SameCharacter(a, b, &length)) return 0;
        if (!*a) return 1;
        a += length;
        b += length;
    }
}

int StartsWithIgnoringCase(const char* text, const char* prefix) {
    for (; *prefix;) {
        size_t length;
        if (!SameCharacter(prefix, text, &length)) return 0;
        prefix += length;
        text += length;
    }
    return 1;
}

int HoldsCharacter(const char* text, char wanted) {
    for (; *text; text = NextCharacter(text))
        if (*text == wanted) return 1;
    return 0;
}
