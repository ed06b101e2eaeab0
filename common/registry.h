// Registry helpers: reading a string below HKEY_LOCAL_MACHINE and deleting
// a key with everything below it (which the platform's own key deletion
// refuses on NT).
#ifndef COMMON_REGISTRY_H
#define COMMON_REGISTRY_H

#include "platform.h"

// Reads value name of HKEY_LOCAL_MACHINE\subkeyPath into buffer (size
// bytes). 1 on success; 0 on failure, with buffer holding the empty string
// (a value that does not fit, terminator included, fails).
int RegReadString(const char* subkeyPath, const char* valueName, char* buffer, DWORD size);

// Deletes every value of key that the platform lets go.
void RegDeleteAllValues(HKEY key);
// Deletes every value and subkey below key, as far as the platform allows;
// key itself stays.
void RegDeleteSubtree(HKEY key);
// Deletes subkey name of parent with everything below it. An empty name
// does nothing: it would stand for parent itself.
void RegDeleteKeyTree(HKEY parent, const char* name);

#endif
