// The uninstall sequence through the simulated platform: questions, exit
// codes, what is removed and what stays.
#include "machine.h"

#include "uninstaller/uninstall.h"

#include <string>
#include <vector>

namespace {

const char kConfirmText[] = "Are you sure you want to remove Quillon Vantrell and all of its components?\n";
const char kConfirmTitle[] = "Uninstall Quillon Vantrell?";
const UINT kConfirmStyle = 0x2024;
const char kSuccessText[] = "Quillon Vantrell has been successfully removed from your system.";
const char kRestartText[] =
    "Quillon Vantrell has been successfully removed from your system.\n\n"
    "The Control Panel icon for Quillon Vantrell will be removed\n"
    "the next time you restart your system.";
const char kNoDirectoriesText[] =
    "The uninstall could not find the Windows, system or install directory.\n\n"
    "Nothing has been changed.";
const char kUninstaller[] = "\"C:\\Program Files\\Vantrell\\UNINSTAL.EXE\"";
const char kProductKey[] = "Software\\Quillon Software\\Vantrell";
const char kInstallDir[] = "C:\\Program Files\\Vantrell\\";

// Everything the uninstaller may touch, to compare before and after.
struct MachineState {
    std::vector<std::string> drive;
    bool productKey, ltxKey, otherKey;
    bool operator==(const MachineState& other) const {
        return drive == other.drive && productKey == other.productKey && ltxKey == other.ltxKey &&
               otherKey == other.otherKey;
    }
};

MachineState Capture() {
    return MachineState{SimListTree("C:\\"), SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey),
                        SimRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\LtxCplCmd"),
                        SimRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\Other Product")};
}

void ExpectBox(size_t index, const std::string& text, const std::string& title, UINT style) {
    ASSERT_LT(index, SimMessageBoxes().size());
    const SimMessageBox& box = SimMessageBoxes()[index];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(title, box.title);
    EXPECT_EQ(style, box.style);
}

void ExpectNothingLeftOpen() {
    EXPECT_EQ(0, SimRegOpenHandles());
    EXPECT_EQ(0, SimOpenSearches());
}

class SequenceTest : public MachineTest, public ::testing::WithParamInterface<SimFamily> {};

INSTANTIATE_TEST_SUITE_P(BothFamilies, SequenceTest, ::testing::Values(SimWindows98, SimWindowsNT),
                         [](const ::testing::TestParamInfo<SimFamily>& info) {
                             return std::string(info.param == SimWindowsNT ? "NT" : "Windows98");
                         });

TEST_P(SequenceTest, AnythingButYesChangesNothing) {
    for (int answer : {IDNO, 0 /* the box could not be shown */}) {
        SimReset(SimulatedDrivesRoot());
        InstallProduct(GetParam());
        MachineState before = Capture();
        SimAnswerMessageBoxes({answer});
        EXPECT_EQ(0, RunUninstaller(kUninstaller));
        EXPECT_FALSE(SimExited());
        ASSERT_EQ(1u, SimMessageBoxes().size());
        ExpectBox(0, kConfirmText, kConfirmTitle, kConfirmStyle);
        EXPECT_TRUE(before == Capture());
        EXPECT_TRUE(SimLaunches().empty());
        EXPECT_TRUE(SimPendingDeletions().empty());
        ExpectNothingLeftOpen();
    }
}

TEST_P(SequenceTest, YesRemovesTheProduct) {
    ProductLayout layout = InstallProduct(GetParam());
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));

    ASSERT_EQ(2u, SimMessageBoxes().size());
    ExpectBox(0, kConfirmText, kConfirmTitle, kConfirmStyle);
    ExpectBox(1, kSuccessText, "Success!", 0x40);
    ASSERT_EQ(1u, SimLaunches().size());
    // In quotes: the program path holds a blank.
    EXPECT_EQ("\"C:\\Program Files\\Vantrell\\\\uninstal.000\" /S C:\\PROGRA~1\\VANTRE~1\\\\install.log",
              SimLaunches()[0].commandLine);
    EXPECT_EQ("C:\\Program Files\\Vantrell\\\\uninstal.000", SimLaunches()[0].program);
    EXPECT_EQ((UINT)SW_SHOW, SimLaunches()[0].show);

    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\LtxCplCmd"));
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\Other Product"));

    std::string system = layout.systemDir + "\\";
    for (const char* gone : {"corelay", "vtl_d3d.dll", "vtl_sw.dll", "VANTRELL.CPL"})
        EXPECT_FALSE(SimExists((system + gone).c_str())) << gone;
    // The running uninstaller stays, and with it its directory.
    EXPECT_EQ(std::vector<std::string>{"UNINSTAL.EXE"}, SimListTree(kInstallDir));
    EXPECT_TRUE(SimPendingDeletions().empty());
    EXPECT_FALSE(SimExists("C:\\WINDOWS\\wininit.ini"));
    ExpectNothingLeftOpen();
}

