// The simulated C library: binary streams buffered as msvcrt buffers them
// (so that a write may first fail when the buffer is flushed, at the close),
// a disk that can run full, the access test, a counted heap and a recorded
// standard output.
#include "sim_internal.h"
#include "simcrt.h"

#include <errno.h>
#include <stdarg.h>
#include <string.h>
#include <sys/stat.h>

struct SimCrtStream {
    std::string key;  // the file's canonical path: open streams hold it in use
    FILE* host;
    bool writing;
    bool eof;
    bool error;
    bool unbuffered;      // setvbuf(_IONBF): each write goes to the file at once
    std::string pending;  // written, not yet flushed
};

namespace {

const size_t kStreamBufferSize = 4096;

std::map<SimCrtStream*, bool> streams;
std::map<void*, size_t> heap;
long long diskSpace = -1;
std::string standardOutput;

void Misuse(const char* what) {
    fprintf(stderr, "simulated C library: %s\n", what);
    abort();
}

SimCrtStream* Known(SimCrtStream* stream, const char* op) {
    if (!stream || !streams.count(stream)) Misuse(op);
    return stream;
}

DWORD StoredAttributes(const std::string& key) {
    auto found = SimFiles().attributes.find(key);
    return found == SimFiles().attributes.end() ? 0 : found->second;
}

// Writes the pending bytes as far as the disk has room. Returns how many
// reached the file; fewer than were pending is an error.
size_t Flush(SimCrtStream* stream) {
    size_t wanted = stream->pending.size();
    size_t room = wanted;
    if (diskSpace >= 0 && (long long)room > diskSpace) room = (size_t)diskSpace;
    size_t written = room ? fwrite(stream->pending.data(), 1, room, stream->host) : 0;
    fflush(stream->host);
    if (diskSpace >= 0) diskSpace -= (long long)written;
    stream->pending.clear();
    if (written < wanted) {
        stream->error = true;
        errno = ENOSPC;
    }
    return written;
}

// Buffers bytes, flushing a full buffer. Returns how many of them were
// taken without error.
size_t WriteBytes(SimCrtStream* stream, const char* bytes, size_t length) {
    if (!stream->writing) {
        stream->error = true;
        errno = EBADF;
        return 0;
    }
    size_t before = stream->pending.size();
    stream->pending.append(bytes, length);
    if (!stream->unbuffered && stream->pending.size() < kStreamBufferSize) return length;
    size_t total = stream->pending.size();
    size_t flushed = Flush(stream);
    if (flushed == total) return length;
    return flushed > before ? flushed - before : 0;
}

void CloseHost(SimCrtStream* stream) {
    fclose(stream->host);
    auto& open = SimFiles().openStreams;
    if (--open[stream->key] <= 0) open.erase(stream->key);
    streams.erase(stream);
    delete stream;
}

}  // namespace

void SimCrtReset() {
    while (!streams.empty()) CloseHost(streams.begin()->first);
    for (auto& block : heap) ::free(block.first);
    heap.clear();
    diskSpace = -1;
    standardOutput.clear();
}

int SimOpenStreams() { return (int)streams.size(); }
int SimHeapBlocks() { return (int)heap.size(); }
void SimSetDiskSpace(long long bytes) { diskSpace = bytes; }
const std::string& SimStandardOutput() { return standardOutput; }

