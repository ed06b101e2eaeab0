// The uninstaller's own path, which names the install directory.
#include "module_path.h"

#include "../common/text.h"
#include "uninstall.h"

enum Spelling { SPELT, NOT_SPELT, FAILED };

// Whether wide, converted to the ANSI code page as text, spells it exactly:
// converted back it must give the same characters (no '?' for a character
// the code page lacks, no look-alike put in its place).
static Spelling SpellInAnsi(const WCHAR* wide, char* out) {
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, out, PATH_BUFFER_SIZE, 0, &usedDefault);
    if (length <= 0) return FAILED;
    if (usedDefault) return NOT_SPELT;
    WCHAR back[PATH_BUFFER_SIZE];
    int backLength = MultiByteToWideChar(CP_ACP, 0, out, -1, back, PATH_BUFFER_SIZE);
    if (backLength <= 0) return FAILED;
    for (int at = 0; at < backLength; ++at)
        if (back[at] != wide[at]) return NOT_SPELT;
    return SPELT;
}

// NT names files in Unicode: its ANSI answer spells a character that the
// code page lacks as '?', naming a directory that does not exist. The path
// is asked in Unicode, and where the code page cannot spell it, its short
// form is taken, which it can (unless short names are off on that volume).
static int ModulePathOnNT(HINSTANCE instance, char* out) {
    WCHAR wide[PATH_BUFFER_SIZE];
    DWORD length = GetModuleFileNameW(instance, wide, PATH_BUFFER_SIZE);
    if (length == 0 || length >= PATH_BUFFER_SIZE) return 0;
    wide[length] = 0;
    Spelling spelling = SpellInAnsi(wide, out);
    if (spelling != NOT_SPELT) return spelling == SPELT;
    WCHAR shortWide[PATH_BUFFER_SIZE];
    DWORD shortLength = GetShortPathNameW(wide, shortWide, PATH_BUFFER_SIZE);
    if (shortLength == 0 || shortLength >= PATH_BUFFER_SIZE) return 0;
    return SpellInAnsi(shortWide, out) == SPELT;
}

// The 95/98 family names its files in the ANSI code page itself.
static int ModulePathInAnsi(HINSTANCE instance, char* out) {
    DWORD length = GetModuleFileNameA(instance, out, PATH_BUFFER_SIZE);
    return length > 0 && length < PATH_BUFFER_SIZE;
}

int ModulePath(HINSTANCE instance, char* out) {
    int found = UninstallPaths.IsWindowsNT ? ModulePathOnNT(instance, out) : ModulePathInAnsi(instance, out);
    if (!found) out[0] = 0;
    return found;
}
