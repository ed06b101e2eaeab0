// Directory paths in fixed buffers.
#ifndef COMMON_PATHS_H
#define COMMON_PATHS_H

#include <stddef.h>

// Makes a directory path end with a backslash, within a buffer of size
// bytes. Returns 1 when the path ends with one afterwards; 0 when it is
// empty (left empty: an empty directory must not become the drive's root)
// or has no room for the backslash (left unchanged).
int ApplyTrailingBackslash(char* path, size_t size);

// out = the directory part of path up to and including its last backslash,
// or the empty string when path has none. Returns 1 when it fitted; a
// directory that does not fit leaves out empty and returns 0.
int DirectoryOfPath(const char* path, char* out, size_t size);

// out (PATH_BUFFER_SIZE bytes) = the platform's short (8.3) form of
// directory with a trailing backslash; when it cannot be had, directory
// itself. Returns 1 for the short form.
int ShortFormOfDirectory(const char* directory, char* out);

// out = directory + name in a path buffer (PATH_BUFFER_SIZE bytes). A path
// that does not fit is not built (a cut path could name another file), nor
// one from an empty directory (it would name a file in the current one):
// out is then empty and the result 0.
int JoinPath(char* out, const char* directory, const char* name);

#endif
