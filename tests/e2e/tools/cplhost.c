/* A Control Panel host for tests: loads the real applet library, checks its
 * exports by name and by ordinal, talks to it with the Control Panel's
 * messages and checks its answers and records, then checks the library's
 * own string, icon and version resources.
 *
 * Usage: cplhost <applet path> own|localized
 *   own        no localization library beside the applet: name and
 *              description come from the applet itself
 *   localized  the sample localization library (German) sits beside it
 *
 * Prints one line per check; exits with the number of failed checks. */
#include <windows.h>
#include <cpl.h>
#include <stdio.h>
#include <string.h>

static int failures;

static void Check(int ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAIL", what);
    if (!ok) ++failures;
}

static void CheckText(const char* got, const char* expected, const char* what) {
    int ok = strcmp(got, expected) == 0;
    printf("%s: %s: \"%s\"", ok ? "ok" : "FAIL", what, got);
    if (!ok) {
        printf(" (expected \"%s\")", expected);
        ++failures;
    }
    printf("\n");
}

static const char kName[] = "Quillon Vantrell";
static const char kDescription[] = "Configure settings for Quillon Vantrell driver.";
static const char kKeyPath[] = "Software\\Quillon Software\\Vantrell";
static const char kLocalizedName[] = "Quillon-Vantrell-Treiber";
static const char kLocalizedDescription[] = "Einstellungen f\xfcr den Quillon-Vantrell-Treiber festlegen.";

static void CheckExports(HMODULE applet) {
    FARPROC byName = GetProcAddress(applet, "CPlApplet");
    FARPROC byOrdinal = GetProcAddress(applet, MAKEINTRESOURCEA(1));
    Check(byName != NULL, "CPlApplet exported by name");
    Check(byName == byOrdinal, "CPlApplet is ordinal 1");
    byName = GetProcAddress(applet, "QVPDlgProc");
    byOrdinal = GetProcAddress(applet, MAKEINTRESOURCEA(2));
    Check(byName != NULL, "QVPDlgProc exported by name");
    Check(byName == byOrdinal, "QVPDlgProc is ordinal 2");
    Check(GetProcAddress(applet, MAKEINTRESOURCEA(3)) == NULL, "no third export");
    Check(GetProcAddress(applet, "CPlApplet@16") == NULL && GetProcAddress(applet, "_CPlApplet@16") == NULL,
          "no decorated names exported");
}

