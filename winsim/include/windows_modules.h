// The simulated Windows, continued: libraries, their string and icon
// resources, and the default dialog procedure.
#ifndef WINSIM_WINDOWS_MODULES_H
#define WINSIM_WINDOWS_MODULES_H

#define ERROR_MOD_NOT_FOUND 126L

// Library entry reasons
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#ifdef __cplusplus
extern "C" {
#endif

HMODULE WINAPI LoadLibraryA(LPCSTR path);
BOOL WINAPI FreeLibrary(HMODULE module);
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
LPSTR WINAPI lstrcatA(LPSTR to, LPCSTR from);
LRESULT WINAPI DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#ifdef __cplusplus
}
#endif

#endif
