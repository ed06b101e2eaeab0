// The library's entry: reads the settings on load, releases the
// localization library on unload. It never refuses the load.
#include "applet.h"

#include "../common/paths.h"
#include "../common/registry.h"

AppletSettingsRecord AppletSettings;

// A missing or over-long value leaves its setting empty; the applet loads
// all the same.
static void ReadSettings(HINSTANCE instance) {
    AppletSettingsRecord& s = AppletSettings;
    // A load that fails leaves no string in the buffer.
    if (!LoadStringA(instance, IDS_SETTINGS_KEY, s.KeyPath, sizeof s.KeyPath)) s.KeyPath[0] = 0;
    RegReadString(s.KeyPath, "InstallLocation", s.InstallLocation, sizeof s.InstallLocation);
    RegReadString(s.KeyPath, "FileName", s.FileName, sizeof s.FileName);
    RegReadString(s.KeyPath, "Switch", s.Switch, sizeof s.Switch);
    // An empty location stays empty rather than becoming a drive's root.
    ApplyTrailingBackslash(s.InstallLocation, sizeof s.InstallLocation);
}

extern "C" BOOL WINAPI DllEntryPoint(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        AppletSettings.ResourceModule = instance;
        ReadSettings(instance);
        LoadLocalizationModule();
    } else if (reason == DLL_PROCESS_DETACH) {
        FreeLocalizationModule();
    }
    return TRUE;
}
