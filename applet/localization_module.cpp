// The optional localization library beside the applet file.
#include "applet.h"

static const char kLocalizationSuffix[] = "-LOC.DLL";

void LoadLocalizationModule() {
    AppletSettings.LocalizationModule = 0;
    char path[MODULE_PATH_SIZE];
    DWORD length = GetModuleFileNameA(AppletSettings.ResourceModule, path, sizeof path);
    // A path that fills the buffer may have been cut, and then names
    // another file: no localization library rather than the wrong one.
    if (length < 4 || length >= sizeof path) return;
    // The last four characters go, whatever the extension's length.
    length -= 4;
    if (length + sizeof kLocalizationSuffix > sizeof path) return;
    path[length] = 0;
    // Without its suffix the path names the applet's own name without an
    // extension, which the library load would complete to another file.
    if (!lstrcatA(path, kLocalizationSuffix)) return;
    HMODULE library = LoadLibraryA(path);
    AppletSettings.LocalizationModule = library;
    if (library) AppletSettings.ResourceModule = library;
}

void FreeLocalizationModule() {
    if (!AppletSettings.LocalizationModule) return;
    FreeLibrary(AppletSettings.LocalizationModule);
    AppletSettings.LocalizationModule = 0;
}
