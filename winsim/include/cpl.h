// The Control Panel's messages and records, as the platform publishes them.
// The platform packs them to bytes, which with 32-bit fields is the natural
// layout (NEWCPLINFOA is 244 bytes); here, with the host's wider handles,
// they keep their natural alignment.
#ifndef WINSIM_CPL_H
#define WINSIM_CPL_H

#include <windows.h>

#define CPL_DYNAMIC_RES 0
#define CPL_INIT 1
#define CPL_GETCOUNT 2
#define CPL_INQUIRE 3
#define CPL_SELECT 4
#define CPL_DBLCLK 5
#define CPL_STOP 6
#define CPL_EXIT 7
#define CPL_NEWINQUIRE 8
#define CPL_STARTWPARMSA 9
#define CPL_STARTWPARMSW 10
#define CPL_SETUP 200

typedef LONG(WINAPI* APPLET_PROC)(HWND window, UINT message, LPARAM parameter1, LPARAM parameter2);

typedef struct tagCPLINFO {
    int idIcon;
    int idName;
    int idInfo;
    LONG_PTR lData;
} CPLINFO, *LPCPLINFO;

typedef struct tagNEWCPLINFOA {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHelpContext;
    LONG_PTR lData;
    HICON hIcon;
    CHAR szName[32];
    CHAR szInfo[64];
    CHAR szHelpFile[128];
} NEWCPLINFOA, *LPNEWCPLINFOA;

#endif
