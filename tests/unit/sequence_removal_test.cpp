// The removal steps through the whole sequence: the restored library, the
// boot-time entries of the 95/98 family, the restore's failures as the user
// sees them, and the rights check on NT alone.
#include "machine.h"

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

const char kUninstaller[] = "\"C:\\Program Files\\Vantrell\\UNINSTAL.EXE\"";
const char kInstallDir[] = "C:\\Program Files\\Vantrell\\";
const char kProductKey[] = "Software\\Quillon Software\\Vantrell";
const char kWininit[] = "C:\\WINDOWS\\wininit.ini";
const char kRestartText[] =
    "Quillon Vantrell has been successfully removed from your system.\n\n"
    "The Control Panel icon for Quillon Vantrell will be removed\n"
    "the next time you restart your system.";

const char* const kSecurityCalls[] = {
    "ImpersonateSelf", "OpenThreadToken", "OpenProcessToken", "GetCurrentThread", "GetCurrentProcess",
    "AllocateAndInitializeSid", "GetLengthSid", "FreeSid", "InitializeSecurityDescriptor", "InitializeAcl",
    "AddAccessAllowedAce", "SetSecurityDescriptorDacl", "SetSecurityDescriptorGroup",
    "SetSecurityDescriptorOwner", "IsValidSecurityDescriptor", "AccessCheck", "RevertToSelf", "LocalAlloc",
    "LocalFree"};

// The occurrence of op whose subject is path in a clean run of the
// uninstaller on the machine InstallProduct makes; 0 when there is none.
int OccurrenceOn(const char* op, const std::string& path, SimFamily family) {
    SimReset(SimulatedDrivesRoot());
    InstallProduct(family);
    SimAnswerMessageBoxes({IDYES});
    SimLogCalls(true);
    RunUninstaller("\"C:\\Program Files\\Vantrell\\UNINSTAL.EXE\"");
    SimLogCalls(false);
    int occurrence = 0, found = 0;
    std::string wanted = path;
    for (char& c : wanted) c = (char)toupper((unsigned char)c);
    for (const SimCall& call : SimCallLog()) {
        if (call.op != op) continue;
        ++occurrence;
        std::string subject = call.subject;
        for (char& c : subject) c = (char)toupper((unsigned char)c);
        if (subject == wanted) {
            found = occurrence;
            break;
        }
    }
    SimReset(SimulatedDrivesRoot());
    return found;
}

std::string Content(const std::string& path) {
    std::string content;
    return SimReadFile(path.c_str(), &content) ? content : "<absent>";
}

void ExpectBox(size_t index, const std::string& text, const std::string& title, UINT style) {
    ASSERT_LT(index, SimMessageBoxes().size());
    const SimMessageBox& box = SimMessageBoxes()[index];
    EXPECT_EQ(nullptr, box.owner);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(title, box.title);
    EXPECT_EQ(style, box.style);
}

void ExpectNothingHeld() {
    EXPECT_EQ(0, SimOpenFileHandles());
    EXPECT_EQ(0, SimHeapBlocks());
    EXPECT_EQ(0, SimOpenSearches());
    EXPECT_EQ(0, SimRegOpenHandles());
    EXPECT_EQ(0, SimOpenTokens());
    EXPECT_EQ(0, SimLocalBlocks());
    EXPECT_EQ(0, SimLiveSids());
    EXPECT_FALSE(SimImpersonating());
}

class RemovalTest : public MachineTest, public ::testing::WithParamInterface<SimFamily> {};

INSTANTIATE_TEST_SUITE_P(BothFamilies, RemovalTest, ::testing::Values(SimWindows98, SimWindowsNT),
                         [](const ::testing::TestParamInfo<SimFamily>& info) {
                             return std::string(info.param == SimWindowsNT ? "NT" : "Windows98");
                         });

TEST_P(RemovalTest, FullRemovalPutsTheOriginalLibraryBack) {
    ProductLayout layout = InstallProduct(GetParam());
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    EXPECT_FALSE(SimExited());
    EXPECT_EQ(kOriginalOpenGL, Content(layout.systemDir + "\\opengl32.dll"));
    EXPECT_EQ((Names{"opengl32.dll"}), SimListTree(layout.systemDir.c_str()));
    EXPECT_EQ((Names{"UNINSTAL.EXE"}), SimListTree(kInstallDir));
    ExpectBox(1, "Quillon Vantrell has been successfully removed from your system.", "Success!", 0x40);
    ExpectNothingHeld();
}

