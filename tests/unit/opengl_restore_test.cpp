// Restoring the platform's OpenGL library: the successful run, and each row
// of its failure table. The system directory never holds a partial
// opengl32.dll, and the backup stays whenever it was not restored.
#include "machine.h"

#include "uninstaller/paths_record.h"
#include "uninstaller/uninstall.h"

#include <algorithm>
#include <ctype.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

const char kLibrary[] = "C:\\WINDOWS\\SYSTEM\\opengl32.dll";
const char kBackup[] = "C:\\Program Files\\Vantrell\\opengl32.sav";
const char kRestoreErrorText[] =
    "The uninstall could not restore the original opengl32.dll.\n"
    "Please contact Quillon Technical Support at (555) 555-0142\n"
    "to report this problem and get help uninstalling this product.";

std::string Content(const char* path) {
    std::string content;
    return SimReadFile(path, &content) ? content : "<absent>";
}

void ExpectNothingHeld() {
    EXPECT_EQ(0, SimOpenFileHandles());
    EXPECT_EQ(0, SimHeapBlocks());
}

class RestoreTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        InstallProduct(SimWindows98);
        ASSERT_TRUE(FillUninstallPaths(SimMainModule()));
    }
    // RestoreSystemOpenGL's result, or the exit code when it ended the process.
    int Restore() {
        int result = -1;
        SIM_RUN_TRAPPING_EXIT(result, RestoreSystemOpenGL());
        return result;
    }
};

TEST_F(RestoreTest, PutsTheBackupInPlaceAndDeletesTheProductsFiles) {
    EXPECT_EQ(1, Restore());
    EXPECT_FALSE(SimExited());
    EXPECT_EQ(kOriginalOpenGL, Content(kLibrary));
    // The backup waits for the product's keys to go (DeleteBackupOnceRestored).
    EXPECT_EQ(kOriginalOpenGL, Content(kBackup));
    for (const char* gone : {"C:\\Program Files\\Vantrell\\opengl32.fxa",
                             "C:\\Program Files\\Vantrell\\opengl32.fxb", "C:\\WINDOWS\\SYSTEM\\tavrix.vxd",
                             "C:\\WINDOWS\\SYSTEM\\lentix.dll"})
        EXPECT_FALSE(SimExists(gone)) << gone;
    EXPECT_EQ((Names{"corelay\\", "corelay\\corelay.sys", "corelay\\lib\\", "corelay\\lib\\corelay.cfg",
                     "opengl32.dll", "VANTRELL.CPL", "vtl_d3d.dll", "vtl_sw.dll"}),
              SimListTree("C:\\WINDOWS\\SYSTEM"));
    EXPECT_TRUE(SimMessageBoxes().empty());
    ExpectNothingHeld();
}

TEST_F(RestoreTest, WithoutBackupTheLibraryGoesAndTheRestStillRuns) {
    ASSERT_TRUE(DeleteFileA(kBackup));
    EXPECT_EQ(1, Restore());
    EXPECT_FALSE(SimExists(kLibrary));
    EXPECT_FALSE(SimExists("C:\\Program Files\\Vantrell\\opengl32.fxa"));
    EXPECT_FALSE(SimExists("C:\\WINDOWS\\SYSTEM\\lentix.dll"));
    ExpectNothingHeld();
}

TEST_F(RestoreTest, FailedDeletionsOfTheProductsFilesAreIgnored) {
    SimSetInUse("C:\\WINDOWS\\SYSTEM\\tavrix.vxd", ERROR_ACCESS_DENIED);
    EXPECT_EQ(1, Restore());
    EXPECT_TRUE(SimExists("C:\\WINDOWS\\SYSTEM\\tavrix.vxd"));
    EXPECT_FALSE(SimExists("C:\\WINDOWS\\SYSTEM\\lentix.dll"));
    EXPECT_EQ(kOriginalOpenGL, Content(kLibrary));
}

// The access test on the backup fails although the backup is there: it is
// treated as absent, so nothing replaces the library, and then it must not
// be deleted with the product's files, or the platform's library is lost.
TEST_F(RestoreTest, BackupThatTheAccessTestDoesNotShowIsKept) {
    SimFailCall("GetFileAttributesA", ERROR_ACCESS_DENIED, 2);  // library exists, backup exists
    EXPECT_EQ(1, Restore());
    EXPECT_EQ("<absent>", Content(kLibrary));
    EXPECT_EQ(kOriginalOpenGL, Content(kBackup));
    EXPECT_FALSE(SimExists("C:\\Program Files\\Vantrell\\opengl32.fxa"));
    EXPECT_FALSE(SimExists("C:\\WINDOWS\\SYSTEM\\lentix.dll"));
    ExpectNothingHeld();
}

