// Binary file streams over the platform's file handles. Writes gather in
// the stream's buffer as msvcrt's do, so that a write may first fail when
// the buffer is written out, at the latest at KitClose, which reports it.
#include "crt.h"

#include <string.h>

enum { STREAM_BUFFER_SIZE = 4096 };

struct KitFile {
    HANDLE handle;
    int writing;
    int unbuffered;
    int eof;
    int error;
    DWORD pending;  // bytes in buffer not yet written
    char buffer[STREAM_BUFFER_SIZE];
};

KitFile* KitOpen(const char* path, KitOpenMode mode) {
    KitFile* file = (KitFile*)KitAlloc(sizeof(KitFile));
    if (!file) return 0;
    int writing = mode == KIT_OPEN_WRITE;
    // No FILE_SHARE_DELETE: the 95/98 family refuses it.
    file->handle = CreateFileA(path, writing ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0,
                               writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file->handle == INVALID_HANDLE_VALUE) {
        KitFree(file);
        return 0;
    }
    file->writing = writing;
    file->unbuffered = 0;
    file->eof = 0;
    file->error = 0;
    file->pending = 0;
    return file;
}

// Writes bytes until all are written or a write fails; how many were.
static DWORD WriteAll(KitFile* file, const char* bytes, DWORD length) {
    DWORD done = 0;
    while (done < length) {
        DWORD wrote = 0;
        BOOL ok = WriteFile(file->handle, bytes + done, length - done, &wrote, 0);
        done += wrote;
        // A write that succeeds with nothing written would repeat forever;
        // a disk file never answers so, nor does the simulation.
        if (!ok || wrote == 0) {  // GCOVR_EXCL_BR_LINE
            file->error = 1;
            break;
        }
    }
    return done;
}

// The buffer to the file. A part that could not be written is dropped, as
// msvcrt drops it: the error flag tells.
static int Flush(KitFile* file) {
    DWORD pending = file->pending;
    file->pending = 0;
    return pending == 0 || WriteAll(file, file->buffer, pending) == pending;
}

int KitClose(KitFile* file) {
    int failed = !Flush(file);
    if (!CloseHandle(file->handle)) failed = 1;
    KitFree(file);
    return failed ? -1 : 0;
}

size_t KitRead(void* buffer, size_t size, size_t count, KitFile* file) {
    if (size == 0 || count == 0) return 0;
    if (count > (DWORD)-1 / size) {
        file->error = 1;
        return 0;
    }
    DWORD wanted = (DWORD)(size * count), got = 0;
    // A disk file gives fewer bytes than asked only at its end: no second
    // read to learn that.
    if (!ReadFile(file->handle, buffer, wanted, &got, 0))
        file->error = 1;
    else if (got < wanted)
        file->eof = 1;
    return got / size;
}

size_t KitWrite(const void* buffer, size_t size, size_t count, KitFile* file) {
    if (size == 0 || count == 0) return 0;
    if (count > (DWORD)-1 / size) {
        file->error = 1;
        return 0;
    }
    DWORD length = (DWORD)(size * count);
    const char* bytes = (const char*)buffer;
    if (file->unbuffered) return WriteAll(file, bytes, length) / size;
    if (length <= STREAM_BUFFER_SIZE - file->pending) {
        memcpy(file->buffer + file->pending, bytes, length);
        file->pending += length;
        return count;
    }
    if (!Flush(file)) return 0;
    // What fills the buffer or more goes to the file in one write.
    if (length >= STREAM_BUFFER_SIZE) return WriteAll(file, bytes, length) / size;
    memcpy(file->buffer, bytes, length);
    file->pending = length;
    return count;
}

int KitSetUnbuffered(KitFile* file) {
    file->unbuffered = 1;
    return Flush(file) ? 0 : -1;
}

int KitSeek(KitFile* file, long offset, DWORD origin) {
    if (!Flush(file)) return -1;
    if (SetFilePointer(file->handle, (LONG)offset, 0, origin) == INVALID_SET_FILE_POINTER) return -1;
    file->eof = 0;
    return 0;
}

long KitTell(KitFile* file) {
    DWORD position = SetFilePointer(file->handle, 0, 0, FILE_CURRENT);
    // A position that a long cannot hold is a failure too.
    if (position == INVALID_SET_FILE_POINTER || position > 0x7FFFFFFFUL - file->pending) return -1;
    return (long)(position + file->pending);
}

int KitEof(KitFile* file) { return file->eof; }
int KitError(KitFile* file) { return file->error; }
