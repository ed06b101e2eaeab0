// The product's files and keys as the uninstaller names them.
#include "../common/paths.h"
#include "uninstall.h"

const char kProductKeyParent[] = "Software\\Quillon Software";
const char kProductKeyName[] = "Vantrell";
const char kProductKeyPath[] = "Software\\Quillon Software\\Vantrell";

void DeleteProductFile(const char* directory, const char* name) {
    char path[PATH_BUFFER_SIZE];
    if (JoinPath(path, directory, name)) DeleteFileA(path);
}

int ProductKeyState() {
    HKEY key;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKeyPath, 0, KEY_READ, &key);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
        return PRODUCT_KEY_PRESENT;
    }
    return status == ERROR_FILE_NOT_FOUND ? PRODUCT_KEY_ABSENT : PRODUCT_KEY_UNKNOWN;
}