static void CheckMessages(APPLET_PROC applet, int localized) {
    CPLINFO info;
    NEWCPLINFOA newInfo;
    unsigned char untouched[sizeof newInfo];

    Check(applet(NULL, CPL_INIT, 0, 0) == 1, "CPL_INIT answers 1");
    Check(applet(NULL, CPL_GETCOUNT, 0, 0) == 1, "CPL_GETCOUNT answers 1");

    memset(&info, 0xCC, sizeof info);
    Check(applet(NULL, CPL_INQUIRE, 0, (LPARAM)&info) == 0, "CPL_INQUIRE answers 0");
    Check(info.idIcon == 100 && info.idName == 1 && info.idInfo == 2 && info.lData == 0,
          "CPL_INQUIRE fills icon 100, name 1, description 2, data 0");

    Check(sizeof(NEWCPLINFOA) == 244, "NEWCPLINFO is 244 bytes");
    memset(&newInfo, 0xCC, sizeof newInfo);
    Check(applet(NULL, CPL_NEWINQUIRE, 0, (LPARAM)&newInfo) == 0, "CPL_NEWINQUIRE answers 0");
    Check(newInfo.dwSize == 244, "NEWCPLINFO size 244");
    Check(newInfo.dwFlags == 0 && newInfo.dwHelpContext == 0 && newInfo.lData == 0,
          "NEWCPLINFO flags, help context and data 0");
    Check(newInfo.hIcon != NULL, "NEWCPLINFO has an icon");
    Check(newInfo.szHelpFile[0] == 0, "NEWCPLINFO names no help file");
    CheckText(newInfo.szName, localized ? kLocalizedName : kName, "NEWCPLINFO name");
    CheckText(newInfo.szInfo, localized ? kLocalizedDescription : kDescription, "NEWCPLINFO description");

    /* An index past the one applet: nothing filled, not processed. */
    memset(&info, 0xCC, sizeof info);
    memcpy(untouched, &info, sizeof info);
    Check(applet(NULL, CPL_INQUIRE, 1, (LPARAM)&info) != 0 && memcmp(&info, untouched, sizeof info) == 0,
          "CPL_INQUIRE for index 1 fills nothing");
    memset(&newInfo, 0xCC, sizeof newInfo);
    memcpy(untouched, &newInfo, sizeof newInfo);
    Check(applet(NULL, CPL_NEWINQUIRE, 1, (LPARAM)&newInfo) != 0 &&
              memcmp(&newInfo, untouched, sizeof newInfo) == 0,
          "CPL_NEWINQUIRE for index 1 fills nothing");

    Check(applet(NULL, CPL_SELECT, 0, 0) == 0, "CPL_SELECT answers 0");
    Check(applet(NULL, CPL_STARTWPARMSA, 0, (LPARAM) "") == 0, "CPL_STARTWPARMSA answers 0");
    Check(applet(NULL, CPL_STARTWPARMSW, 0, (LPARAM)L"") == 0, "CPL_STARTWPARMSW answers 0");
    Check(applet(NULL, 0, 0, 0) == 0, "message 0 answers 0");
    Check(applet(NULL, 1000, 0, 0) == 0, "message 1000 answers 0");
    Check(applet(NULL, CPL_DBLCLK, 0, 0) == 0, "CPL_DBLCLK answers 0");
    Check(applet(NULL, CPL_STOP, 0, 0) == 0, "CPL_STOP answers 0");
    Check(applet(NULL, CPL_EXIT, 0, 0) == 0, "CPL_EXIT answers 0");
}

static const void* ResourceData(HMODULE module, LPCSTR name, LPCSTR type, DWORD* size) {
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
    *size = found ? SizeofResource(module, found) : 0;
    return loaded ? LockResource(loaded) : NULL;
}

#pragma pack(push, 2)
typedef struct {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
} GroupIconEntry;
typedef struct {
    WORD reserved, type, count;
    GroupIconEntry entries[1];
} GroupIcon;
#pragma pack(pop)

static void CheckIcons(HMODULE applet) {
    static const struct { int size, bits; } kImages[6] = {{32, 4}, {16, 4}, {48, 4}, {32, 24}, {16, 24}, {48, 24}};
    DWORD namedSize, numberedSize, imageSize;
    const GroupIcon* named = ResourceData(applet, "QVP_ICON", RT_GROUP_ICON, &namedSize);
    const GroupIcon* numbered = ResourceData(applet, MAKEINTRESOURCEA(100), RT_GROUP_ICON, &numberedSize);
    int i, imagesOk = 1;

    Check(named != NULL, "icon group QVP_ICON");
    Check(numbered != NULL, "icon group 100");
    if (!named || !numbered) return;
    Check(namedSize == numberedSize && memcmp(named, numbered, namedSize) == 0,
          "icon group 100 is QVP_ICON over the same images");
    Check(named->count == 6, "six images");
    if (named->count != 6) return;
    for (i = 0; i < 6; ++i) {
        const GroupIconEntry* e = &named->entries[i];
        const void* image = ResourceData(applet, MAKEINTRESOURCEA(e->id), RT_ICON, &imageSize);
        if (e->width != kImages[i].size || e->height != kImages[i].size || e->bits != kImages[i].bits ||
            !image || imageSize != e->bytes) {
            printf("image %d: %dx%d, %d bits, %lu bytes\n", i, e->width, e->height, e->bits, (unsigned long)imageSize);
            imagesOk = 0;
        }
    }
    Check(imagesOk, "images 32, 16, 48 pixels at 4 and at 24 bits");
    Check(LoadIconA(applet, "QVP_ICON") != NULL, "LoadIcon QVP_ICON");
    Check(LoadIconA(applet, MAKEINTRESOURCEA(100)) != NULL, "LoadIcon 100");
}

