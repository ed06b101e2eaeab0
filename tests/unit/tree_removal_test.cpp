// Directory tree removal over the simulated files: what goes, what stays,
// and that the walk ends, entering each directory once.
#include "machine.h"

#include "uninstaller/uninstall.h"

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

const char kTree[] = "C:\\TREE\\";

void ExpectNothingHeld() { EXPECT_EQ(0, SimOpenSearches()); }

class TreeRemovalTest : public MachineTest {};

TEST_F(TreeRemovalTest, EmptyDirectoryIsRemoved) {
    ASSERT_TRUE(SimCreateDirectory(kTree));
    RemoveDirectoryTree(kTree);
    EXPECT_FALSE(SimExists(kTree));
    ExpectNothingHeld();
}

TEST_F(TreeRemovalTest, MissingDirectoryChangesNothing) {
    SimWriteFile("C:\\KEEP.TXT", "x");
    Names before = SimListTree("C:\\");
    RemoveDirectoryTree(kTree);
    EXPECT_EQ(before, SimListTree("C:\\"));
    EXPECT_EQ(1, SimCallCount("FindFirstFileA"));
    EXPECT_EQ(1, SimCallCount("RemoveDirectoryA"));
    EXPECT_EQ(0, SimCallCount("DeleteFileA"));
    ExpectNothingHeld();
}

