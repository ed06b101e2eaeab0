// The simulated registry, in memory: keys with ordered values and subkeys
// sorted by name, handles that count as open until closed, and entries whose
// deletion the platform refuses. Key deletion follows the family: NT
// refuses a key that still has subkeys; the 95/98 family deletes the key
// with everything below it, or, when a key in that tree is refused,
// nothing.
#include "sim_internal.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <string.h>
#include <strings.h>
#include <vector>

namespace {

struct Value {
    std::string name;
    DWORD type;
    std::string data;
    bool refuseDelete;
};

struct Key {
    std::string name;
    Key* parent;
    // Deques: deleting the first entry, as the tree deletion does entry
    // after entry, takes constant time.
    std::deque<Value> values;                  // in the order they were set
    std::deque<std::shared_ptr<Key>> subkeys;  // sorted by upper-case name
    bool refuseDelete;
    bool deleted;
};

std::shared_ptr<Key> roots[4];
std::map<uintptr_t, std::shared_ptr<Key>> handles;
uintptr_t nextHandle = 0x100;

std::shared_ptr<Key> NewKey(const std::string& name, Key* parent) {
    auto key = std::make_shared<Key>();
    key->name = name;
    key->parent = parent;
    key->refuseDelete = false;
    key->deleted = false;
    return key;
}

std::shared_ptr<Key> FromHandle(HKEY handle) {
    uintptr_t value = (uintptr_t)handle;
    for (int i = 0; i < 4; ++i)
        if (value == (uintptr_t)(ULONG_PTR)(LONG)(0x80000000u + i)) return roots[i];
    auto found = handles.find(value);
    return found == handles.end() ? nullptr : found->second;
}

std::shared_ptr<Key> Child(const Key& key, const std::string& name) {
    std::string wanted = SimUpper(name);
    auto at = std::lower_bound(key.subkeys.begin(), key.subkeys.end(), wanted,
                               [](const std::shared_ptr<Key>& sub, const std::string& upper) {
                                   return SimUpper(sub->name) < upper;
                               });
    return at != key.subkeys.end() && SimUpper((*at)->name) == wanted ? *at : nullptr;
}

std::vector<std::string> SplitPath(const char* path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char* p = path ? path : ""; ; ++p) {
        if (*p == '\\' || *p == 0) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
            if (*p == 0) break;
        } else {
            part += *p;
        }
    }
    return parts;
}

std::shared_ptr<Key> Walk(std::shared_ptr<Key> key, const char* path, bool create) {
    for (const std::string& name : SplitPath(path)) {
        if (!key) return nullptr;
        std::shared_ptr<Key> next = Child(*key, name);
        if (!next && create) {
            next = NewKey(name, key.get());
            auto at = std::lower_bound(key->subkeys.begin(), key->subkeys.end(), next,
                                       [](const std::shared_ptr<Key>& a, const std::shared_ptr<Key>& b) {
                                           return SimUpper(a->name) < SimUpper(b->name);
                                       });
            key->subkeys.insert(at, next);
        }
        key = next;
    }
    return key;
}

// ASCII letters compare without regard to case, as SimUpper does.
Value* FindValue(Key& key, const char* name) {
    const char* wanted = name ? name : "";
    for (Value& value : key.values)
        if (strcasecmp(value.name.c_str(), wanted) == 0) return &value;
    return nullptr;
}

HKEY NewHandle(std::shared_ptr<Key> key) {
    uintptr_t value = nextHandle++;
    handles[value] = std::move(key);
    return (HKEY)value;
}

bool AnyRefused(const Key& key) {
    if (key.refuseDelete) return true;
    for (const auto& sub : key.subkeys)
        if (AnyRefused(*sub)) return true;
    return false;
}

void MarkDeleted(Key& key) {
    key.deleted = true;
    for (auto& sub : key.subkeys) MarkDeleted(*sub);
}

LSTATUS Open(const char* op, HKEY parent, LPCSTR subKey, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    // A failed open leaves no handle to close: arbitrary bytes instead.
    SimSpoil(result, sizeof *result);
    if (SimFailHere(op, subKey)) return (LSTATUS)GetLastError();
    std::shared_ptr<Key> key = FromHandle(parent);
    if (!key) return ERROR_INVALID_HANDLE;
    if (key->deleted) return ERROR_KEY_DELETED;
    key = Walk(key, subKey, false);
    if (!key) return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(key);
    return ERROR_SUCCESS;
}

