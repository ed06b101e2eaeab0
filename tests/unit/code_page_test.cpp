// Paths and names on a double-byte code page (932): the second byte of a
// character may be 0x5C, the backslash's byte (0x95 0x5C is one character),
// or an ASCII letter's byte; neither is ever taken for what it is not.
#include "machine.h"

#include "common/paths.h"
#include "common/text.h"
#include "uninstaller/install_dir_guard.h"
#include "uninstaller/paths_record.h"
#include "uninstaller/uninstall.h"

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

// Shift-JIS: "ichiran-hyou" (list), "settei-hyou" (settings table); each
// ends in the byte 0x5C.
const std::string kListTable = "\x88\xea\x97\x97\x95\x5c";
const std::string kSettingsTable = "\x90\xdd\x92\xe8\x95\x5c";
const std::string kList = "\x88\xea\x97\x97";  // no 0x5C byte

class CodePageTest : public MachineTest {};

struct BackslashCase {
    UINT codePage;
    std::string path;
    std::string withBackslash;  // ApplyTrailingBackslash
    std::string directory;      // DirectoryOfPath
};

TEST_F(CodePageTest, TrailingAndLastBackslashAreCharactersNotBytes) {
    const BackslashCase cases[] = {
        {932, "C:\\" + kListTable, "C:\\" + kListTable + "\\", "C:\\"},
        {932, "C:\\" + kListTable + "\\", "C:\\" + kListTable + "\\", "C:\\" + kListTable + "\\"},
        {932, "C:\\" + kListTable + "\\a.exe", "C:\\" + kListTable + "\\a.exe\\", "C:\\" + kListTable + "\\"},
        {932, "C:\\A\\" + kSettingsTable + kListTable, "C:\\A\\" + kSettingsTable + kListTable + "\\", "C:\\A\\"},
        {932, kListTable, kListTable + "\\", ""},
        {1252, "C:\\" + kListTable, "C:\\" + kListTable, "C:\\" + kListTable},
        {932, "C:\\WINDOWS", "C:\\WINDOWS\\", "C:\\"},
    };
    for (const BackslashCase& c : cases) {
        SCOPED_TRACE(c.path + " in " + std::to_string(c.codePage));
        SimSetCodePage(c.codePage);
        char path[PATH_BUFFER_SIZE];
        CopyText(path, sizeof path, c.path.c_str());
        EXPECT_EQ(1, ApplyTrailingBackslash(path, sizeof path));
        EXPECT_EQ(c.withBackslash, path);
        char directory[PATH_BUFFER_SIZE];
        EXPECT_EQ(1, DirectoryOfPath(c.path.c_str(), directory, sizeof directory));
        EXPECT_EQ(c.directory, directory);
        EXPECT_EQ(c.path.back() == '\\' && c.withBackslash == c.path, EndsWithBackslash(c.path.c_str()) != 0);
    }
}

struct CaseCase {
    UINT codePage;
    std::string a, b;
    bool equal;
};

TEST_F(CodePageTest, TrailBytesAreNeverCaseFolded) {
    const CaseCase cases[] = {
        // 0x83 0x61 and 0x83 0x41 are two different katakana in 932.
        {932, "\x83\x61.TXT", "\x83\x41.txt", false},
        {1252, "\x83\x61.TXT", "\x83\x41.txt", true},
        {932, kListTable + "x", kListTable + "X", true},
        {932, "C:\\WINDOWS\\", "c:\\windows\\", true},
        {932, kListTable, kList + "\\", false},
        {932, kList, kList + "\x95", false},
    };
    for (const CaseCase& c : cases) {
        SimSetCodePage(c.codePage);
        EXPECT_EQ(c.equal, EqualsIgnoringCase(c.a.c_str(), c.b.c_str()) != 0) << c.a << " / " << c.b;
        EXPECT_EQ(c.equal, EqualsIgnoringCase(c.b.c_str(), c.a.c_str()) != 0) << c.b << " / " << c.a;
    }
    SimSetCodePage(932);
    // A prefix ends at a character's end: "C:\A" + lead byte is no prefix
    // of a path whose next character starts with that byte.
    EXPECT_TRUE(StartsWithIgnoringCase(("C:\\" + kListTable + "\\sub").c_str(), ("c:\\" + kListTable).c_str()));
    EXPECT_FALSE(StartsWithIgnoringCase(("C:\\" + kListTable).c_str(), "C:\\\x88"));
}