TEST_F(TreeRemovalTest, NestedTreeGoesWithReadOnlyHiddenAndSystemFiles) {
    const char* files[] = {"a.txt", "ro.txt", "sub\\hidden.sys", "sub\\deeper\\system.dat", "sub\\deeper\\plain",
                           "empty\\", "sub\\deeper\\deepest\\last.txt"};
    for (const char* name : files) {
        std::string path = std::string(kTree) + name;
        if (path.back() == '\\')
            SimCreateDirectory(path.c_str());
        else
            SimWriteFile(path.c_str(), name);
    }
    SimSetAttributes("C:\\TREE\\ro.txt", FILE_ATTRIBUTE_READONLY);
    SimSetAttributes("C:\\TREE\\sub\\hidden.sys", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    SimSetAttributes("C:\\TREE\\sub\\deeper\\system.dat", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    RemoveDirectoryTree(kTree);
    EXPECT_FALSE(SimExists(kTree));
    EXPECT_TRUE(SimExists("C:\\WINDOWS"));
    ExpectNothingHeld();
}

TEST_F(TreeRemovalTest, FileInUseStaysWithTheDirectoriesAboveItAndTheRestGoes) {
    for (const char* name : {"a.txt", "sub\\b.txt", "sub\\deep\\held.dll", "sub\\deep\\c.txt", "other\\d.txt"})
        SimWriteFile((std::string(kTree) + name).c_str(), name);
    SimSetInUse("C:\\TREE\\sub\\deep\\held.dll", ERROR_ACCESS_DENIED);
    RemoveDirectoryTree(kTree);
    EXPECT_EQ((Names{"sub\\", "sub\\deep\\", "sub\\deep\\held.dll"}), SimListTree(kTree));
    // TREE, sub, deep and other: each listed once.
    EXPECT_EQ(4, SimCallCount("FindFirstFileA"));
    ExpectNothingHeld();
}

// A file at every level and one in use at the bottom: reading a level again
// after a pass that removed its file would enter every level below it again.
TEST_F(TreeRemovalTest, DeepTreeWithAFileInUseAtTheBottomIsListedOncePerDirectory) {
    const int depth = 40;
    std::string dir = kTree;
    Names expected;
    std::string relative;
    for (int level = 0; level < depth; ++level) {
        SimWriteFile((dir + "file.txt").c_str(), "x");
        std::string name = "d" + std::to_string(level) + "\\";
        dir += name;
        relative += name;
        expected.push_back(relative);
    }
    SimWriteFile((dir + "held.dll").c_str(), "x");
    SimSetInUse((dir + "held.dll").c_str(), ERROR_SHARING_VIOLATION);
    expected.push_back(relative + "held.dll");
    RemoveDirectoryTree(kTree);
    EXPECT_EQ(expected, SimListTree(kTree));
    EXPECT_EQ(depth + 1, SimCallCount("FindFirstFileA"));
    ExpectNothingHeld();
}

TEST_F(TreeRemovalTest, ThousandsOfSubdirectoriesEndWithOnlyTheHeldOneLeft) {
    const int count = 2000;
    for (int i = 0; i < count; ++i)
        SimWriteFile((std::string(kTree) + "dir" + std::to_string(i) + "\\file.txt").c_str(), "x");
    SimSetInUse("C:\\TREE\\dir1234\\file.txt", ERROR_SHARING_VIOLATION);
    RemoveDirectoryTree(kTree);
    EXPECT_EQ((Names{"dir1234\\", "dir1234\\file.txt"}), SimListTree(kTree));
    EXPECT_EQ(count + 1, SimCallCount("FindFirstFileA"));
    ExpectNothingHeld();
}

TEST_F(TreeRemovalTest, KeptNamesStayOnlyAtTheTopAndWhateverTheirCase) {
    SimWriteFile("C:\\TREE\\OPENGL32.SAV", "backup");
    SimWriteFile("C:\\TREE\\Install.Log", "log");
    SimWriteFile("C:\\TREE\\other.txt", "x");
    SimWriteFile("C:\\TREE\\sub\\opengl32.sav", "not the one");
    SimCreateDirectory("C:\\TREE\\install.log.d\\");
    const char* const keep[] = {"opengl32.sav", "install.log", 0};
    RemoveDirectoryTree(kTree, keep);
    EXPECT_EQ((Names{"Install.Log", "OPENGL32.SAV"}), SimListTree(kTree));
    std::string content;
    ASSERT_TRUE(SimReadFile("C:\\TREE\\OPENGL32.SAV", &content));
    EXPECT_EQ("backup", content);
    ExpectNothingHeld();
}

TEST_F(TreeRemovalTest, EntriesWhosePathDoesNotFitStayAndTheRestGoes) {
    // 3 + 240 + 1 = 244 characters of directory: a 20-character name does
    // not fit the 260-byte buffer, a short one does.
    std::string dir = "C:\\" + std::string(240, 'p') + "\\";
    std::string longName(20, 'n');
    SimWriteFile((dir + longName).c_str(), "x");
    SimWriteFile((dir + "short").c_str(), "x");
    RemoveDirectoryTree(dir.c_str());
    EXPECT_EQ((Names{longName}), SimListTree(dir.c_str()));
    ExpectNothingHeld();
}

TEST_F(TreeRemovalTest, FailedSearchStepEndsTheWalkAndClosesTheSearch) {
    SimWriteFile("C:\\TREE\\a.txt", "x");
    SimWriteFile("C:\\TREE\\b.txt", "x");
    SimFailCall("FindNextFileA", ERROR_ACCESS_DENIED, 0);
    RemoveDirectoryTree(kTree);
    EXPECT_EQ((Names{"a.txt", "b.txt"}), SimListTree(kTree));
    ExpectNothingHeld();
}

// Links below the tree go as links; what they point to stays whole, and a
// link back up the tree is never followed.
struct LinkCase {
    const char* what;
    const char* link;    // below kTree
    const char* target;  // 0: the tree's own parent
    bool directoryLink;
};

TEST_F(TreeRemovalTest, LinksAreRemovedAsLinksAndWhatTheyPointToStays) {
    const LinkCase cases[] = {
        {"a directory link to user files", "saves", "C:\\Users\\Docs", true},
        {"a directory link deep in the tree", "sub\\deeper\\shots", "C:\\Users\\Docs", true},
        {"a file link", "notes.txt", "C:\\Users\\Docs\\letter.txt", false},
        {"a read-only file link", "ro-link.txt", "C:\\Users\\Docs\\letter.txt", false},
        {"a link to the tree's own parent", "up", 0, true},
        {"a directory link that points nowhere", "gone", "C:\\Nowhere\\At all", true},
        {"a file link that points nowhere", "gone.txt", "C:\\Nowhere\\x.txt", false},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.what);
        SimReset(SimulatedDrivesRoot());
        SimWriteFile("C:\\Users\\Docs\\letter.txt", "dear");
        SimWriteFile("C:\\Users\\Docs\\sub\\photo.jpg", "photo");
        SimWriteFile("C:\\Users\\Docs\\readonly.txt", "ro");
        SimSetAttributes("C:\\Users\\Docs\\readonly.txt", FILE_ATTRIBUTE_READONLY);
        SimWriteFile("C:\\keep.txt", "beside the tree");
        SimWriteFile("C:\\TREE\\a.txt", "a");
        SimWriteFile("C:\\TREE\\sub\\deeper\\b.txt", "b");
        std::string link = std::string(kTree) + c.link;
        ASSERT_TRUE(SimCreateLink(link.c_str(), c.target ? c.target : "C:\\", c.directoryLink));
        if (std::string(c.link) == "ro-link.txt") SimSetAttributes(link.c_str(), FILE_ATTRIBUTE_READONLY);
        Names users = SimListTree("C:\\Users\\");

        RemoveDirectoryTree(kTree);

        EXPECT_EQ(users, SimListTree("C:\\Users\\"));
        std::string content;
        EXPECT_TRUE(SimReadFile("C:\\Users\\Docs\\letter.txt", &content) && content == "dear");
        EXPECT_TRUE(SimReadFile("C:\\keep.txt", &content) && content == "beside the tree");
        EXPECT_TRUE(SimExists("C:\\WINDOWS\\SYSTEM"));
        if (std::string(c.link) == "ro-link.txt")
            EXPECT_EQ((Names{"ro-link.txt"}), SimListTree(kTree));  // read-only link: it stays, alone
        else
            EXPECT_FALSE(SimExists(kTree)) << "left: " << ::testing::PrintToString(SimListTree(kTree));
        ExpectNothingHeld();
    }
}

// Names that begin with dots are entries like any other; only "." and ".."
// are not.
TEST_F(TreeRemovalTest, NamesThatMerelyBeginWithDotsGo) {
    for (const char* name : {".profile", "..x", "...", ".d\\f.txt", "..e\\"}) {
        std::string path = std::string(kTree) + name;
        if (path.back() == '\\')
            SimCreateDirectory(path.c_str());
        else
            SimWriteFile(path.c_str(), name);
    }
    RemoveDirectoryTree(kTree);
    EXPECT_FALSE(SimExists(kTree)) << "left: " << ::testing::PrintToString(SimListTree(kTree));
    ExpectNothingHeld();
}

// Directories whose names leave no room, for the search pattern or for the
// backslash that ends a directory's path: an empty one still goes, one
// with entries stays with them. An empty name or one longer than a path
// buffer names nothing to remove.
TEST_F(TreeRemovalTest, DirectoriesWithoutRoomForTheirSearchGoOnlyWhenEmpty) {
    const std::string parent = "C:\\" + std::string(240, 'q') + "\\";
    // 258 characters: no room for "*.*"; 259: none for the backslash.
    const std::string noPattern = parent + std::string(13, 'r') + "\\", noBackslash = parent + std::string(15, 's');
    SimCreateDirectory((noPattern + "empty\\").c_str());
    SimWriteFile((noPattern + "file").c_str(), "x");
    SimCreateDirectory(noBackslash.c_str());
    RemoveDirectoryTree(noPattern.c_str());
    EXPECT_EQ((Names{"empty\\", "file"}), SimListTree(noPattern.c_str()));
    ASSERT_TRUE(SimCreateDirectory((parent + "plain\\").c_str()));
    RemoveDirectoryTree(parent.c_str());
    // The directory whose path leaves no room for its backslash stays,
    // and with it the parent; the plain one goes.
    EXPECT_EQ((Names{std::string(13, 'r') + "\\", std::string(13, 'r') + "\\empty\\", std::string(13, 'r') + "\\file",
                     std::string(15, 's') + "\\"}),
              SimListTree(parent.c_str()));
    SimCreateDirectory("C:\\EMPTY\\");
    const Names drive = SimListTree("C:\\");
    RemoveDirectoryTree("");
    RemoveDirectoryTree(("C:\\" + std::string(300, 't') + "\\").c_str());
    EXPECT_EQ(drive, SimListTree("C:\\"));
    ExpectNothingHeld();
}

}  // namespace

