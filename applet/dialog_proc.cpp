// The exported dialog procedure: everything goes to the platform's default
// handling. The applet itself creates no dialog with it.
#include "applet.h"

extern "C" LRESULT WINAPI QVPDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefDlgProcA(dialog, message, wParam, lParam);
}
