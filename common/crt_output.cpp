// The standard output: a windowed program has one only when its starter
// gave it one, so a missing handle is not an error worth more than -1.
#include "crt.h"

#include <string.h>

int KitWriteStandardOutput(const char* text) {
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE || output == 0) return -1;
    DWORD length = (DWORD)strlen(text), written = 0;
    return WriteFile(output, text, length, &written, 0) && written == length ? 0 : -1;
}