TEST_P(RemovalTest, FailedRestoreTellsHowToSkipItAndEndsWithOne) {
    ProductLayout layout = InstallProduct(GetParam());
    std::string library = layout.systemDir + "\\opengl32.dll";
    SimSetAttributes(library.c_str(), FILE_ATTRIBUTE_READONLY);
    Names before = SimListTree("C:\\");
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(1, RunUninstaller(kUninstaller));
    EXPECT_TRUE(SimExited());
    ASSERT_EQ(2u, SimMessageBoxes().size());
    ExpectBox(1,
              "The OpenGL DLL is currently in use.\n\n"
              "Please exit any applications that may be using it\n"
              "or reboot your system and run this program again.\n\n"
              "If you get this message again, run\n\n"
              "C:\\Program Files\\Vantrell\\uninstal.exe -norename\n\n"
              "from a MS-DOS prompt and this will not attempt to\n"
              "restore the original OpenGL DLL.",
              "Fatal Error!", 0x2030);
    EXPECT_EQ(before, SimListTree("C:\\"));
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(SimLaunches().empty());
    ExpectNothingHeld();
}

TEST_P(RemovalTest, LibraryThatCannotBeDeletedEndsWithZeroAndChangesNothing) {
    ProductLayout layout = InstallProduct(GetParam());
    SimSetInUse((layout.systemDir + "\\opengl32.dll").c_str(), ERROR_ACCESS_DENIED);
    Names before = SimListTree("C:\\");
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    EXPECT_TRUE(SimExited());
    ASSERT_EQ(2u, SimMessageBoxes().size());
    ExpectBox(1,
              "The uninstall could not restore the original opengl32.dll.\n"
              "Please contact Quillon Technical Support at (555) 555-0142\n"
              "to report this problem and get help uninstalling this product.",
              "Uninstall Error!", 0x10);
    EXPECT_EQ(before, SimListTree("C:\\"));
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(SimLaunches().empty());
    ExpectNothingHeld();
}

// Without a restore the backup is the only copy of the platform's library:
// neither the restore's clean-up nor the removal of the install directory
// may take it.
TEST_P(RemovalTest, BackupThatWasNotRestoredOutlivesTheRun) {
    // The access test of the backup's existence.
    int occurrence = OccurrenceOn("GetFileAttributesA", std::string(kInstallDir) + "opengl32.sav", GetParam());
    ASSERT_GT(occurrence, 0);
    ProductLayout layout = InstallProduct(GetParam());
    SimFailCall("GetFileAttributesA", ERROR_ACCESS_DENIED, occurrence);
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    EXPECT_EQ("<absent>", Content(layout.systemDir + "\\opengl32.dll"));
    EXPECT_EQ((Names{"opengl32.sav", "UNINSTAL.EXE"}), SimListTree(kInstallDir));
    EXPECT_EQ(kOriginalOpenGL, Content(std::string(kInstallDir) + "opengl32.sav"));
    ExpectBox(1, "Quillon Vantrell has been successfully removed from your system.", "Success!", 0x40);
    ExpectNothingHeld();
}

class Windows98RemovalTest : public MachineTest {};

// The 95/98 family acts only on NUL= lines in [rename]: both entries land
// there, after what wininit.ini already holds.
TEST_F(Windows98RemovalTest, HeldAppletAndTheUninstallerAreEnteredInRename) {
    ProductLayout layout = InstallProduct(SimWindows98);
    SimSetInUse((layout.systemDir + "\\VANTRELL.CPL").c_str(), ERROR_ACCESS_DENIED);
    SimWriteFile(kWininit, "[rename]\r\nNUL=C:\\OLD.TXT\r\n[boot]\r\nshell=explorer.exe\r\n");
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    EXPECT_EQ("[rename]\r\nNUL=C:\\OLD.TXT\r\n"
              "NUL=C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL\r\n"
              "NUL=C:\\PROGRA~1\\VANTRE~1\\UNINSTAL.EXE\r\n"
              "[boot]\r\nshell=explorer.exe\r\n",
              Content(kWininit));
    ExpectBox(1, kRestartText, "Uninstall Information", 0x40);
    EXPECT_EQ(0, SimCallCount("MoveFileExA"));
    EXPECT_EQ((Names{"SYSTEM\\", "SYSTEM\\opengl32.dll", "SYSTEM\\VANTRELL.CPL", "wininit.ini"}),
              SimListTree("C:\\WINDOWS"));
    ExpectNothingHeld();
}

TEST_F(Windows98RemovalTest, WithoutWininitTheEntriesMakeIt) {
    ProductLayout layout = InstallProduct(SimWindows98);
    SimSetInUse((layout.systemDir + "\\VANTRELL.CPL").c_str(), ERROR_ACCESS_DENIED);
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    EXPECT_EQ("[rename]\r\n"
              "NUL=C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL\r\n"
              "NUL=C:\\PROGRA~1\\VANTRE~1\\UNINSTAL.EXE\r\n",
              Content(kWininit));
    ExpectBox(1, kRestartText, "Uninstall Information", 0x40);
}