extern "C" {

SimCrtStream* SimCrt_fopen(const char* path, const char* mode) {
    if (SimFailHere("fopen", path)) {
        errno = EACCES;
        return nullptr;
    }
    bool writing = mode && strcmp(mode, "wb") == 0;
    if (!mode || (!writing && strcmp(mode, "rb") != 0)) {
        errno = EINVAL;
        return nullptr;
    }
    SimPath resolved;
    struct stat st;
    bool exists = SimResolve(path, &resolved) && stat(resolved.host.c_str(), &st) == 0;
    if (resolved.host.empty() || (exists && S_ISDIR(st.st_mode)) || (!exists && !writing)) {
        errno = exists ? EACCES : ENOENT;
        return nullptr;
    }
    if (writing && exists &&
        ((StoredAttributes(resolved.key) & FILE_ATTRIBUTE_READONLY) || SimFiles().inUse.count(resolved.key))) {
        errno = EACCES;
        return nullptr;
    }
    FILE* host = fopen(resolved.host.c_str(), writing ? "wb" : "rb");
    if (!host) {
        errno = ENOENT;  // the directory is missing
        return nullptr;
    }
    SimCrtStream* stream = new SimCrtStream{resolved.key, host, writing, false, false, false, std::string()};
    streams[stream] = true;
    ++SimFiles().openStreams[resolved.key];
    return stream;
}

int SimCrt_fclose(SimCrtStream* stream) {
    Known(stream, "fclose of a stream that is not open");
    bool failed = SimFailHere("fclose", stream->key);
    if (failed)
        stream->pending.clear();
    else if (stream->writing) {
        size_t pending = stream->pending.size();
        failed = Flush(stream) < pending;
    }
    CloseHost(stream);
    return failed ? EOF : 0;
}

int SimCrt_setvbuf(SimCrtStream* stream, char* buffer, int mode, size_t size) {
    Known(stream, "setvbuf of a stream that is not open");
    if (buffer || mode != _IONBF || size != 0) Misuse("setvbuf other than unbuffered");
    if (!stream->pending.empty()) Misuse("setvbuf after a write");
    if (SimFailHere("setvbuf", stream->key)) return -1;
    stream->unbuffered = true;
    return 0;
}

size_t SimCrt_fread(void* buffer, size_t size, size_t count, SimCrtStream* stream) {
    Known(stream, "fread of a stream that is not open");
    if (SimFailHere("fread", stream->key) || stream->writing) {
        stream->error = true;
        errno = EIO;
        return 0;
    }
    if (size == 0 || count == 0) return 0;
    size_t items = fread(buffer, size, count, stream->host);
    if (items < count) stream->eof = true;
    return items;
}

size_t SimCrt_fwrite(const void* buffer, size_t size, size_t count, SimCrtStream* stream) {
    Known(stream, "fwrite of a stream that is not open");
    if (SimFailHere("fwrite", stream->key)) {
        stream->error = true;
        errno = EIO;
        return 0;
    }
    if (size == 0 || count == 0) return 0;
    return WriteBytes(stream, (const char*)buffer, size * count) / size;
}

int SimCrt_fgetc(SimCrtStream* stream) {
    Known(stream, "fgetc of a stream that is not open");
    if (SimFailHere("fgetc", stream->key) || stream->writing) {
        stream->error = true;
        errno = EIO;
        return EOF;
    }
    int c = fgetc(stream->host);
    if (c == EOF) stream->eof = true;
    return c;
}

int SimCrt_fseek(SimCrtStream* stream, long offset, int origin) {
    Known(stream, "fseek of a stream that is not open");
    if (SimFailHere("fseek", stream->key)) {
        errno = EINVAL;
        return -1;
    }
    if (stream->writing && !stream->pending.empty() && Flush(stream) == 0) return -1;
    if (fseek(stream->host, offset, origin) != 0) return -1;
    stream->eof = false;
    return 0;
}

long SimCrt_ftell(SimCrtStream* stream) {
    Known(stream, "ftell of a stream that is not open");
    if (SimFailHere("ftell", stream->key)) {
        errno = EINVAL;
        return -1L;
    }
    long position = ftell(stream->host);
    return position < 0 ? position : position + (long)stream->pending.size();
}

int SimCrt_feof(SimCrtStream* stream) {
    Known(stream, "feof of a stream that is not open");
    SimFailHere("feof", stream->key);  // a query: counted, cannot fail
    return stream->eof;
}

int SimCrt_ferror(SimCrtStream* stream) {
    Known(stream, "ferror of a stream that is not open");
    SimFailHere("ferror", stream->key);  // a query: counted, cannot fail
    return stream->error;
}

// Mode 0 asks for existence, modes 2 and 6 also for write access, which a
// read-only file lacks.
int SimCrt_access(const char* path, int mode) {
    if (SimFailHere("_access", path)) {
        errno = EACCES;
        return -1;
    }
    SimPath resolved;
    struct stat st;
    if (!SimResolve(path, &resolved) || stat(resolved.host.c_str(), &st) != 0) {
        errno = ENOENT;
        return -1;
    }
    if ((mode & 2) && (StoredAttributes(resolved.key) & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return -1;
    }
    return 0;
}

void* SimCrt_malloc(size_t size) {
    if (SimFailHere("malloc")) {
        errno = ENOMEM;
        return nullptr;
    }
    void* block = ::malloc(size ? size : 1);
    if (block) heap[block] = size;
    return block;
}

void SimCrt_free(void* block) {
    SimFailHere("free");  // cannot fail
    if (!block) return;
    if (!heap.erase(block)) Misuse("free of a block that malloc did not give");
    ::free(block);
}

int SimCrt_printf(const char* format, ...) {
    SimFailHere("printf");  // counted; the output is recorded
    va_list arguments;
    va_start(arguments, format);
    char text[1024];
    int length = vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    if (length > 0) standardOutput += text;
    return length;
}

}  // extern "C"
