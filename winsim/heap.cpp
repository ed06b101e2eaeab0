// The simulated process heap, counted so that tests see blocks not freed.
#include "sim_internal.h"

#include <stdio.h>

#include <stdlib.h>
#include <string.h>

namespace {

std::map<void*, size_t> blocks;
HANDLE const kProcessHeap = (HANDLE)(uintptr_t)0x4E00;

void Misuse(const char* what) {
    fprintf(stderr, "simulated platform: %s\n", what);
    abort();
}

}  // namespace

void SimHeapReset() {
    for (auto& block : blocks) free(block.first);
    blocks.clear();
}

int SimHeapBlocks() { return (int)blocks.size(); }

extern "C" {

HANDLE WINAPI GetProcessHeap(void) {
    SimFailHere("GetProcessHeap");  // cannot fail on the platform
    return kProcessHeap;
}

// Without HEAP_ZERO_MEMORY the block holds no zeros, so that code relying
// on zero-filled memory shows.
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (heap != kProcessHeap) Misuse("HeapAlloc on a heap other than the process's");
    if (SimFailHere("HeapAlloc")) return nullptr;
    void* block = malloc(bytes ? bytes : 1);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    memset(block, (flags & HEAP_ZERO_MEMORY) ? 0 : 0xCD, bytes ? bytes : 1);
    blocks[block] = bytes;
    return block;
}

// A failure leaves the block allocated.
BOOL WINAPI HeapFree(HANDLE heap, DWORD, LPVOID block) {
    if (heap != kProcessHeap) Misuse("HeapFree on a heap other than the process's");
    if (SimFailHere("HeapFree")) return FALSE;
    if (!block) return TRUE;
    if (!blocks.erase(block)) Misuse("HeapFree of a block that HeapAlloc did not give");
    free(block);
    return TRUE;
}

}  // extern "C"
