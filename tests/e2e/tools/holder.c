/* Holds a file in use for another program's test: "open" keeps it open
 * without delete sharing (deletion fails with a sharing violation), "load"
 * keeps it loaded as a library (deletion fails with access denied). Writes
 * "ready" to the ready file once it holds the file, then waits until the
 * release file appears or the time limit passes.
 *
 *   holder open|load <file> <ready file> <release file> <seconds> */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    HANDLE file = INVALID_HANDLE_VALUE;
    HMODULE module = NULL;
    FILE* ready;
    DWORD limit, waited = 0;
    if (argc != 6) {
        fprintf(stderr, "usage: holder open|load <file> <ready file> <release file> <seconds>\n");
        return 2;
    }
    if (strcmp(argv[1], "open") == 0)
        file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    else
        module = LoadLibraryA(argv[2]);
    if (file == INVALID_HANDLE_VALUE && !module) {
        fprintf(stderr, "holder: cannot hold %s (error %lu)\n", argv[2], GetLastError());
        return 1;
    }
    ready = fopen(argv[3], "wb");
    if (ready) {
        fputs("ready\n", ready);
        fclose(ready);
    }
    limit = (DWORD)strtoul(argv[5], NULL, 10) * 1000;
    while (GetFileAttributesA(argv[4]) == INVALID_FILE_ATTRIBUTES && waited < limit) {
        Sleep(100);
        waited += 100;
    }
    if (module) FreeLibrary(module);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return 0;
}