TEST_P(SequenceTest, NoRenameInAnyCaseSkipsTheRestoreAndKeepsTheBackup) {
    for (const char* option : {"-norename", "-NoRename", "-NORENAME"}) {
        SimReset(SimulatedDrivesRoot());
        ProductLayout layout = InstallProduct(GetParam());
        SimAnswerMessageBoxes({IDYES});
        EXPECT_EQ(0, RunUninstaller((std::string(kUninstaller) + " " + option).c_str())) << option;
        std::string dll;
        ASSERT_TRUE(SimReadFile((layout.systemDir + "\\opengl32.dll").c_str(), &dll)) << option;
        EXPECT_EQ(kProductOpenGL, dll) << option;
        EXPECT_EQ((std::vector<std::string>{"opengl32.sav", "UNINSTAL.EXE"}), SimListTree(kInstallDir)) << option;
        ExpectBox(1, kSuccessText, "Success!", 0x40);
    }
}

TEST_P(SequenceTest, AnyOtherTailRestores) {
    for (const char* tail : {"-norename ", "-norename x", "norename", "-norename2", "/norename"}) {
        SimReset(SimulatedDrivesRoot());
        InstallProduct(GetParam());
        SimAnswerMessageBoxes({IDYES});
        EXPECT_EQ(0, RunUninstaller((std::string(kUninstaller) + " " + tail).c_str())) << tail;
        EXPECT_FALSE(SimExists("C:\\Program Files\\Vantrell\\opengl32.sav")) << tail;
    }
}

TEST_P(SequenceTest, FailedShortPathFallsBackToTheLongPath) {
    InstallProduct(GetParam());
    SimFailCall("GetShortPathNameA", ERROR_FILE_NOT_FOUND, 0);
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    ASSERT_EQ(1u, SimLaunches().size());
    EXPECT_EQ("\"C:\\Program Files\\Vantrell\\\\uninstal.000\" /S C:\\Program Files\\Vantrell\\\\install.log",
              SimLaunches()[0].commandLine);
}

TEST_P(SequenceTest, UnknownDirectoriesEndTheRunBeforeAnyChange) {
    // NT is asked for the module path in Unicode, which is then spelt in
    // the ANSI code page and checked by converting it back.
    std::vector<const char*> queries = {"GetWindowsDirectoryA", "GetSystemDirectoryA"};
    if (GetParam() == SimWindowsNT)
        queries.insert(queries.end(), {"GetModuleFileNameW", "WideCharToMultiByte", "MultiByteToWideChar"});
    else
        queries.push_back("GetModuleFileNameA");
    for (const char* query : queries) {
        SimReset(SimulatedDrivesRoot());
        InstallProduct(GetParam());
        MachineState before = Capture();
        SimFailCall(query, ERROR_ACCESS_DENIED, 0);
        SimAnswerMessageBoxes({IDYES});
        EXPECT_EQ(1, RunUninstaller(kUninstaller)) << query;
        EXPECT_TRUE(SimExited());
        ASSERT_EQ(1u, SimMessageBoxes().size()) << query;
        ExpectBox(0, kNoDirectoriesText, "Fatal Error!", 0x2030);
        EXPECT_TRUE(before == Capture()) << query;
        EXPECT_TRUE(SimLaunches().empty());
    }
}

TEST_P(SequenceTest, ModulePathTooLongForItsBufferEndsTheRun) {
    std::string deep = "C:\\" + std::string(240, 'd') + "\\" + std::string(30, 'e') + "\\";
    InstallProduct(GetParam(), deep.c_str(), deep.c_str());
    MachineState before = Capture();
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(1, RunUninstaller("UNINSTAL.EXE"));
    ExpectBox(0, kNoDirectoriesText, "Fatal Error!", 0x2030);
    EXPECT_TRUE(before == Capture());
}

