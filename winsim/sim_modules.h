// The simulated Windows' test interface, continued: libraries with their
// resources, and the default dialog procedure's calls.
#ifndef WINSIM_SIM_MODULES_H
#define WINSIM_SIM_MODULES_H

#include <windows.h>

#include <string>
#include <vector>

// A library that exists at path: LoadLibraryA of that path (compared
// case-insensitively) loads it, GetModuleFileNameA names it, LoadStringA and
// LoadIconA find the resources given to it. A library that a test adds is
// present as if its host had loaded it; once LoadLibraryA has loaded it and
// FreeLibrary has released every reference, it is gone and its resources
// with it. A path never added does not load (ERROR_MOD_NOT_FOUND).
HMODULE SimAddModule(const char* path);
void SimSetModuleString(HMODULE module, UINT id, const char* text);
// Adds an icon group with an integer id; returns the handle LoadIconA gives.
HICON SimAddModuleIcon(HMODULE module, WORD id);
int SimModuleReferences(HMODULE module);  // LoadLibraryA calls not yet freed
const std::vector<std::string>& SimLoadLibraryRequests();  // paths, in order

// DefDlgProcA records its arguments and answers the result set here (0
// after SimReset).
struct SimDialogCall {
    HWND dialog;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
const std::vector<SimDialogCall>& SimDefDlgProcCalls();
void SimSetDefDlgProcResult(LRESULT result);

#endif
