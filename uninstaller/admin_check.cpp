// Administrator check (NT): would the caller be granted access through a
// descriptor whose list grants it to the Administrators group alone?
#include "uninstall.h"

#include "../common/crt.h"

// The check's own access rights.
enum { ADMIN_CHECK_READ = 1, ADMIN_CHECK_WRITE = 2 };

// The security records of one check, released by IsAdministrator.
struct AdminCheckRecords {
    PSID administrators;
    PSECURITY_DESCRIPTOR descriptor;
    PACL list;
};

// The caller's token: the thread's while it impersonates, else the
// process's. 0 when there is none.
static HANDLE OpenCallerToken() {
    HANDLE token = 0;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, FALSE, &token)) return token;
    if (GetLastError() == ERROR_NO_TOKEN && OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return token;
    return 0;
}

// Builds the records and runs the access check; the access status, or 0
// when any step fails.
static BOOL AccessGranted(HANDLE token, AdminCheckRecords* records) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0,
                                  0, 0, 0, &records->administrators)) {
        // Undefined after a failure: nothing to free.
        records->administrators = 0;
        return FALSE;
    }
    PSID administrators = records->administrators;

    records->descriptor = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
    if (!records->descriptor || !InitializeSecurityDescriptor(records->descriptor, SECURITY_DESCRIPTOR_REVISION))
        return FALSE;

    // The list's header and one entry, whose identifier takes the place of
    // the entry's last field.
    DWORD listSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(administrators);
    records->list = (PACL)LocalAlloc(LPTR, listSize);
    if (!records->list || !InitializeAcl(records->list, listSize, ACL_REVISION) ||
        !AddAccessAllowedAce(records->list, ACL_REVISION, ADMIN_CHECK_READ | ADMIN_CHECK_WRITE, administrators) ||
        !SetSecurityDescriptorDacl(records->descriptor, TRUE, records->list, FALSE))
        return FALSE;
    // The access check wants an owner and a group; without them it fails.
    SetSecurityDescriptorGroup(records->descriptor, administrators, FALSE);
    SetSecurityDescriptorOwner(records->descriptor, administrators, FALSE);
    if (!IsValidSecurityDescriptor(records->descriptor)) return FALSE;

    GENERIC_MAPPING mapping = {ADMIN_CHECK_READ, ADMIN_CHECK_WRITE, 0, ADMIN_CHECK_READ | ADMIN_CHECK_WRITE};
    PRIVILEGE_SET privileges;
    DWORD privilegesLength = sizeof privileges;
    DWORD granted = 0;
    BOOL status = FALSE;
    if (!AccessCheck(records->descriptor, token, ADMIN_CHECK_READ, &mapping, &privileges,
                     &privilegesLength, &granted, &status)) {
        char line[64];
        wsprintfA(line, "AccessCheck() failed with error %lu\n", (unsigned long)GetLastError());
        KitWriteStandardOutput(line);
        return FALSE;
    }
    return status;
}

int IsAdministrator() {
    // Impersonating itself gives the thread a token of its own. Its result
    // is not needed: without that token the process's stands in.
    ImpersonateSelf(SecurityImpersonation);
    HANDLE token = OpenCallerToken();
    BOOL status = FALSE;
    if (token) {
        AdminCheckRecords records = {0, 0, 0};
        status = AccessGranted(token, &records);
        if (records.list) LocalFree(records.list);
        if (records.descriptor) LocalFree(records.descriptor);
        if (records.administrators) FreeSid(records.administrators);
        CloseHandle(token);
    }
    RevertToSelf();
    return status != FALSE;
}