TEST_P(SequenceTest, CommandLineThatDoesNotFitIsNotStartedAndTheRestGoesOn) {
    // 200 + 13 + 4 + 200 + 12 characters: more than 255.
    std::string dir = "C:\\" + std::string(196, 'v') + "\\";
    ProductLayout layout = InstallProduct(GetParam(), dir.c_str(), dir.c_str());
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller("UNINSTAL.EXE"));
    EXPECT_TRUE(SimLaunches().empty());
    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_FALSE(SimExists((layout.systemDir + "\\VANTRELL.CPL").c_str()));
    ExpectBox(1, kSuccessText, "Success!", 0x40);
}

TEST_P(SequenceTest, ProductKeysThatCannotBeOpenedAreSkipped) {
    InstallProduct(GetParam());
    SimFailCall("RegOpenKeyExA", ERROR_ACCESS_DENIED, 0);
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    ExpectBox(1, kSuccessText, "Success!", 0x40);
    ExpectNothingLeftOpen();
}

TEST_P(SequenceTest, AnAppletAlreadyGoneCountsAsRemoved) {
    ProductLayout layout = InstallProduct(GetParam());
    SimSetAttributes((layout.systemDir + "\\VANTRELL.CPL").c_str(), 0);
    ASSERT_TRUE(DeleteFileA((layout.systemDir + "\\VANTRELL.CPL").c_str()));
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    ExpectBox(1, kSuccessText, "Success!", 0x40);
    EXPECT_TRUE(SimPendingDeletions().empty());
    EXPECT_FALSE(SimExists("C:\\WINDOWS\\wininit.ini"));
}

// The entry's tail may be absent: that is no -norename, and the library is
// restored.
TEST_P(SequenceTest, NoTailAtAllRestores) {
    ProductLayout layout = InstallProduct(GetParam());
    SimAnswerMessageBoxes({IDYES});
    int result = -1;
    SIM_RUN_TRAPPING_EXIT(result, WinMain(SimMainModule(), nullptr, nullptr, SW_SHOW));
    EXPECT_EQ(0, result);
    std::string library;
    EXPECT_TRUE(SimReadFile((layout.systemDir + "\\opengl32.dll").c_str(), &library));
    EXPECT_EQ(kOriginalOpenGL, library);
}

// Windows and system directories that fit their buffers, but leave no room
// for the names of the product's files in them: no path cut short names
// another file, so nothing in them is deleted, restored or entered for the
// restart. The restore cannot be made and ends the run; without it the
// rest of the removal goes on.
TEST_P(SequenceTest, DirectoriesTooLongForTheProductsNamesKeepWhatTheyHold) {
    InstallProduct(GetParam());
    // 249 characters: wininit.ini does not fit; 251: nor does corelay\.
    const std::string windows = "C:\\" + std::string(246, 'w'), system = "C:\\" + std::string(248, 's');
    SimCreateDirectory(windows.c_str());
    SimSetWindowsDirectory(windows.c_str());
    SimSetSystemDirectory(system.c_str());
    for (const char* name : {"opengl32.dll", "VANTRELL.CPL", "vtl_d3d.dll", "vtl_sw.dll", "tavrix.vxd", "lentix.dll",
                             "corelay\\corelay.sys"})
        SimWriteFile((system + "\\" + name).c_str(), name);
    const std::vector<std::string> systemFiles = SimListTree(system.c_str());
    MachineState before = Capture();

    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(1, RunUninstaller(kUninstaller));
    ASSERT_EQ(2u, SimMessageBoxes().size());
    EXPECT_EQ("Fatal Error!", SimMessageBoxes()[1].title);
    EXPECT_EQ(0u, SimMessageBoxes()[1].text.find("The OpenGL DLL is currently in use."));
    EXPECT_TRUE(before == Capture());

    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller((std::string(kUninstaller) + " -norename").c_str()));
    ASSERT_EQ(4u, SimMessageBoxes().size());
    ExpectBox(3, kRestartText, "Uninstall Information", 0x40);
    EXPECT_EQ(systemFiles, SimListTree(system.c_str()));
    EXPECT_EQ(std::vector<std::string>{}, SimListTree(windows.c_str()));
    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    // The uninstaller itself is entered on NT; the 95/98 family has no
    // wininit.ini to enter anything in.
    std::vector<std::string> pending;
    for (const SimPendingDeletion& p : SimPendingDeletions()) pending.push_back(p.path);
    if (GetParam() == SimWindowsNT)
        EXPECT_EQ(std::vector<std::string>{"C:\\PROGRA~1\\VANTRE~1\\UNINSTAL.EXE"}, pending);
    else
        EXPECT_TRUE(pending.empty());
    ExpectNothingLeftOpen();
}

