// The C library's names, mapped onto the simulated C library for production
// code of the host build (common/crt.h brings this in last). A call of a
// stream operation that is not simulated fails to compile, since FILE names
// the simulated stream here.
#ifndef WINSIM_SIMCRT_NAMES_H
#define WINSIM_SIMCRT_NAMES_H

#include "simcrt.h"

#undef fopen
#undef fclose
#undef fread
#undef fwrite
#undef setvbuf
#undef fgetc
#undef fseek
#undef ftell
#undef feof
#undef ferror
#undef _access
#undef malloc
#undef free
#undef printf

#define FILE SimCrtStream
#define fopen SimCrt_fopen
#define fclose SimCrt_fclose
#define fread SimCrt_fread
#define fwrite SimCrt_fwrite
#define setvbuf SimCrt_setvbuf
#define fgetc SimCrt_fgetc
#define fseek SimCrt_fseek
#define ftell SimCrt_ftell
#define feof SimCrt_feof
#define ferror SimCrt_ferror
#define _access SimCrt_access
#define malloc SimCrt_malloc
#define free SimCrt_free
#define printf SimCrt_printf

#endif
