// Allocation from the process heap, which every 32-bit Windows has.
#include "crt.h"

void* KitAlloc(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size ? size : 1); }

void KitFree(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
