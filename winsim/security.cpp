// The simulated NT security calls of the rights check, with the tokens of
// one user, handles and local memory that count as held until released.
// Descriptors are kept beside the caller's block (their records would hold
// pointers, which do not fit the platform's 20 bytes on the host); access
// lists and identifiers are real bytes in the platform's layout, and the
// access check reads the list that the caller built.
#include "sim_internal.h"

#include <set>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const DWORD kErrorUnknownRevision = 1305;
const HANDLE kCurrentProcess = (HANDLE)(intptr_t)-1;
const HANDLE kCurrentThread = (HANDLE)(intptr_t)-2;

struct Token {
    bool impersonation;  // a thread's token; a process's token is primary
    bool administrator;
    DWORD access;
};

struct Descriptor {
    bool daclPresent;
    PACL dacl;
    PSID owner;
    PSID group;
};

SimUser user = SimAdministrator;
bool impersonating;
std::map<HANDLE, Token> tokens;
uintptr_t nextToken = 0x2000;
std::map<void*, size_t> localBlocks;
std::set<void*> sids;
std::map<void*, Descriptor> descriptors;

void Misuse(const char* what) {
    fprintf(stderr, "simulated security: %s\n", what);
    abort();
}

// S-1-5-32-rid, as bytes.
std::string BuiltinSid(DWORD rid) {
    BYTE bytes[16] = {1, 2, 0, 0, 0, 0, 0, 5};
    DWORD domain = SECURITY_BUILTIN_DOMAIN_RID;
    memcpy(bytes + 8, &domain, 4);
    memcpy(bytes + 12, &rid, 4);
    return std::string((const char*)bytes, sizeof bytes);
}

std::string EveryoneSid() {
    BYTE bytes[12] = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    return std::string((const char*)bytes, sizeof bytes);
}

bool IsMember(const Token& token, const std::string& sid) {
    if (sid == EveryoneSid() || sid == BuiltinSid(DOMAIN_ALIAS_RID_USERS)) return true;
    return token.administrator && sid == BuiltinSid(DOMAIN_ALIAS_RID_ADMINS);
}

size_t SidLength(const BYTE* sid) { return 8 + 4 * (size_t)sid[1]; }

bool ValidSid(PSID sid) { return sid && sids.count(sid); }

// The bytes in use by the list's header and entries; 0 when it is malformed.
size_t AclUsed(const ACL* acl) {
    ACL header;
    memcpy(&header, acl, sizeof header);
    if (header.AclRevision < ACL_REVISION || header.AclRevision > 4 || header.AclSize < sizeof(ACL)) return 0;
    size_t used = sizeof(ACL);
    for (WORD i = 0; i < header.AceCount; ++i) {
        ACE_HEADER ace;
        if (used + sizeof ace > header.AclSize) return 0;
        memcpy(&ace, (const BYTE*)acl + used, sizeof ace);
        if (ace.AceSize < sizeof ace || used + ace.AceSize > header.AclSize) return 0;
        used += ace.AceSize;
    }
    return used;
}

// The access that the list's allowing entries grant to the token.
bool AllowedAccess(const ACL* acl, const Token& token, DWORD* allowed) {
    if (!AclUsed(acl)) return false;
    ACL header;
    memcpy(&header, acl, sizeof header);
    *allowed = 0;
    size_t at = sizeof(ACL);
    for (WORD i = 0; i < header.AceCount; ++i) {
        const BYTE* entry = (const BYTE*)acl + at;
        ACE_HEADER ace;
        memcpy(&ace, entry, sizeof ace);
        at += ace.AceSize;
        if (ace.AceType != ACCESS_ALLOWED_ACE_TYPE || ace.AceSize < 8 + 8) continue;
        const BYTE* sid = entry + 8;
        size_t length = SidLength(sid);
        if (8 + length > ace.AceSize) continue;
        DWORD mask;
        memcpy(&mask, entry + 4, 4);
        if (IsMember(token, std::string((const char*)sid, length))) *allowed |= mask;
    }
    return true;
}

DWORD MapGeneric(DWORD access, const GENERIC_MAPPING* mapping) {
    DWORD mapped = access & ~(DWORD)(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
    if (access & GENERIC_READ) mapped |= mapping->GenericRead;
    if (access & GENERIC_WRITE) mapped |= mapping->GenericWrite;
    if (access & GENERIC_EXECUTE) mapped |= mapping->GenericExecute;
    if (access & GENERIC_ALL) mapped |= mapping->GenericAll;
    return mapped;
}

HANDLE NewToken(bool impersonation, DWORD access) {
    HANDLE handle = (HANDLE)nextToken++;
    tokens[handle] = Token{impersonation, user == SimAdministrator, access};
    return handle;
}

}  // namespace

void SimSecurityEndProcess() {
    for (auto& block : localBlocks) free(block.first);
    for (void* sid : sids) free(sid);
    localBlocks.clear();
    sids.clear();
    descriptors.clear();
    tokens.clear();
    impersonating = false;
}

void SimSecurityReset() {
    SimSecurityEndProcess();
    user = SimAdministrator;
}