void SetValue(Key& key, const char* name, DWORD type, const std::string& data) {
    if (Value* value = FindValue(key, name)) {
        value->type = type;
        value->data = data;
    } else {
        key.values.push_back(Value{name ? name : "", type, data, false});
    }
}

}  // namespace

void SimRegistryEndProcess() { handles.clear(); }

void SimRegistryReset() {
    handles.clear();
    for (int i = 0; i < 4; ++i) roots[i] = NewKey("", nullptr);
}

int SimRegOpenHandles() { return (int)handles.size(); }

static std::shared_ptr<Key> RootKey(HKEY root) { return FromHandle(root); }

bool SimRegCreateKey(HKEY root, const char* path) { return Walk(RootKey(root), path, true) != nullptr; }

bool SimRegSetString(HKEY root, const char* path, const char* name, const char* value) {
    std::shared_ptr<Key> key = Walk(RootKey(root), path, true);
    if (!key) return false;
    SetValue(*key, name, REG_SZ, std::string(value) + '\0');
    return true;
}

bool SimRegSetDword(HKEY root, const char* path, const char* name, DWORD value) {
    std::shared_ptr<Key> key = Walk(RootKey(root), path, true);
    if (!key) return false;
    SetValue(*key, name, REG_DWORD, std::string((const char*)&value, sizeof value));
    return true;
}

bool SimRegKeyExists(HKEY root, const char* path) { return Walk(RootKey(root), path, false) != nullptr; }

bool SimRegValueExists(HKEY root, const char* path, const char* name) {
    std::shared_ptr<Key> key = Walk(RootKey(root), path, false);
    return key && FindValue(*key, name);
}

bool SimRegGetString(HKEY root, const char* path, const char* name, std::string* value) {
    std::shared_ptr<Key> key = Walk(RootKey(root), path, false);
    Value* found = key ? FindValue(*key, name) : nullptr;
    if (!found) return false;
    *value = std::string(found->data.c_str());
    return true;
}

void SimRegRefuseDelete(HKEY root, const char* path, const char* valueName) {
    std::shared_ptr<Key> key = Walk(RootKey(root), path, true);
    if (!key) return;
    if (!valueName) {
        key->refuseDelete = true;
        return;
    }
    if (!FindValue(*key, valueName)) SetValue(*key, valueName, REG_SZ, std::string(1, '\0'));
    FindValue(*key, valueName)->refuseDelete = true;
}

extern "C" {

LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) { return Open("RegOpenKeyA", key, subKey, result); }

LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
    return Open("RegOpenKeyExA", key, subKey, result);
}

