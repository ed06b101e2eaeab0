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
// ASCII letters compare without regard to case.
int EqualsIgnoringCase(const char* a, const char* b);

#endif
