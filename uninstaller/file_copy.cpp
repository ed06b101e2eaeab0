// Chunked file copy.
#include "uninstall.h"

#include "../common/crt.h"

// The one copy buffer: 32767 bytes (0x7FFF), allocated per copy.
enum { COPY_CHUNK_SIZE = 0x7FFF };

static int CopyContent(FILE* source, FILE* destination, char* buffer) {
    if (fseek(source, 0, SEEK_END) != 0) return 0;
    long end = ftell(source);
    if (end < 0 || fseek(source, 0, SEEK_SET) != 0) return 0;
    unsigned long remaining = (unsigned long)end;
    while (remaining > 0) {
        size_t chunk = remaining < COPY_CHUNK_SIZE ? (size_t)remaining : (size_t)COPY_CHUNK_SIZE;
        if (fread(buffer, 1, chunk, source) != chunk) return 0;
        if (fwrite(buffer, 1, chunk, destination) != chunk) return 0;
        remaining -= chunk;
    }
    return 1;
}

int CopyFileChunked(const char* sourcePath, const char* destinationPath) {
    FILE* source = fopen(sourcePath, "rb");
    if (!source) return 0;
    FILE* destination = fopen(destinationPath, "wb");
    if (!destination) {
        fclose(source);
        return 0;
    }
    // Each chunk goes to the system in one read and one write: a stream's
    // own buffer would split it into pieces and copy it once more. Were
    // this refused, the buffered streams still copy correctly.
    setvbuf(source, 0, _IONBF, 0);
    setvbuf(destination, 0, _IONBF, 0);
    char* buffer = (char*)malloc(COPY_CHUNK_SIZE);
    int copied = buffer && CopyContent(source, destination, buffer);
    free(buffer);
    fclose(source);
    // The last buffered writes reach the disk only now, and may fail here.
    if (fclose(destination) != 0) copied = 0;
    // A part of the file is worth nothing and could pass for the whole.
    if (!copied) DeleteFileA(destinationPath);
    return copied;
}