LSTATUS WINAPI RegCreateKeyA(HKEY parent, LPCSTR subKey, PHKEY result) {
    SimSpoil(result, sizeof *result);
    if (SimFailHere("RegCreateKeyA", subKey)) return (LSTATUS)GetLastError();
    std::shared_ptr<Key> key = FromHandle(parent);
    if (!key) return ERROR_INVALID_HANDLE;
    key = Walk(key, subKey, true);
    *result = NewHandle(key);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegCloseKey(HKEY key) {
    if (SimFailHere("RegCloseKey")) return (LSTATUS)GetLastError();
    return handles.erase((uintptr_t)key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// A query that fails leaves arbitrary bytes in the type and the data.
static LSTATUS QueryFailed(LSTATUS status, LPDWORD type, LPBYTE data, LPDWORD size) {
    SimSpoil(type, sizeof *type);
    if (size) SimSpoil(data, *size);
    return status;
}

LSTATUS WINAPI RegQueryValueExA(HKEY handle, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (SimFailHere("RegQueryValueExA", name)) return QueryFailed((LSTATUS)GetLastError(), type, data, size);
    std::shared_ptr<Key> key = FromHandle(handle);
    if (!key) return QueryFailed(ERROR_INVALID_HANDLE, type, data, size);
    if (key->deleted) return QueryFailed(ERROR_KEY_DELETED, type, data, size);
    Value* value = FindValue(*key, name);
    if (!value) return QueryFailed(ERROR_FILE_NOT_FOUND, type, data, size);
    if (type) *type = value->type;
    if (data) {
        if (!size) return ERROR_INVALID_PARAMETER;
        if (*size < value->data.size()) {
            // The platform leaves the buffer's content undefined here; the
            // least forgiving form fills it with as much as fits.
            memcpy(data, value->data.data(), *size);
            *size = (DWORD)value->data.size();
            return ERROR_MORE_DATA;
        }
        memcpy(data, value->data.data(), value->data.size());
    }
    if (size) *size = (DWORD)value->data.size();
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY handle, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (SimFailHere("RegSetValueExA", name)) return (LSTATUS)GetLastError();
    std::shared_ptr<Key> key = FromHandle(handle);
    if (!key) return ERROR_INVALID_HANDLE;
    SetValue(*key, name, type, std::string((const char*)data, size));
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumValueA(HKEY handle, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
    // Whatever fails leaves arbitrary bytes in the name and the data.
    auto failed = [&](LSTATUS status) {
        if (nameSize) SimSpoil(name, *nameSize);
        if (dataSize) SimSpoil(data, *dataSize);
        return status;
    };
    if (SimFailHere("RegEnumValueA")) return failed((LSTATUS)GetLastError());
    std::shared_ptr<Key> key = FromHandle(handle);
    if (!key) return failed(ERROR_INVALID_HANDLE);
    if (key->deleted) return failed(ERROR_KEY_DELETED);
    if (index >= key->values.size()) return failed(ERROR_NO_MORE_ITEMS);
    const Value& value = key->values[index];
    if (!name || !nameSize) return failed(ERROR_INVALID_PARAMETER);
    if (value.name.size() + 1 > *nameSize) return failed(ERROR_MORE_DATA);
    memcpy(name, value.name.c_str(), value.name.size() + 1);
    *nameSize = (DWORD)value.name.size();
    if (type) *type = value.type;
    if (data) {
        if (!dataSize || *dataSize < value.data.size()) return failed(ERROR_MORE_DATA);
        memcpy(data, value.data.data(), value.data.size());
    }
    if (dataSize) *dataSize = (DWORD)value.data.size();
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegEnumKeyA(HKEY handle, DWORD index, LPSTR name, DWORD nameSize) {
    // Whatever fails leaves arbitrary bytes in the name.
    auto failed = [&](LSTATUS status) {
        SimSpoil(name, nameSize);
        return status;
    };
    if (SimFailHere("RegEnumKeyA")) return failed((LSTATUS)GetLastError());
    std::shared_ptr<Key> key = FromHandle(handle);
    if (!key) return failed(ERROR_INVALID_HANDLE);
    if (key->deleted) return failed(ERROR_KEY_DELETED);
    if (index >= key->subkeys.size()) return failed(ERROR_NO_MORE_ITEMS);
    const std::string& found = key->subkeys[index]->name;
    if (!name || found.size() + 1 > nameSize) return failed(ERROR_MORE_DATA);
    memcpy(name, found.c_str(), found.size() + 1);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteValueA(HKEY handle, LPCSTR name) {
    if (SimFailHere("RegDeleteValueA", name)) return (LSTATUS)GetLastError();
    std::shared_ptr<Key> key = FromHandle(handle);
    if (!key) return ERROR_INVALID_HANDLE;
    if (key->deleted) return ERROR_KEY_DELETED;
    Value* value = FindValue(*key, name);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (value->refuseDelete) return ERROR_ACCESS_DENIED;
    auto at = key->values.begin();
    while (&*at != value) ++at;
    key->values.erase(at);
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegDeleteKeyA(HKEY handle, LPCSTR subKey) {
    if (SimFailHere("RegDeleteKeyA", subKey)) return (LSTATUS)GetLastError();
    std::shared_ptr<Key> key = FromHandle(handle);
    if (!key) return ERROR_INVALID_HANDLE;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (!subKey || !*subKey) return ERROR_ACCESS_DENIED;  // a key cannot delete itself this way
    std::shared_ptr<Key> target = Walk(key, subKey, false);
    if (!target) return ERROR_FILE_NOT_FOUND;
    if (SimIsNT() ? target->refuseDelete || !target->subkeys.empty() : AnyRefused(*target))
        return ERROR_ACCESS_DENIED;
    Key* parent = target->parent;
    MarkDeleted(*target);
    parent->subkeys.erase(std::find(parent->subkeys.begin(), parent->subkeys.end(), target));
    return ERROR_SUCCESS;
}

}  // extern "C"
