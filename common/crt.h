// The few C library services the kit needs, written over KERNEL32 so that
// the deliverables import no C library DLL (Windows 95 as it came has no
// MSVCRT.DLL). The same code runs in both builds: the host build links it
// over the simulated platform. The names are the kit's own, so that
// production code never reaches the host's C library by mistake.
//
// Where this differs from msvcrt's streams:
// - binary only: no text mode, no line-end translation, no Ctrl-Z at the
//   end of the text; no append or update modes ("rb" and "wb" only);
// - reads are not buffered: each KitRead is one ReadFile of what it asks
//   for, and a short read is taken for the end of the file (as it is for a
//   disk file; a pipe or a console would need more reads);
//   writes are buffered (4 KiB) unless KitSetUnbuffered, as msvcrt's are;
// - no locking: a stream belongs to one thread;
// - no errno: the platform's last error stays as the failing call left it;
// - no table of open streams: nothing is flushed or closed at exit, and
//   KitClose of a stream that is not open is undefined;
// - the stream's record and buffer come from the process heap at KitOpen,
//   so a full heap makes the open fail;
// - KitAccess looks at the attributes only (mode 6 fails for a read-only
//   file, as msvcrt's _access does), not at the file's security.
#ifndef COMMON_CRT_H
#define COMMON_CRT_H

#include "platform.h"

#include <stddef.h>

struct KitFile;

// Opening modes: an existing file for reading; a file for writing,
// created or emptied ("rb" and "wb").
enum KitOpenMode { KIT_OPEN_READ, KIT_OPEN_WRITE };

// 0 when the file cannot be opened or no record can be allocated. The
// file is shared for reading and writing, not for deletion: while it is
// open it cannot be deleted or renamed.
KitFile* KitOpen(const char* path, KitOpenMode mode);
// Writes what is still buffered and closes the file: 0, or -1 when that
// last write or the close failed. The stream is gone either way.
int KitClose(KitFile* file);
// Whole items read or written; fewer than count at the end of the file or
// after an error (KitEof, KitError tell which).
size_t KitRead(void* buffer, size_t size, size_t count, KitFile* file);
size_t KitWrite(const void* buffer, size_t size, size_t count, KitFile* file);
// Each later write goes to the file at once. Writes still buffered are
// written first: 0, or -1 when that fails.
int KitSetUnbuffered(KitFile* file);
// origin: FILE_BEGIN, FILE_CURRENT or FILE_END. Buffered writes go to the
// file first. 0, or -1 on failure.
int KitSeek(KitFile* file, long offset, DWORD origin);
long KitTell(KitFile* file);  // -1 on failure
int KitEof(KitFile* file);
int KitError(KitFile* file);

// The access test's modes: existence; existence and not read-only.
enum { KIT_ACCESS_EXISTS = 0, KIT_ACCESS_READ_WRITE = 6 };
// 0 when allowed, -1 otherwise.
int KitAccess(const char* path, int mode);

// Blocks of the process heap; KitFree(0) does nothing.
void* KitAlloc(size_t size);
void KitFree(void* block);

// Writes text to the standard output (the one diagnostic line of the
// rights check): 0, or -1 when there is none or the write fails.
int KitWriteStandardOutput(const char* text);

// The memory and string functions of the Windows build (the compiler
// calls memcpy and memset on its own too). The host build has the host's
// under these names and compiles the kit's as KitC_<name>, for its tests.
#ifdef WINSIM
extern "C" {
void* KitC_memcpy(void* to, const void* from, size_t length);
void* KitC_memmove(void* to, const void* from, size_t length);
void* KitC_memset(void* to, int value, size_t length);
int KitC_memcmp(const void* a, const void* b, size_t length);
size_t KitC_strlen(const char* text);
char* KitC_strchr(const char* text, int c);
char* KitC_strrchr(const char* text, int c);
}
#endif

#endif
