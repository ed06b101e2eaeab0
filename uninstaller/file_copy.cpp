// Chunked file copy.
#include "uninstall.h"

#include "../common/crt.h"

// The one copy buffer: 32767 bytes (0x7FFF), allocated per copy.
enum { COPY_CHUNK_SIZE = 0x7FFF };

static int CopyContent(KitFile* source, KitFile* destination, char* buffer) {
    if (KitSeek(source, 0, FILE_END) != 0) return 0;
    long end = KitTell(source);
    if (end < 0 || KitSeek(source, 0, FILE_BEGIN) != 0) return 0;
    unsigned long remaining = (unsigned long)end;
    while (remaining > 0) {
        size_t chunk = remaining < COPY_CHUNK_SIZE ? (size_t)remaining : (size_t)COPY_CHUNK_SIZE;
        if (KitRead(buffer, 1, chunk, source) != chunk) return 0;
        if (KitWrite(buffer, 1, chunk, destination) != chunk) return 0;
        remaining -= chunk;
    }
    return 1;
}

int CopyFileChunked(const char* sourcePath, const char* destinationPath) {
    KitFile* source = KitOpen(sourcePath, KIT_OPEN_READ);
    if (!source) return 0;
    KitFile* destination = KitOpen(destinationPath, KIT_OPEN_WRITE);
    if (!destination) {
        KitClose(source);
        return 0;
    }
    // Each chunk goes to the system in one read and one write: a stream's
    // own buffer would split it into pieces and copy it once more. Nothing
    // is buffered yet, so this cannot fail.
    KitSetUnbuffered(destination);
    char* buffer = (char*)KitAlloc(COPY_CHUNK_SIZE);
    int copied = buffer && CopyContent(source, destination, buffer);
    KitFree(buffer);
    KitClose(source);
    // A close that fails leaves the copy in doubt.
    if (KitClose(destination) != 0) copied = 0;
    // A part of the file is worth nothing and could pass for the whole.
    if (!copied) DeleteFileA(destinationPath);
    return copied;
}