// Folders whose names end in the byte 0x5C go with everything in them, and
// so do the directories above them.
TEST_F(CodePageTest, TreeWithDoubleByteNamesIsRemovedWhole) {
    SimSetCodePage(932);
    const std::string tree = "C:\\TREE\\";
    for (const std::string& name : {kListTable + "\\a.txt", kListTable + "\\" + kSettingsTable + "\\b.txt",
                                    kList + "\\c.txt", kSettingsTable + "\\" + kList + "\\d.txt"})
        ASSERT_TRUE(SimWriteFile((tree + name).c_str(), "x"));
    SimWriteFile("C:\\KEEP\\keep.txt", "keep");
    RemoveDirectoryTree(tree.c_str());
    EXPECT_FALSE(SimExists(tree.c_str())) << ::testing::PrintToString(SimListTree(tree.c_str()));
    EXPECT_TRUE(SimExists("C:\\KEEP\\keep.txt"));
    EXPECT_EQ(0, SimOpenSearches());
}

// The whole removal on a machine with a double-byte code page: an install
// directory and folders whose names end in 0x5C, in the install directory
// and in corelay\.
TEST_F(CodePageTest, FullRemovalLeavesNothingOfTheProduct) {
    for (SimFamily family : {SimWindows98, SimWindowsNT}) {
        SimReset(SimulatedDrivesRoot());
        SimSetCodePage(932);
        const std::string install = "C:\\Program Files\\Vantrell" + kListTable + "\\";
        ProductLayout layout = InstallProduct(family, install.c_str(), "C:\\PROGRA~1\\VANTRE~1\\");
        std::string corelay = layout.systemDir + "\\corelay\\";
        SimWriteFile((install + kListTable + "\\readme.txt").c_str(), "x");
        SimWriteFile((corelay + kSettingsTable + "\\mode.cfg").c_str(), "x");
        SimWriteFile((corelay + kSettingsTable + "\\" + kList + "\\deep.cfg").c_str(), "x");
        SimAnswerMessageBoxes({IDYES});
        EXPECT_EQ(0, RunUninstaller(("\"" + install + "UNINSTAL.EXE\"").c_str()));
        EXPECT_FALSE(SimExists(corelay.c_str())) << ::testing::PrintToString(SimListTree(corelay.c_str()));
        EXPECT_EQ((Names{"UNINSTAL.EXE"}), SimListTree(install.c_str()));
        std::string library;
        EXPECT_TRUE(SimReadFile((layout.systemDir + "\\opengl32.dll").c_str(), &library));
        EXPECT_EQ(kOriginalOpenGL, library);
        ASSERT_EQ(1u, SimLaunches().size());
        EXPECT_EQ("\"" + install + "\\uninstal.000\" /S C:\\PROGRA~1\\VANTRE~1\\\\install.log",
                  SimLaunches()[0].commandLine);
    }
}

// The Windows directory's name ends in 0x5C: an install directory that is
// it or holds it is still known for one, and one beside or below it is not.
TEST_F(CodePageTest, InstallDirectoryGuardComparesByCharacter) {
    SimSetCodePage(932);
    const std::string windows = "C:\\" + kListTable + "\\W" + kSettingsTable;
    SimSetWindowsDirectory(windows.c_str());
    SimSetSystemDirectory((windows + "\\SYSTEM").c_str());
    SimCreateDirectory((windows + "\\SYSTEM").c_str());
    const struct {
        std::string install;
        bool removable;
    } cases[] = {
        {windows + "\\", false},
        {"C:\\" + kListTable + "\\", false},
        {windows + "\\VANT\\", true},
        {"C:\\" + kList + "\\VANT\\", true},
        {"C:\\" + kListTable + "\\W" + kSettingsTable + "X\\", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.install);
        SimWriteFile((c.install + "uninstal.000").c_str(), "x");
        SimWriteFile((c.install + "UNINSTAL.EXE").c_str(), "x");
        SimSetModulePath(SimMainModule(), (c.install + "UNINSTAL.EXE").c_str());
        ASSERT_TRUE(FillUninstallPaths(SimMainModule()));
        EXPECT_EQ(c.install, UninstallPaths.InstallDir);
        EXPECT_EQ(c.removable, InstallDirIsRemovable() != 0);
    }
}

}  // namespace