void SimSetUser(SimUser who) { user = who; }
bool SimImpersonating() { return impersonating; }
int SimOpenTokens() { return (int)tokens.size(); }
int SimLocalBlocks() { return (int)localBlocks.size(); }
int SimLiveSids() { return (int)sids.size(); }

extern "C" {

HANDLE WINAPI GetCurrentProcess(void) {
    SimFailHere("GetCurrentProcess");  // cannot fail
    return kCurrentProcess;
}

HANDLE WINAPI GetCurrentThread(void) {
    SimFailHere("GetCurrentThread");  // cannot fail
    return kCurrentThread;
}

// A file handle is released even when the close reports a failure, as the
// platform releases a valid handle; a token stays open.
BOOL WINAPI CloseHandle(HANDLE handle) {
    std::string file;
    bool isFile = SimFileHandleKey(handle, &file);
    if (SimFailHere("CloseHandle", file)) {
        if (isFile && !SimStopped()) SimReleaseFileHandle(handle);
        return FALSE;
    }
    if (isFile) {
        SimReleaseFileHandle(handle);
        return TRUE;
    }
    if (handle == kCurrentProcess || handle == kCurrentThread) return TRUE;
    if (!tokens.erase(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

// Fixed blocks only. Without LMEM_ZEROINIT the block holds no zeros, so
// that code relying on zero-filled memory shows.
HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
    if (SimFailHere("LocalAlloc")) return nullptr;
    void* block = malloc(bytes ? bytes : 1);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    memset(block, (flags & LMEM_ZEROINIT) ? 0 : 0xCD, bytes ? bytes : 1);
    localBlocks[block] = bytes;
    return block;
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
    if (SimFailHere("LocalFree")) return memory;
    if (!memory) return nullptr;
    if (!localBlocks.erase(memory)) Misuse("LocalFree of a block that LocalAlloc did not give");
    descriptors.erase(memory);
    free(memory);
    return nullptr;
}

BOOL WINAPI ImpersonateSelf(SECURITY_IMPERSONATION_LEVEL level) {
    if (SimFailHere("ImpersonateSelf")) return FALSE;
    if (level < SecurityAnonymous || level > SecurityDelegation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    impersonating = true;
    return TRUE;
}

BOOL WINAPI RevertToSelf(void) {
    if (SimFailHere("RevertToSelf")) return FALSE;
    impersonating = false;
    return TRUE;
}

// The calls below that fail leave arbitrary bytes where their handle or
// identifier would have gone.
BOOL WINAPI OpenThreadToken(HANDLE thread, DWORD access, BOOL, PHANDLE token) {
    SimSpoil(token, token ? sizeof *token : 0);
    if (SimFailHere("OpenThreadToken")) return FALSE;
    if (!token || thread != kCurrentThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!impersonating) {
        SetLastError(ERROR_NO_TOKEN);
        return FALSE;
    }
    *token = NewToken(true, access);
    return TRUE;
}

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    SimSpoil(token, token ? sizeof *token : 0);
    if (SimFailHere("OpenProcessToken")) return FALSE;
    if (!token || process != kCurrentProcess) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *token = NewToken(false, access);
    return TRUE;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY authority, BYTE count, DWORD sub0, DWORD sub1,
                                     DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                     PSID* sid) {
    SimSpoil(sid, sid ? sizeof *sid : 0);
    if (SimFailHere("AllocateAndInitializeSid")) return FALSE;
    if (!authority || !sid || count > 8) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD subs[8] = {sub0, sub1, sub2, sub3, sub4, sub5, sub6, sub7};
    BYTE* bytes = (BYTE*)malloc(8 + 4 * (size_t)count);
    if (!bytes) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    bytes[0] = 1;
    bytes[1] = count;
    memcpy(bytes + 2, authority->Value, 6);
    memcpy(bytes + 8, subs, 4 * (size_t)count);
    sids.insert(bytes);
    *sid = bytes;
    return TRUE;
}

DWORD WINAPI GetLengthSid(PSID sid) {
    SimFailHere("GetLengthSid");  // cannot fail
    if (!ValidSid(sid)) Misuse("GetLengthSid of an identifier that is not allocated");
    return (DWORD)SidLength((const BYTE*)sid);
}

PSID WINAPI FreeSid(PSID sid) {
    if (SimFailHere("FreeSid")) return sid;
    if (!sids.erase(sid)) Misuse("FreeSid of an identifier that is not allocated");
    free(sid);
    return nullptr;
}

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
    if (SimFailHere("InitializeSecurityDescriptor")) return FALSE;
    if (revision != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(kErrorUnknownRevision);
        return FALSE;
    }
    memset(descriptor, 0, SECURITY_DESCRIPTOR_MIN_LENGTH);
    ((BYTE*)descriptor)[0] = (BYTE)revision;
    descriptors[descriptor] = Descriptor{false, nullptr, nullptr, nullptr};
    return TRUE;
}

BOOL WINAPI InitializeAcl(PACL acl, DWORD size, DWORD revision) {
    if (SimFailHere("InitializeAcl")) return FALSE;
    if (size < sizeof(ACL) || size > 0xFFFC) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (revision < ACL_REVISION || revision > 4) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ACL header = {(BYTE)revision, 0, (WORD)size, 0, 0};
    memcpy(acl, &header, sizeof header);
    return TRUE;
}

BOOL WINAPI AddAccessAllowedAce(PACL acl, DWORD revision, DWORD mask, PSID sid) {
    if (SimFailHere("AddAccessAllowedAce")) return FALSE;
    size_t used = AclUsed(acl);
    if (!used || revision < ACL_REVISION || revision > 4) {
        SetLastError(ERROR_INVALID_ACL);
        return FALSE;
    }
    if (!ValidSid(sid)) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    ACL header;
    memcpy(&header, acl, sizeof header);
    size_t sidLength = SidLength((const BYTE*)sid);
    size_t aceSize = 8 + sidLength;  // header, mask, identifier
    if (used + aceSize > header.AclSize) {
        SetLastError(ERROR_ALLOTTED_SPACE_EXCEEDED);
        return FALSE;
    }
    BYTE* entry = (BYTE*)acl + used;
    ACE_HEADER ace = {ACCESS_ALLOWED_ACE_TYPE, 0, (WORD)aceSize};
    memcpy(entry, &ace, sizeof ace);
    memcpy(entry + 4, &mask, 4);
    memcpy(entry + 8, sid, sidLength);
    ++header.AceCount;
    memcpy(acl, &header, sizeof header);
    return TRUE;
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL acl, BOOL) {
    if (SimFailHere("SetSecurityDescriptorDacl")) return FALSE;
    auto found = descriptors.find(descriptor);
    if (found == descriptors.end()) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    if (present && acl && !AclUsed(acl)) {
        SetLastError(ERROR_INVALID_ACL);
        return FALSE;
    }
    found->second.daclPresent = present != 0;
    found->second.dacl = present ? acl : nullptr;
    return TRUE;
}

static BOOL SetDescriptorSid(const char* op, PSECURITY_DESCRIPTOR descriptor, PSID sid, bool owner) {
    if (SimFailHere(op)) return FALSE;
    auto found = descriptors.find(descriptor);
    if (found == descriptors.end()) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    if (sid && !ValidSid(sid)) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    (owner ? found->second.owner : found->second.group) = sid;
    return TRUE;
}

BOOL WINAPI SetSecurityDescriptorGroup(PSECURITY_DESCRIPTOR descriptor, PSID group, BOOL) {
    return SetDescriptorSid("SetSecurityDescriptorGroup", descriptor, group, false);
}

BOOL WINAPI SetSecurityDescriptorOwner(PSECURITY_DESCRIPTOR descriptor, PSID owner, BOOL) {
    return SetDescriptorSid("SetSecurityDescriptorOwner", descriptor, owner, true);
}

BOOL WINAPI IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor) {
    if (SimFailHere("IsValidSecurityDescriptor")) return FALSE;
    if (!descriptors.count(descriptor) || ((BYTE*)descriptor)[0] != SECURITY_DESCRIPTOR_REVISION) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    return TRUE;
}

// As on the platform: the token must be an impersonation token opened for
// query, and the descriptor must name an owner and a group.
BOOL WINAPI AccessCheck(PSECURITY_DESCRIPTOR descriptor, HANDLE token, DWORD desired, PGENERIC_MAPPING mapping,
                        PPRIVILEGE_SET privileges, LPDWORD privilegesLength, LPDWORD granted, LPBOOL status) {
    SimSpoil(granted, granted ? sizeof *granted : 0);
    SimSpoil(status, status ? sizeof *status : 0);
    if (SimFailHere("AccessCheck")) return FALSE;
    auto held = tokens.find(token);
    if (held == tokens.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!held->second.impersonation) {
        SetLastError(ERROR_NO_IMPERSONATION_TOKEN);
        return FALSE;
    }
    if (!(held->second.access & TOKEN_QUERY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    auto found = descriptors.find(descriptor);
    if (found == descriptors.end() || !found->second.owner || !found->second.group) {
        SetLastError(ERROR_INVALID_SECURITY_DESCR);
        return FALSE;
    }
    if (!mapping || !privilegesLength || !granted || !status) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!privileges || *privilegesLength < sizeof(PRIVILEGE_SET)) {
        *privilegesLength = sizeof(PRIVILEGE_SET);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    DWORD wanted = MapGeneric(desired, mapping);
    DWORD allowed = 0xFFFFFFFF;  // no list: everyone is granted everything
    if (found->second.daclPresent && found->second.dacl &&
        !AllowedAccess(found->second.dacl, held->second, &allowed)) {
        SetLastError(ERROR_INVALID_ACL);
        return FALSE;
    }
    privileges->PrivilegeCount = 0;
    privileges->Control = 0;
    bool all = wanted != 0 && (wanted & allowed) == wanted;
    *granted = all ? wanted : 0;
    *status = all ? TRUE : FALSE;
    if (!all) SetLastError(ERROR_ACCESS_DENIED);
    return TRUE;
}

}  // extern "C"
