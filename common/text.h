// Bounded text composition into fixed buffers. Every function terminates
// its output when size is not 0 and never writes past size bytes; the
// result tells whether the whole text fitted (1) or was cut (0).
#ifndef COMMON_TEXT_H
#define COMMON_TEXT_H

#include <stddef.h>

int CopyText(char* out, size_t size, const char* text);
int AppendText(char* out, size_t size, const char* text);
// out = first + second + third (third may be 0).
int ComposeText(char* out, size_t size, const char* first, const char* second, const char* third);
// Texts in the platform's ANSI code page, taken character by character: on
// a double-byte code page (932, 936, 949, 950) the second byte of a
// character may be 0x5C, the backslash's byte, or fall in the range of
// ASCII letters; it is never taken for either.

// The character after the one at text (text itself at the terminator).
const char* NextCharacter(const char* text);
// The last backslash of text that is a character of its own, or 0.
const char* LastBackslash(const char* text);
const char* FirstBackslash(const char* text);
// Whether text's last character is a backslash.
int EndsWithBackslash(const char* text);
// Whether text holds wanted (an ASCII character) as a character of its own.
int HoldsCharacter(const char* text, char wanted);
// ASCII letters compare without regard to case, whatever the locale (a
// path's "I" is "i" on every system); every other character, and both bytes
// of a double-byte one, as they stand.
int EqualsIgnoringCase(const char* a, const char* b);
// Whether text begins with prefix, compared as EqualsIgnoringCase does, the
// prefix ending at a character's end in text.
int StartsWithIgnoringCase(const char* text, const char* prefix);

#endif
