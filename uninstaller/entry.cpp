// The program's own entry, in place of the C run-time start-up code (which
// would add a TLS directory and imports that Windows 95 and NT 4.0 lack).
#include "uninstall.h"

extern "C" void __stdcall UninstallerEntry() {
    STARTUPINFOA startup;
    startup.dwFlags = 0;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    const char* tail = CommandLineTail(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(0), 0, (LPSTR)tail, show));
}