enum Arrangement { LIBRARY_READ_ONLY, LIBRARY_IN_USE, FAIL_OP, DISK_FULL };

struct FailureCase {
    const char* name;
    Arrangement arrangement;
    const char* op;  // for FAIL_OP: fails at its occurrence-th call
    int occurrence;
    int result;           // returned, or the exit code
    bool exits;           // ended the process
    const char* library;  // what opengl32.dll holds afterwards; 0: absent
};

const FailureCase kFailures[] = {
    {"library read-only", LIBRARY_READ_ONLY, nullptr, 0, 0, false, kProductOpenGL},
    {"library cannot be deleted", LIBRARY_IN_USE, nullptr, 0, 0, true, kProductOpenGL},
    // The comparison of library and backup opens, reads and closes each
    // once first, with a heap block for each stream and one for both reads.
    {"backup cannot be opened", FAIL_OP, "CreateFileA", 3, 0, false, kProductOpenGL},
    {"copy cannot be opened", FAIL_OP, "CreateFileA", 4, 0, false, kProductOpenGL},
    {"no copy buffer", FAIL_OP, "HeapAlloc", 6, 0, false, kProductOpenGL},
    {"backup cannot be read", FAIL_OP, "ReadFile", 3, 0, false, kProductOpenGL},
    {"copy cannot be written", FAIL_OP, "WriteFile", 1, 0, false, kProductOpenGL},
    {"copy cannot be closed", FAIL_OP, "CloseHandle", 4, 0, false, kProductOpenGL},
    {"disk full", DISK_FULL, nullptr, 0, 0, false, kProductOpenGL},
    {"copy cannot take the library's name", FAIL_OP, "MoveFileA", 1, 0, false, nullptr},
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class RestoreFailureTest : public RestoreTest, public ::testing::WithParamInterface<FailureCase> {};

INSTANTIATE_TEST_SUITE_P(Failures, RestoreFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += isalnum((unsigned char)*c) ? *c : '_';
                             return name;
                         });

TEST_P(RestoreFailureTest, NeverLeavesAPartialLibraryAndKeepsTheBackup) {
    const FailureCase& c = GetParam();
    if (c.arrangement == LIBRARY_READ_ONLY) SimSetAttributes(kLibrary, FILE_ATTRIBUTE_READONLY);
    if (c.arrangement == LIBRARY_IN_USE) SimSetInUse(kLibrary, ERROR_ACCESS_DENIED);
    if (c.arrangement == DISK_FULL) SimSetDiskSpace(5);
    if (c.op) SimFailCall(c.op, ERROR_ACCESS_DENIED, c.occurrence);
    Names installBefore = SimListTree("C:\\Program Files\\Vantrell");
    Names systemBefore = SimListTree("C:\\WINDOWS\\SYSTEM");

    EXPECT_EQ(c.result, Restore());
    EXPECT_EQ(c.exits, SimExited());
    EXPECT_EQ(c.library ? c.library : "<absent>", Content(kLibrary));
    EXPECT_EQ(kOriginalOpenGL, Content(kBackup));
    EXPECT_EQ(installBefore, SimListTree("C:\\Program Files\\Vantrell"));
    Names systemAfter = systemBefore;
    if (c.library == nullptr)
        systemAfter.erase(std::find(systemAfter.begin(), systemAfter.end(), "opengl32.dll"));
    EXPECT_EQ(systemAfter, SimListTree("C:\\WINDOWS\\SYSTEM")) << "a temporary file stayed, or a file went";
    if (c.exits) {
        ASSERT_EQ(1u, SimMessageBoxes().size());
        const SimMessageBox& box = SimMessageBoxes()[0];
        EXPECT_EQ(nullptr, box.owner);
        EXPECT_EQ(kRestoreErrorText, box.text);
        EXPECT_EQ("Uninstall Error!", box.title);
        EXPECT_EQ(0x10u, box.style);
    } else {
        EXPECT_TRUE(SimMessageBoxes().empty());
    }
    ExpectNothingHeld();
}