// Windows installed in a directory with a long name: the entries name it by
// its short form, which the boot-time processing before Windows starts
// understands; where the short form cannot be had, the long one; on NT the
// system's own list takes the long names.
struct LongWindowsCase {
    const char* what;
    SimFamily family;
    bool shortQueryFails;
    const char* appletEntry;  // as entered, without "NUL=" and the line end
};

TEST_F(Windows98RemovalTest, LongWindowsDirectoryIsEnteredByItsShortForm) {
    const LongWindowsCase cases[] = {
        {"95/98", SimWindows98, false, "C:\\WINDOW~1\\System\\VANTRELL.CPL"},
        {"95/98, no short form", SimWindows98, true, "C:\\Windows Long\\System\\VANTRELL.CPL"},
        {"NT", SimWindowsNT, false, "C:\\Windows Long\\System\\VANTRELL.CPL"},
    };
    for (const LongWindowsCase& c : cases) {
        SCOPED_TRACE(c.what);
        SimReset(SimulatedDrivesRoot());
        InstallProduct(c.family);
        SimSetWindowsDirectory("C:\\Windows Long");
        SimSetSystemDirectory("C:\\Windows Long\\System");
        SimAddShortName("C:\\Windows Long\\", "C:\\WINDOW~1\\");
        SimWriteFile("C:\\Windows Long\\System\\VANTRELL.CPL", "applet");
        SimWriteFile("C:\\Windows Long\\System\\opengl32.dll", kProductOpenGL);
        SimSetInUse("C:\\Windows Long\\System\\VANTRELL.CPL", ERROR_ACCESS_DENIED);
        SimAnswerMessageBoxes({IDYES});
        if (c.shortQueryFails) {
            // The install directory's, the Windows and system directories'
            // and the temporary folder's (the install directory's guard),
            // then the entry's: it fails.
            SimFailCall("GetShortPathNameA", ERROR_ACCESS_DENIED, 5);
        }
        EXPECT_EQ(0, RunUninstaller(kUninstaller));
        ExpectBox(1, kRestartText, "Uninstall Information", 0x40);
        if (c.family == SimWindowsNT) {
            ASSERT_EQ(2u, SimPendingDeletions().size());
            EXPECT_EQ(c.appletEntry, SimPendingDeletions()[0].path);
            EXPECT_FALSE(SimExists("C:\\Windows Long\\wininit.ini"));
        } else {
            EXPECT_EQ(std::string("[rename]\r\nNUL=") + c.appletEntry + "\r\nNUL=C:\\PROGRA~1\\VANTRE~1\\UNINSTAL.EXE\r\n",
                      Content("C:\\Windows Long\\wininit.ini"));
        }
    }
}

TEST_F(Windows98RemovalTest, NoRightsCheckWhateverTheUser) {
    InstallProduct(SimWindows98);
    SimSetUser(SimPlainUser);
    SimAnswerMessageBoxes({IDYES});
    SimLogCalls(true);
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    SimLogCalls(false);
    for (const char* call : kSecurityCalls) EXPECT_EQ(0, SimCallCount(call)) << call;
    // Handles are closed, but only files' (no token was opened).
    EXPECT_GT(SimCallCount("CloseHandle"), 0);
    for (const SimCall& call : SimCallLog()) {
        if (call.op == "CloseHandle") EXPECT_FALSE(call.subject.empty()) << "a handle other than a file's closed";
    }
    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
}

class NTRemovalTest : public MachineTest {};

TEST_F(NTRemovalTest, PlainUserIsRefusedBeforeAnyChange) {
    InstallProduct(SimWindowsNT);
    SimSetUser(SimPlainUser);
    Names before = SimListTree("C:\\");
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(-1, RunUninstaller(kUninstaller));
    ASSERT_EQ(1u, SimMessageBoxes().size());
    ExpectBox(0, "In order to uninstall this program you must have system administrator privledges.\n",
              "Insufficient privledges!", 0x2030);
    EXPECT_EQ(before, SimListTree("C:\\"));
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    EXPECT_TRUE(SimLaunches().empty());
    ExpectNothingHeld();
}

TEST_F(NTRemovalTest, AdministratorIsCheckedOnceAndRemoves) {
    InstallProduct(SimWindowsNT);
    SimSetUser(SimAdministrator);
    SimAnswerMessageBoxes({IDYES});
    EXPECT_EQ(0, RunUninstaller(kUninstaller));
    EXPECT_EQ(1, SimCallCount("AccessCheck"));
    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProductKey));
    ExpectNothingHeld();
}

}  // namespace
