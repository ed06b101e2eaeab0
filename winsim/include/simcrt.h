// The simulated C library: buffered streams, access test, heap and standard
// output over the simulated drives. Production code reaches these under the
// C library's own names through common/crt.h; see simcrt_names.h.
#ifndef WINSIM_SIMCRT_H
#define WINSIM_SIMCRT_H

#include <stddef.h>
#include <stdio.h>   // EOF, SEEK_SET, SEEK_CUR, SEEK_END
#include <stdlib.h>

struct SimCrtStream;

#ifdef __cplusplus
extern "C" {
#endif

// Binary modes only ("rb", "wb"): the kit reads and writes exact bytes.
SimCrtStream* SimCrt_fopen(const char* path, const char* mode);
int SimCrt_fclose(SimCrtStream* stream);
size_t SimCrt_fread(void* buffer, size_t size, size_t count, SimCrtStream* stream);
size_t SimCrt_fwrite(const void* buffer, size_t size, size_t count, SimCrtStream* stream);
// Only unbuffered (_IONBF, no buffer), before the first read or write.
int SimCrt_setvbuf(SimCrtStream* stream, char* buffer, int mode, size_t size);
int SimCrt_fgetc(SimCrtStream* stream);
int SimCrt_fseek(SimCrtStream* stream, long offset, int origin);
long SimCrt_ftell(SimCrtStream* stream);
int SimCrt_feof(SimCrtStream* stream);
int SimCrt_ferror(SimCrtStream* stream);
int SimCrt_access(const char* path, int mode);
void* SimCrt_malloc(size_t size);
void SimCrt_free(void* block);
int SimCrt_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

#ifdef __cplusplus
}
#endif

#endif
