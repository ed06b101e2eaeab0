// The Control Panel's messages: one applet, its icon and texts, and the
// configuration program started on a double-click.
#include "applet.h"

#include "../common/launch.h"

// The platform's records with 32-bit handles, as the Control Panel lays
// them out.
static_assert(sizeof(void*) != 4 || sizeof(CPLINFO) == 16, "CPLINFO is 16 bytes");
static_assert(sizeof(void*) != 4 || sizeof(NEWCPLINFOA) == 244, "NEWCPLINFO is 244 bytes");
static_assert(sizeof(void*) != 4 || sizeof(AppletTableEntry) == 20, "five 32-bit fields");

static const AppletTableEntry AppletTable[] = {
    {IDI_APPLET, IDS_APPLET_NAME, IDS_APPLET_DESCRIPTION, 1, QVPDlgProc},
};
enum { APPLET_COUNT = sizeof AppletTable / sizeof AppletTable[0] };

// The host asks only about the applets that CPL_GETCOUNT announced; any
// other index names no applet: its record stays as the host gave it and the
// answer is nonzero (not processed).
static const AppletTableEntry* EntryAt(LPARAM index) {
    return (ULONG_PTR)index < APPLET_COUNT ? &AppletTable[index] : 0;
}

static LONG Inquire(LPARAM index, CPLINFO* info) {
    const AppletTableEntry* entry = EntryAt(index);
    if (!entry || !info) return 1;
    info->idIcon = entry->IconId;
    info->idName = entry->NameId;
    info->idInfo = entry->DescriptionId;
    info->lData = 0;
    return 0;
}

static LONG NewInquire(LPARAM index, NEWCPLINFOA* info) {
    const AppletTableEntry* entry = EntryAt(index);
    if (!entry || !info) return 1;
    HMODULE resources = AppletSettings.ResourceModule;
    info->dwSize = sizeof(NEWCPLINFOA);
    info->dwFlags = 0;
    info->dwHelpContext = 0;
    info->lData = 0;
    info->hIcon = LoadIconA(resources, MAKEINTRESOURCEA(LOWORD(entry->IconId)));
    info->szHelpFile[0] = 0;
    // A load that fails leaves no string in the field: empty then. The
    // load cuts a longer text to the field, terminator included.
    if (!LoadStringA(resources, entry->NameId, info->szName, sizeof info->szName)) info->szName[0] = 0;
    if (!LoadStringA(resources, entry->DescriptionId, info->szInfo, sizeof info->szInfo)) info->szInfo[0] = 0;
    return 0;
}

extern "C" LONG WINAPI CPlApplet(HWND, UINT message, LPARAM parameter1, LPARAM parameter2) {
    switch (message) {
    case CPL_INIT:
        return 1;
    case CPL_GETCOUNT:
        return APPLET_COUNT;
    case CPL_INQUIRE:
        return Inquire(parameter1, (CPLINFO*)parameter2);
    case CPL_NEWINQUIRE:
        return NewInquire(parameter1, (NEWCPLINFOA*)parameter2);
    case CPL_DBLCLK:
        // Each double-click starts the program again; it is not waited for
        // and a failed start is not reported.
        LaunchCommand(AppletSettings.InstallLocation, AppletSettings.FileName, AppletSettings.Switch);
        return 0;
    default:  // CPL_SELECT, CPL_STOP, CPL_EXIT and any other message
        return 0;
    }
}
