/* Prints the platform's short form of a path, for tests that must expect
 * exactly what the uninstaller composes (Wine's short names are hashes). */
#include <windows.h>
#include <stdio.h>

int main(int argc, char** argv) {
    char shortPath[MAX_PATH];
    DWORD length;
    if (argc != 2) return 2;
    length = GetShortPathNameA(argv[1], shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath) return 1;
    printf("%s\n", shortPath);
    return 0;
}