// The product's key and what lies below it, as a run that got past the
// keys leaves the registry.
void DeleteProductKey() {
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quillon Software", 0, KEY_ALL_ACCESS, &parent));
    RegDeleteKeyA(parent, "Vantrell\\Display\\Modes");
    RegDeleteKeyA(parent, "Vantrell\\Display");
    RegDeleteKeyA(parent, "Vantrell");
    RegCloseKey(parent);
    ASSERT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\Vantrell"));
}

// The machine as a run cut short, or a complete one, may leave it: the
// library is deleted only while it is known to be the product's, and the
// platform's library is never lost.
struct StateCase {
    const char* name;
    const char* library;  // opengl32.dll before; 0: absent
    const char* backup;   // opengl32.sav before; 0: absent
    bool productKey;      // the product's key still exists
    bool staleCopy;       // a staged copy left by a run cut short
    int result;
    const char* libraryAfter;  // 0: absent
};

TEST_F(RestoreTest, EveryStateARunCanLeaveKeepsThePlatformsLibrary) {
    const StateCase cases[] = {
        {"installed", kProductOpenGL, kOriginalOpenGL, true, false, 1, kOriginalOpenGL},
        {"installed, stale staged copy", kProductOpenGL, kOriginalOpenGL, true, true, 1, kOriginalOpenGL},
        {"restored, keys not yet deleted", kOriginalOpenGL, kOriginalOpenGL, true, false, 1, kOriginalOpenGL},
        {"restored, keys deleted", kOriginalOpenGL, kOriginalOpenGL, false, false, 1, kOriginalOpenGL},
        {"library deleted, not yet replaced", 0, kOriginalOpenGL, true, true, 1, kOriginalOpenGL},
        {"completely removed", kOriginalOpenGL, 0, false, false, 1, kOriginalOpenGL},
        {"completely removed, no library", 0, 0, false, false, 1, 0},
        {"no backup from the start", kProductOpenGL, 0, true, false, 1, 0},
        {"no backup, library already deleted", 0, 0, true, false, 1, 0},
        {"-norename run before, keys gone", kProductOpenGL, kOriginalOpenGL, false, false, 1, kOriginalOpenGL},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimReset(SimulatedDrivesRoot());
        InstallProduct(SimWindows98);
        ASSERT_TRUE(FillUninstallPaths(SimMainModule()));
        DeleteFileA(kLibrary);
        DeleteFileA(kBackup);
        if (c.library) SimWriteFile(kLibrary, c.library);
        if (c.backup) SimWriteFile(kBackup, c.backup);
        if (!c.productKey) {
            DeleteProductKey();
            ASSERT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\Vantrell"));
        }
        if (c.staleCopy) SimWriteFile("C:\\WINDOWS\\SYSTEM\\vtl_ogl.tmp", "part of a cop");

        EXPECT_EQ(c.result, Restore());
        EXPECT_FALSE(SimExited());
        EXPECT_EQ(c.libraryAfter ? c.libraryAfter : "<absent>", Content(kLibrary));
        EXPECT_EQ(c.backup ? c.backup : "<absent>", Content(kBackup)) << "the restore keeps the backup";
        EXPECT_FALSE(SimExists("C:\\WINDOWS\\SYSTEM\\vtl_ogl.tmp"));
        EXPECT_FALSE(SimExists("C:\\WINDOWS\\SYSTEM\\lentix.dll"));
        EXPECT_TRUE(SimMessageBoxes().empty());
        ExpectNothingHeld();
    }
}

struct BackupCase {
    const char* name;
    const char* library;  // 0: absent
    bool productKey;
    bool keyUnreadable;  // the key's open fails otherwise than "not found"
    bool backupGoes;
};

TEST_F(RestoreTest, BackupGoesOnlyOnceRestoredAndTheKeysAreGone) {
    const BackupCase cases[] = {
        {"restored, keys gone", kOriginalOpenGL, false, false, true},
        {"restored, key still there", kOriginalOpenGL, true, false, false},
        {"restored, key cannot be told", kOriginalOpenGL, true, true, false},
        {"not restored (-norename)", kProductOpenGL, false, false, false},
        {"no library", 0, false, false, false},
    };
    for (const BackupCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimReset(SimulatedDrivesRoot());
        InstallProduct(SimWindows98);
        ASSERT_TRUE(FillUninstallPaths(SimMainModule()));
        DeleteFileA(kLibrary);
        if (c.library) SimWriteFile(kLibrary, c.library);
        if (!c.productKey) {
            DeleteProductKey();
        }
        if (c.keyUnreadable) SimFailCall("RegOpenKeyExA", ERROR_ACCESS_DENIED);
        DeleteBackupOnceRestored();
        EXPECT_EQ(c.backupGoes ? "<absent>" : kOriginalOpenGL, Content(kBackup));
        EXPECT_EQ(c.library ? c.library : "<absent>", Content(kLibrary));
        EXPECT_EQ(0, SimRegOpenHandles());
        ExpectNothingHeld();
    }
}

