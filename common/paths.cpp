#include "paths.h"

#include "platform.h"
#include "text.h"

#include <string.h>

// strlen that stops at size: the buffer may hold no terminator.
static size_t BoundedLength(const char* text, size_t size) {
    size_t length = 0;
    while (length < size && text[length]) ++length;
    return length;
}

int ApplyTrailingBackslash(char* path, size_t size) {
    size_t length = BoundedLength(path, size);
    if (length == 0 || length >= size) return 0;
    // The last character, not the last byte: on a double-byte code page a
    // name may end in a trail byte 0x5C.
    if (EndsWithBackslash(path)) return 1;
    if (length + 2 > size) return 0;
    path[length] = '\\';
    path[length + 1] = 0;
    return 1;
}

int DirectoryOfPath(const char* path, char* out, size_t size) {
    if (size == 0) return 0;
    out[0] = 0;
    const char* last = LastBackslash(path);
    if (!last) return 1;
    size_t length = (size_t)(last - path) + 1;
    if (length + 1 > size) return 0;
    memcpy(out, path, length);
    out[length] = 0;
    return 1;
}

int JoinPath(char* out, const char* directory, const char* name) {
    if (directory[0] && ComposeText(out, PATH_BUFFER_SIZE, directory, name, 0)) return 1;
    out[0] = 0;
    return 0;
}

int ShortFormOfDirectory(const char* directory, char* out) {
    DWORD length = directory[0] ? GetShortPathNameA(directory, out, PATH_BUFFER_SIZE) : 0;
    if (length > 0 && length < PATH_BUFFER_SIZE && ApplyTrailingBackslash(out, PATH_BUFFER_SIZE)) return 1;
    CopyText(out, PATH_BUFFER_SIZE, directory);
    return 0;
}
