/* Stand-in for the programs the kit starts (the installer's uninstaller,
 * the product's configuration program): appends its command line, exactly
 * as it received it, as one line to the file named by STANDIN_LOG, then
 * ends at once. A console program, so that a starter that waits for it to
 * go idle does not wait. Built a second time as planted.exe, the program
 * another user placed where an unquoted path would lead (C:\Program.exe):
 * that one writes to the file named by PLANTED_LOG. */
#include <windows.h>
#include <stdio.h>

#ifndef STANDIN_LOG_VARIABLE
#define STANDIN_LOG_VARIABLE "STANDIN_LOG"
#endif

int main(void) {
    char path[MAX_PATH];
    FILE* log;
    DWORD length = GetEnvironmentVariableA(STANDIN_LOG_VARIABLE, path, sizeof path);
    if (length == 0 || length >= sizeof path) return 0;
    log = fopen(path, "ab");
    if (!log) return 1;
    fprintf(log, "%s\n", GetCommandLineA());
    fclose(log);
    return 0;
}
