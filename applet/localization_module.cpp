// The optional localization library beside the applet file.
#include "applet.h"

#include "../common/text.h"

static const char kLocalizationSuffix[] = "-LOC.DLL";

// Where the last four characters of text begin; 0 when it holds no more
// than four (nothing would be left of the path).
static size_t LastFourCharactersStart(const char* text) {
    size_t starts[4] = {0, 0, 0, 0};
    unsigned seen = 0;
    for (const char* p = text; *p; p = NextCharacter(p)) starts[seen++ % 4] = (size_t)(p - text);
    return seen > 4 ? starts[seen % 4] : 0;
}

void LoadLocalizationModule() {
    AppletSettings.LocalizationModule = 0;
    char path[MODULE_PATH_SIZE];
    DWORD length = GetModuleFileNameA(AppletSettings.ResourceModule, path, sizeof path);
    // A path that fills the buffer may have been cut, and then names
    // another file: no localization library rather than the wrong one.
    if (length < 4 || length >= sizeof path) return;
    // On NT a character of the applet's path that the ANSI code page lacks
    // comes back as '?': that path names no file of the applet's.
    if (HoldsCharacter(path, '?')) return;
    // The last four characters go, whatever the extension's length: on a
    // double-byte code page a character may take two bytes.
    size_t cut = LastFourCharactersStart(path);
    if (cut == 0 || cut + sizeof kLocalizationSuffix > sizeof path) return;
    path[cut] = 0;
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
