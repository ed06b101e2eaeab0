#include "registry.h"

enum { NAME_BUFFER_SIZE = 256 };

int RegReadString(const char* subkeyPath, const char* valueName, char* buffer, DWORD size) {
    if (size == 0) return 0;
    // Cleared first so that a failed read leaves an empty string; a buffer
    // of fewer than 4 bytes is cleared only as far as it goes.
    for (DWORD i = 0; i < size && i < 4; ++i) buffer[i] = 0;
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, subkeyPath, &key) != ERROR_SUCCESS) return 0;
    DWORD type, length = size;
    int result = RegQueryValueExA(key, valueName, 0, &type, (LPBYTE)buffer, &length) == ERROR_SUCCESS;
    RegCloseKey(key);
    // A query that succeeds never reports more than the buffer took; the
    // check keeps the reads below within it all the same.
    if (result && length > size) result = 0;  // GCOVR_EXCL_BR_LINE
    // A string stored without its terminator gets one when there is room;
    // without room it does not fit.
    if (result && (length == 0 || buffer[length - 1] != 0)) {
        if (length < size)
            buffer[length] = 0;
        else
            result = 0;
    }
    // The platform leaves the buffer undefined after a value that did not fit.
    if (!result) buffer[0] = 0;
    return result;
}

// Both loops step past an entry that cannot be read or deleted (access
// denied, or a name longer than the buffer), so that they always end.
void RegDeleteAllValues(HKEY key) {
    char name[NAME_BUFFER_SIZE];
    DWORD index = 0;
    for (;;) {
        DWORD length = sizeof name;
        LSTATUS status = RegEnumValueA(key, index, name, &length, 0, 0, 0, 0);
        if (status == ERROR_MORE_DATA) {
            ++index;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS) ++index;
    }
}

static LSTATUS DeleteKeyAndBelow(HKEY parent, const char* name);

static void DeleteSubkeys(HKEY key) {
    char name[NAME_BUFFER_SIZE];
    DWORD index = 0;
    for (;;) {
        LSTATUS status = RegEnumKeyA(key, index, name, sizeof name);
        if (status == ERROR_MORE_DATA) {
            ++index;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        if (DeleteKeyAndBelow(key, name) != ERROR_SUCCESS) ++index;
    }
}

// Each platform call is a round trip to the registry, so a key is first
// deleted whole: on NT that takes a key without subkeys with its values, on
// the 95/98 family the whole tree below it. Only a key whose deletion is
// refused is opened, its subkeys deleted, and then deleted again; a key that
// still stays has its values deleted one by one. A name that is not there
// needs no second look.
static LSTATUS DeleteKeyAndBelow(HKEY parent, const char* name) {
    LSTATUS status = RegDeleteKeyA(parent, name);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return status;
    HKEY key;
    if (RegOpenKeyA(parent, name, &key) != ERROR_SUCCESS) return status;
    DeleteSubkeys(key);
    status = RegDeleteKeyA(parent, name);
    if (status != ERROR_SUCCESS) RegDeleteAllValues(key);
    RegCloseKey(key);
    return status;
}

void RegDeleteSubtree(HKEY key) {
    RegDeleteAllValues(key);
    DeleteSubkeys(key);
}

void RegDeleteKeyTree(HKEY parent, const char* name) {
    if (!name || !name[0]) return;
    DeleteKeyAndBelow(parent, name);
}
