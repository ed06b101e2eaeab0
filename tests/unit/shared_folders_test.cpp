// Folders that others keep their files in are never removed as the install
// directory, nor one that holds them; and on NT the install directory is
// found by its real name, whatever the code page.
#include "machine.h"

#include "uninstaller/install_dir_guard.h"
#include "uninstaller/paths_record.h"
#include "uninstaller/uninstall.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

const char kWindowsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kProfileList[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kNoDirectoriesText[] =
    "The uninstall could not find the Windows, system or install directory.\n\n"
    "Nothing has been changed.";
const char kSuccessText[] = "Quillon Vantrell has been successfully removed from your system.";

class SharedFoldersTest : public MachineTest {};

bool SetExpandString(HKEY root, const char* path, const char* name, const char* value) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    LSTATUS status = RegSetValueExA(key, name, 0, REG_EXPAND_SZ, (const BYTE*)value, (DWORD)strlen(value) + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// A machine of the NT family with every kind of shared folder, some with
// short forms of their own.
void ArrangeSharedFolders() {
    SimSetFamily(SimWindowsNT);
    SimSetWindowsDirectory("C:\\WINNT");
    SimSetSystemDirectory("C:\\WINNT\\SYSTEM32");
    SimCreateDirectory("C:\\WINNT\\SYSTEM32");
    SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir", "C:\\Program Files");
    SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "CommonFilesDir", "C:\\Program Files\\Common Files");
    SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Users\\ann\\Desktop");
    SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Personal", "D:\\My Documents\\");
    SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Favorites", "C:\\Users\\ann\\Favorites");
    SimRegSetString(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop", "C:\\Users\\Public\\Desktop");
    SimRegCreateKey(HKEY_LOCAL_MACHINE, kProfileList);
    SetExpandString(HKEY_LOCAL_MACHINE, kProfileList, "ProfilesDirectory", "%SystemDrive%\\Users");
    SimSetEnvironmentVariable("SystemDrive", "C:");
    SimSetEnvironmentVariable("USERPROFILE", "C:\\Users\\ann");
    SimSetTempPath("C:\\Temp\\");
    for (const char* folder : {"C:\\Program Files\\Common Files", "C:\\Users\\ann\\Desktop", "D:\\My Documents",
                               "C:\\Users\\ann\\Favorites", "C:\\Users\\Public\\Desktop", "C:\\Temp"})
        SimCreateDirectory(folder);
    SimAddShortName("C:\\Program Files\\", "C:\\PROGRA~1\\");
    SimAddShortName("C:\\Program Files\\Common Files\\", "C:\\PROGRA~1\\COMMON~1\\");
    SimAddShortName("D:\\My Documents\\", "D:\\MYDOCU~1\\");
}

// The guard's answer for an install directory holding the installer's mark.
bool Removable(const std::string& install) {
    SimWriteFile((install + "uninstal.000").c_str(), "x");
    SimWriteFile((install + "UNINSTAL.EXE").c_str(), "x");
    SimSetModulePath(SimMainModule(), (install + "UNINSTAL.EXE").c_str());
    if (!FillUninstallPaths(SimMainModule())) return false;
    return InstallDirIsRemovable() != 0;
}

TEST_F(SharedFoldersTest, InstallDirectoryThatIsOrHoldsASharedFolderIsKept) {
    const struct {
        const char* install;
        bool removable;
    } cases[] = {
        {"C:\\Program Files\\", false},                 // ProgramFilesDir itself
        {"C:\\PROGRA~1\\", false},                      // ... by its short form
        {"c:\\program files\\", false},                 // ... in other letter case
        {"C:\\Program Files\\Common Files\\", false},   // CommonFilesDir
        {"C:\\PROGRA~1\\COMMON~1\\", false},
        {"C:\\Program Files\\Vantrell\\", true},        // inside: the product's own
        {"C:\\Program Files\\Common Files\\Vantrell\\", true},
        {"C:\\Program Files Old\\", true},              // a name that only begins alike
        {"C:\\Users\\ann\\Desktop\\", false},           // the user's shell folder
        {"C:\\Users\\ann\\Desktop\\Vantrell\\", true},
        {"C:\\Users\\ann\\", false},                    // the profile, holding the user's folders
        {"C:\\Users\\", false},                         // the profiles folder, expanded
        {"C:\\Users\\Public\\", false},                 // holds the machine's shell folder
        {"D:\\My Documents\\", false},                  // stored with its backslash
        {"D:\\MYDOCU~1\\", false},
        {"D:\\My Documents\\Vantrell\\", true},
        {"D:\\Vantrell\\", true},
        {"C:\\Temp\\", false},                          // the temporary folder
        {"C:\\Temp\\Vantrell\\", true},
        {"C:\\Quillon\\Vantrell\\", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.install);
        SimReset(SimulatedDrivesRoot());
        ArrangeSharedFolders();
        EXPECT_EQ(c.removable, Removable(c.install));
    }
}

// The install directory C:\Program Files\ on a machine where the one folder
// that tells it shared is named, read or spelt in some way.
TEST_F(SharedFoldersTest, WhatTheMachineCannotNameProtectsNothingWhatItCannotTellKeeps) {
    const struct {
        const char* what;
        std::function<void()> arrange;
        bool removable;
    } cases[] = {
        {"named", [] { SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir", "C:\\Program Files"); },
         false},
        {"no such value", [] { SimRegCreateKey(HKEY_LOCAL_MACHINE, kWindowsKey); }, true},
        {"no such key", [] {}, true},
        {"empty value", [] { SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir", ""); }, true},
        {"not a string", [] { SimRegSetDword(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir", 1); }, true},
        {"as a shell folder of the user's",
         [] { SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "AppData", "C:\\Program Files\\Data"); }, false},
        {"a shell folder the code page cannot spell",
         [] { SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Personal", "C:\\Documents\\????"); }, false},
        {"the key cannot be opened",
         [] {
             SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir", "C:\\Program Files");
             SimFailCall("RegOpenKeyExA", ERROR_ACCESS_DENIED);
         },
         false},
        {"the value cannot be read",
         [] {
             SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir", "C:\\Program Files");
             SimFailCall("RegQueryValueExA", ERROR_ACCESS_DENIED);
         },
         false},
        {"the shell folders cannot be listed",
         [] {
             SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Program Files");
             SimFailCall("RegEnumValueA", ERROR_ACCESS_DENIED);
         },
         false},
        {"a shell folder too long for a path",
         [] { SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", ("C:\\" + std::string(300, 'x')).c_str()); },
         false},
        {"the user's profile", [] { SimSetEnvironmentVariable("USERPROFILE", "C:\\Program Files"); }, false},
        {"the user's profile cannot be read",
         [] {
             SimSetEnvironmentVariable("USERPROFILE", "C:\\Users\\ann");
             SimFailCall("GetEnvironmentVariableA", ERROR_NOT_ENOUGH_MEMORY);
         },
         false},
        {"the temporary folder", [] { SimSetTempPath("C:\\Program Files\\"); }, false},
        {"the temporary folder cannot be told", [] { SimFailCall("GetTempPathA", ERROR_ACCESS_DENIED); }, false},
        {"the profiles folder's variable cannot be expanded",
         [] {
             SimRegCreateKey(HKEY_LOCAL_MACHINE, kProfileList);
             SetExpandString(HKEY_LOCAL_MACHINE, kProfileList, "ProfilesDirectory", "%SystemRoot%\\Profiles");
             SimFailCall("ExpandEnvironmentStringsA", ERROR_NOT_ENOUGH_MEMORY);
         },
         false},
        {"a folder's short form cannot be told",
         [] {
             SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "CommonFilesDir", "C:\\Elsewhere");
             SimCreateDirectory("C:\\Elsewhere");
             SimFailCall("GetShortPathNameA", ERROR_ACCESS_DENIED, 4);
         },
         false},
        {"a folder that does not exist has no short form",
         [] { SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "CommonFilesDir", "C:\\Gone"); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimReset(SimulatedDrivesRoot());
        SimSetFamily(SimWindowsNT);
        SimSetTempPath("C:\\Temp\\");
        SimAddShortName("C:\\Program Files\\", "C:\\PROGRA~1\\");
        SimCreateDirectory("C:\\Program Files");
        c.arrange();
        EXPECT_EQ(c.removable, Removable("C:\\Program Files\\"));
        SimClearFailures();
    }
}

// Code page 932: a folder whose name ends in the trail byte 0x5C is told by
// character, in its place and in the folder that holds it.
TEST_F(SharedFoldersTest, SharedFoldersAreComparedByCharacter) {
    const std::string table = "\x88\xea\x97\x97\x95\x5c";  // three characters, the last ending in 0x5C
    const std::string firstTwo = "\x88\xea\x97\x97";
    const struct {
        std::string install;
        bool removable;
    } cases[] = {
        {"C:\\" + table + "\\", false},
        {"C:\\" + firstTwo + "\\", true},
        {"C:\\" + table + "\\Vantrell\\", true},
        {"C:\\" + table + "X\\", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.install);
        SimReset(SimulatedDrivesRoot());
        SimSetCodePage(932);
        SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Personal", ("C:\\" + table).c_str());
        SimCreateDirectory(("C:\\" + table).c_str());
        EXPECT_EQ(c.removable, Removable(c.install));
    }
}

// Installed straight into a shared folder: what is the product's by name
// goes, the platform's library comes back, and everything else stays.
TEST_F(SharedFoldersTest, RemovalFromASharedFolderTakesOnlyTheProductsNamedFiles) {
    const struct {
        const char* install;
        const char* shortForm;
        std::function<void()> share;
    } cases[] = {
        {"C:\\Program Files\\", "C:\\PROGRA~1\\",
         [] { SimRegSetString(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir", "C:\\Program Files"); }},
        {"C:\\Users\\ann\\Desktop\\", "C:\\Users\\ann\\Desktop\\",
         [] { SimRegSetString(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Users\\ann\\Desktop"); }},
    };
    for (SimFamily family : {SimWindows98, SimWindowsNT}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.install);
            SimReset(SimulatedDrivesRoot());
            ProductLayout layout = InstallProduct(family, c.install, c.shortForm);
            c.share();
            std::string install = c.install;
            const Names others = {"Other Vendor\\", "Other Vendor\\tool.exe", "letter.txt", "notes\\", "notes\\a.txt"};
            for (const std::string& name : others)
                if (name.back() != '\\') SimWriteFile((install + name).c_str(), "theirs: " + name);
            // The product's named files go (its OpenGL variants, the backup
            // once restored); the installer's own are for its uninstaller,
            // which is started as always; the rest stays.
            Names left;
            for (const std::string& name : SimListTree(c.install))
                if (name != "opengl32.fxa" && name != "opengl32.fxb" && name != "opengl32.sav") left.push_back(name);
            SimAnswerMessageBoxes({IDYES});
            EXPECT_EQ(0, RunUninstaller(("\"" + install + "UNINSTAL.EXE\"").c_str()));
            ASSERT_EQ(2u, SimMessageBoxes().size());
            EXPECT_EQ(kSuccessText, SimMessageBoxes()[1].text);
            std::string library;
            EXPECT_TRUE(SimReadFile((layout.systemDir + "\\opengl32.dll").c_str(), &library));
            EXPECT_EQ(kOriginalOpenGL, library);
            EXPECT_EQ(left, SimListTree(c.install));
            for (const std::string& name : others) {
                std::string content;
                if (name.back() != '\\') EXPECT_TRUE(SimReadFile((install + name).c_str(), &content) &&
                                                     content == "theirs: " + name)
                    << name;
            }
            EXPECT_EQ(1u, SimLaunches().size());
        }
    }
}

// ---- The module path on NT, by its real name ----

const char kCyrillicInstall[] = "C:\\Program Files\\\xD0\x92\xD0\xB0\xD0\xBD\xD1\x82\\";  // "Вант"

TEST_F(SharedFoldersTest, InstallDirectoryByItsUnicodeNameOrItsShortForm) {
    const struct {
        const char* what;
        SimFamily family;
        const char* install;
        const char* shortForm;  // 0: short names off
        const char* expected;   // the install directory taken; 0: none
    } cases[] = {
        {"spelt by the code page", SimWindowsNT, "C:\\Program Files\\Caf\xE9\\", "C:\\PROGRA~1\\CAFE~1\\",
         "C:\\Program Files\\Caf\xE9\\"},
        {"spelt only by its short form", SimWindowsNT, kCyrillicInstall, "C:\\PROGRA~1\\VANT~1\\",
         "C:\\PROGRA~1\\VANT~1\\"},
        {"not spelt at all", SimWindowsNT, kCyrillicInstall, 0, 0},
        {"95/98: the ANSI name", SimWindows98, "C:\\Program Files\\Caf\xE9\\", "C:\\PROGRA~1\\CAFE~1\\",
         "C:\\Program Files\\Caf\xE9\\"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimReset(SimulatedDrivesRoot());
        InstallProduct(c.family, c.install, c.shortForm ? c.shortForm : c.install);
        int complete = FillUninstallPaths(SimMainModule());
        EXPECT_EQ(c.expected != 0, complete != 0);
        EXPECT_STREQ(c.expected ? c.expected : "", UninstallPaths.InstallDir);
        EXPECT_EQ(c.family == SimWindowsNT ? 1 : 0, SimCallCount("GetModuleFileNameW"));
    }
}

TEST_F(SharedFoldersTest, RemovalFromADirectoryTheCodePageSpellsOnlyByItsShortForm) {
    ProductLayout layout = InstallProduct(SimWindowsNT, kCyrillicInstall, "C:\\PROGRA~1\\VANT~1\\");
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller((std::string("\"") + kCyrillicInstall + "UNINSTAL.EXE\"").c_str()));
    ASSERT_EQ(2u, SimMessageBoxes().size());
    EXPECT_EQ(kSuccessText, SimMessageBoxes()[1].text);
    std::string library;
    EXPECT_TRUE(SimReadFile((layout.systemDir + "\\opengl32.dll").c_str(), &library));
    EXPECT_EQ(kOriginalOpenGL, library);
    EXPECT_EQ((Names{"UNINSTAL.EXE"}), SimListTree(kCyrillicInstall));
    ASSERT_EQ(1u, SimLaunches().size());
    EXPECT_EQ("C:\\PROGRA~1\\VANT~1\\\\uninstal.000 /S C:\\PROGRA~1\\VANT~1\\\\install.log", SimLaunches()[0].commandLine);
}

TEST_F(SharedFoldersTest, DirectoryTheCodePageCannotSpellChangesNothing) {
    ProductLayout layout = InstallProduct(SimWindowsNT, kCyrillicInstall, kCyrillicInstall);
    Names before = SimListTree("C:\\");
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(1, RunUninstaller((std::string("\"") + kCyrillicInstall + "UNINSTAL.EXE\"").c_str()));
    ASSERT_EQ(1u, SimMessageBoxes().size());
    EXPECT_EQ(kNoDirectoriesText, SimMessageBoxes()[0].text);
    EXPECT_EQ("Fatal Error!", SimMessageBoxes()[0].title);
    EXPECT_EQ(before, SimListTree("C:\\"));
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\Vantrell"));
    EXPECT_TRUE(SimLaunches().empty());
}

}  // namespace