// Without a backup, a library of the product's that cannot be deleted ends
// the run as with one; there is no copy to clear away.
TEST_F(RestoreTest, LibraryThatCannotBeDeletedWithoutABackupEndsTheRun) {
    ASSERT_TRUE(DeleteFileA(kBackup));
    SimSetInUse(kLibrary, ERROR_ACCESS_DENIED);
    Names systemBefore = SimListTree("C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(0, Restore());
    EXPECT_TRUE(SimExited());
    EXPECT_EQ(kProductOpenGL, Content(kLibrary));
    EXPECT_EQ(systemBefore, SimListTree("C:\\WINDOWS\\SYSTEM"));
    ASSERT_EQ(1u, SimMessageBoxes().size());
    EXPECT_EQ(kRestoreErrorText, SimMessageBoxes()[0].text);
    ExpectNothingHeld();
}

// A directory of the record that leaves no room for the library's or the
// backup's name: neither is restored nor deleted, whatever else holds.
TEST_F(RestoreTest, NamesThatDoNotFitTheirDirectoryLeaveLibraryAndBackup) {
    const std::string longDir = "C:\\" + std::string(246, 'l') + "\\";  // 250 characters
    for (int install = 0; install < 2; ++install) {
        SCOPED_TRACE(install ? "install directory" : "system directory");
        SimReset(SimulatedDrivesRoot());
        InstallProduct(SimWindows98);
        ASSERT_TRUE(FillUninstallPaths(SimMainModule()));
        char* dir = install ? UninstallPaths.InstallDir : UninstallPaths.SystemDir;
        strcpy(dir, longDir.c_str());
        EXPECT_EQ(0, Restore());
        EXPECT_EQ(kProductOpenGL, Content(kLibrary));
        EXPECT_EQ(kOriginalOpenGL, Content(kBackup));
        // Restored and the keys gone: the backup would go, could it be named.
        SimWriteFile(kLibrary, kOriginalOpenGL);
        DeleteProductKey();
        DeleteBackupOnceRestored();
        EXPECT_EQ(kOriginalOpenGL, Content(kBackup));
        ExpectNothingHeld();
    }
}

struct AccessCase {
    const char* name;
    const char* directory;
    const char* file;
    DWORD attributes;  // set when the file is created; 0: created plain
    bool create;
    int exists;
    int writable;
};

class FileCheckTest : public MachineTest {};

TEST_F(FileCheckTest, ExistenceAndWriteAccess) {
    std::string longDir = "C:\\" + std::string(250, 'l') + "\\";
    SimCreateDirectory(longDir.c_str());
    SimWriteFile((longDir + "opengl32.dll").c_str(), "x");
    const AccessCase cases[] = {
        {"plain file", "C:\\DATA\\", "plain.dll", 0, true, 1, 1},
        {"read-only file", "C:\\DATA\\", "readonly.dll", FILE_ATTRIBUTE_READONLY, true, 1, 0},
        {"hidden file", "C:\\DATA\\", "hidden.dll", FILE_ATTRIBUTE_HIDDEN, true, 1, 1},
        {"absent file", "C:\\DATA\\", "absent.dll", 0, false, 0, 0},
        {"path that does not fit", longDir.c_str(), "opengl32.dll", 0, false, 0, 0},
    };
    for (const AccessCase& c : cases) {
        std::string path = std::string(c.directory) + c.file;
        if (c.create) SimWriteFile(path.c_str(), "x");
        if (c.attributes) SimSetAttributes(path.c_str(), c.attributes);
        EXPECT_EQ(c.exists, FileExists(c.directory, c.file)) << c.name;
        EXPECT_EQ(c.writable, FileWritable(c.directory, c.file)) << c.name;
    }
}

}  // namespace
