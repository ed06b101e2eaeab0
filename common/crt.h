// The C library's buffered streams, access test, heap and standard output.
// The Windows build takes msvcrt's; the host build (WINSIM) the simulated
// platform's, over its simulated drives. Include it after every other
// header: on the host build it maps the library's names.
#ifndef COMMON_CRT_H
#define COMMON_CRT_H

#ifdef WINSIM
#include <simcrt_names.h>
#else
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#endif

#endif