namespace {

// On NT the ANSI listing spells a character that the code page lacks as
// '?': such an entry is named by its short name, or stays; a '?' path is
// never used (it names no file).
TEST_F(TreeRemovalTest, EntriesTheCodePageCannotSpellGoByTheirShortNames) {
    const std::string folder = std::string(kTree) + "\xD0\x92\xD0\xB0\xD0\xBD\xD1\x82";  // Cyrillic
    const std::string file = std::string(kTree) + "\xD0\x94\xD0\xBE\xD0\xBA.txt";
    for (bool shortNames : {true, false}) {
        SCOPED_TRACE(shortNames ? "with short names" : "short names off");
        SimReset(SimulatedDrivesRoot());
        SimSetFamily(SimWindowsNT);
        SimWriteFile((folder + "\\inner.txt").c_str(), "product");
        SimWriteFile(file.c_str(), "product");
        SimWriteFile((std::string(kTree) + "plain.txt").c_str(), "product");
        if (shortNames) {
            SimAddShortName(folder.c_str(), (std::string(kTree) + "VANT~1").c_str());
            SimAddShortName(file.c_str(), (std::string(kTree) + "DOK~1.TXT").c_str());
        }
        SimLogCalls(true);
        RemoveDirectoryTree(kTree);
        SimLogCalls(false);
        if (shortNames) {
            EXPECT_FALSE(SimExists(kTree));
        } else {
            EXPECT_EQ((Names{"\xD0\x92\xD0\xB0\xD0\xBD\xD1\x82\\", "\xD0\x92\xD0\xB0\xD0\xBD\xD1\x82\\inner.txt",
                             "\xD0\x94\xD0\xBE\xD0\xBA.txt"}),
                      SimListTree(kTree));
        }
        for (const SimCall& call : SimCallLog())
            EXPECT_EQ(std::string::npos, call.subject.find('?')) << call.op << " " << call.subject;
        ExpectNothingHeld();
    }
}

}  // namespace