// An install directory whose short form leaves no room for the log's path
// in the installer's command line: its uninstaller is not started, and the
// rest of the removal goes on.
TEST_P(SequenceTest, InstallersLogPathThatDoesNotFitIsNotStarted) {
    // 246 characters with the backslash, "UNINSTAL.EXE" making 258.
    const std::string dir = "C:\\" + std::string(242, 'i') + "\\";
    ProductLayout layout = InstallProduct(GetParam(), dir.c_str(), dir.c_str());
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(("\"" + dir + "UNINSTAL.EXE\"").c_str()));
    EXPECT_TRUE(SimLaunches().empty());
    std::string library;
    EXPECT_TRUE(SimReadFile((layout.systemDir + "\\opengl32.dll").c_str(), &library));
    EXPECT_EQ(kOriginalOpenGL, library);
    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
}

TEST_P(SequenceTest, HeldAppletIsLeftForTheRestart) {
    ProductLayout layout = InstallProduct(GetParam());
    std::string applet = layout.systemDir + "\\VANTRELL.CPL";
    SimSetInUse(applet.c_str(), ERROR_ACCESS_DENIED);
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    ASSERT_EQ(2u, SimMessageBoxes().size());
    ExpectBox(1, kRestartText, "Uninstall Information", 0x40);
    EXPECT_TRUE(SimExists(applet.c_str()));
    if (GetParam() == SimWindowsNT) {
        // NT ignores wininit.ini: its own list of deletions at restart.
        ASSERT_EQ(2u, SimPendingDeletions().size());
        EXPECT_EQ(applet, SimPendingDeletions()[0].path);
        EXPECT_EQ("C:\\PROGRA~1\\VANTRE~1\\UNINSTAL.EXE", SimPendingDeletions()[1].path);
        EXPECT_FALSE(SimExists("C:\\WINDOWS\\wininit.ini"));
    } else {
        EXPECT_TRUE(SimPendingDeletions().empty());
    }
}

// Where a copy of the uninstaller runs from decides nothing but its install
// directory; a directory that is not the product's is never removed.
struct ForeignDirectoryCase {
    const char* name;
    const char* moduleDir;
    const char* installerFile;  // placed in moduleDir, or 0
};

TEST_P(SequenceTest, DirectoriesThatAreNotTheProductsStay) {
    const ForeignDirectoryCase cases[] = {
        {"windows directory", "C:\\WINDOWS\\", "install.log"},
        {"system directory", "SYSTEM", "uninstal.000"},
        {"drive root", "C:\\", "uninstal.000"},
        {"folder without the installer's files", "C:\\Downloads\\", nullptr},
        {"folder holding the windows directory", "C:\\APPS\\", "install.log"},
        {"windows directory by its short name", "C:\\WINDOW~1\\", "install.log"},
    };
    for (const ForeignDirectoryCase& c : cases) {
        SimReset(SimulatedDrivesRoot());
        ProductLayout layout = InstallProduct(GetParam());
        std::string dir = c.moduleDir;
        if (dir == "SYSTEM") dir = layout.systemDir + "\\";
        if (dir == "C:\\APPS\\") {
            SimSetWindowsDirectory("C:\\APPS\\WINDOWS");
            SimSetSystemDirectory("C:\\APPS\\WINDOWS\\SYSTEM");
            SimCreateDirectory("C:\\APPS\\WINDOWS\\SYSTEM");
            SimWriteFile("C:\\APPS\\WINDOWS\\SYSTEM\\opengl32.dll", kProductOpenGL);
        }
        if (dir == "C:\\WINDOW~1\\") {
            SimSetWindowsDirectory("C:\\Windows Folder");
            SimSetSystemDirectory("C:\\Windows Folder\\SYSTEM");
            SimCreateDirectory("C:\\Windows Folder\\SYSTEM");
            SimWriteFile("C:\\Windows Folder\\SYSTEM\\opengl32.dll", kProductOpenGL);
            SimAddShortName("C:\\Windows Folder", "C:\\WINDOW~1");
        }
        SimCreateDirectory(dir.c_str());
        std::string keep = dir + "keep.txt";
        SimWriteFile(keep.c_str(), "not the product's");
        if (c.installerFile) SimWriteFile((dir + c.installerFile).c_str(), "x");
        SimSetModulePath(SimMainModule(), (dir + "UNINSTAL.EXE").c_str());
        SimAnswerMessageBoxes({IDYES});
        EXPECT_EQ(0, RunUninstaller("UNINSTAL.EXE")) << c.name;
        EXPECT_TRUE(SimExists(keep.c_str())) << c.name;
    }
}

}  // namespace