static void CheckStrings(HMODULE applet) {
    char text[256];
    text[0] = 0;
    LoadStringA(applet, 1, text, sizeof text);
    CheckText(text, kName, "string 1");
    text[0] = 0;
    LoadStringA(applet, 2, text, sizeof text);
    CheckText(text, kDescription, "string 2");
    text[0] = 0;
    LoadStringA(applet, 3, text, sizeof text);
    CheckText(text, kKeyPath, "string 3");
}

static void CheckVersionText(void* info, const char* name, const char* expected) {
    char query[128];
    char* value = NULL;
    UINT length = 0;
    sprintf(query, "\\StringFileInfo\\040904B0\\%s", name);
    if (!VerQueryValueA(info, query, (void**)&value, &length) || !value) value = "(missing)";
    CheckText(value, expected, name);
}

static void CheckVersion(const char* path) {
    static char info[8192];
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    VS_FIXEDFILEINFO* fixed = NULL;
    WORD* translation = NULL;
    UINT length = 0;

    Check(size > 0 && size <= sizeof info && GetFileVersionInfoA(path, 0, sizeof info, info), "version record");
    if (size == 0 || size > sizeof info) return;
    Check(VerQueryValueA(info, "\\", (void**)&fixed, &length) && fixed && fixed->dwSignature == 0xFEEF04BD,
          "fixed version information");
    if (!fixed) return;
    Check(fixed->dwFileVersionMS == 0x00020000 && fixed->dwFileVersionLS == 0, "file version 2.0.0.0");
    Check(fixed->dwProductVersionMS == 0x00020000 && fixed->dwProductVersionLS == 0, "product version 2.0.0.0");
    Check(fixed->dwFileType == VFT_DLL, "file type library");
    Check(VerQueryValueA(info, "\\VarFileInfo\\Translation", (void**)&translation, &length) && length == 4 &&
              translation[0] == 0x0409 && translation[1] == 0x04B0,
          "translation 0409, code page 04B0");
    CheckVersionText(info, "FileVersion", "2.0 build 8");
    CheckVersionText(info, "ProductVersion", "2.0 build 8");
    CheckVersionText(info, "FileDescription", "Quillon Vantrell Control Panel Applet");
    CheckVersionText(info, "ProductName", "Quillon Vantrell");
    CheckVersionText(info, "Comments", "Quillon Vantrell");
    CheckVersionText(info, "InternalName", "vantrell.cpl");
    CheckVersionText(info, "OriginalFilename", "vantrell.cpl");
}

int main(int argc, char** argv) {
    HMODULE applet;
    int localized;
    if (argc != 3 || (strcmp(argv[2], "own") && strcmp(argv[2], "localized"))) {
        fprintf(stderr, "usage: cplhost <applet path> own|localized\n");
        return 100;
    }
    localized = strcmp(argv[2], "localized") == 0;

    applet = LoadLibraryA(argv[1]);
    Check(applet != NULL, "the applet loads");
    if (!applet) return failures;
    Check((GetModuleHandleA("VANTRELL-LOC.DLL") != NULL) == localized,
          localized ? "the localization library is loaded with it" : "no localization library is loaded");

    CheckExports(applet);
    if (GetProcAddress(applet, "CPlApplet")) CheckMessages((APPLET_PROC)GetProcAddress(applet, "CPlApplet"), localized);
    CheckIcons(applet);
    CheckStrings(applet);

    Check(FreeLibrary(applet), "the applet unloads");
    Check(GetModuleHandleA("VANTRELL-LOC.DLL") == NULL, "no localization library is left loaded");
    CheckVersion(argv[1]);

    printf("%d failed\n", failures);
    fflush(stdout);
    return failures;
}
