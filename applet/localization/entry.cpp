// A localization library holds resources only: its entry has nothing to do
// and accepts every load.
#include <windows.h>

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE, DWORD, LPVOID) { return TRUE; }
