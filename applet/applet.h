// The Control Panel applet: its settings, read once per load, and the
// entries through which the platform and the Control Panel call it.
#ifndef APPLET_APPLET_H
#define APPLET_APPLET_H

#include "../common/platform.h"

#include <cpl.h>

#include "resource_ids.h"

// The platform's module path queries here take 256 bytes.
enum { MODULE_PATH_SIZE = 256 };

struct AppletSettingsRecord {
    // Where the icon, name and description come from: the applet itself,
    // or the localization library once that is loaded.
    HMODULE ResourceModule;
    HMODULE LocalizationModule;  // 0 when there is none
    char KeyPath[PATH_BUFFER_SIZE];
    // With a trailing backslash, unless empty.
    char InstallLocation[PATH_BUFFER_SIZE];
    char FileName[PATH_BUFFER_SIZE];
    char Switch[PATH_BUFFER_SIZE];
};
extern AppletSettingsRecord AppletSettings;

typedef LRESULT(WINAPI* AppletDialogProc)(HWND, UINT, WPARAM, LPARAM);

// One applet of the library, as the Control Panel numbers them.
struct AppletTableEntry {
    LONG IconId;
    LONG NameId;
    LONG DescriptionId;
    LONG ExtraNumber;  // kept with the entry; the handler does not read it
    AppletDialogProc DialogProc;
};

// Looks for VANTRELL-LOC.DLL (the applet's own path with its last four
// characters replaced) and, when it loads, takes the resources from it.
void LoadLocalizationModule();
void FreeLocalizationModule();

extern "C" {
BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID reserved);
LONG WINAPI CPlApplet(HWND window, UINT message, LPARAM parameter1, LPARAM parameter2);
LRESULT WINAPI QVPDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
}

#endif
