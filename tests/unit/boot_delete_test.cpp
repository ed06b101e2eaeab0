// Entries for deletion at the next start, in wininit.ini's [rename]
// section: where they land, that every other byte stays, and that a failure
// at any step leaves the old file whole and no temporary file behind.
#include "machine.h"

#include "uninstaller/uninstall.h"

#include <ctype.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> Names;

const char kWininit[] = "C:\\WINDOWS\\wininit.ini";
const char kSystemDir[] = "C:\\WINDOWS\\SYSTEM\\";
const char kApplet[] = "VANTRELL.CPL";
const std::string kEntry = "NUL=C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL\r\n";

std::string Wininit() {
    std::string content;
    EXPECT_TRUE(SimReadFile(kWininit, &content));
    return content;
}

// The Windows directory holds wininit.ini (when expected) and the system
// directory, nothing else: no temporary file is left.
void ExpectNoTemporaryFiles(bool wininitExists) {
    Names expected{"SYSTEM\\"};
    if (wininitExists) expected.push_back("wininit.ini");
    EXPECT_EQ(expected, SimListTree("C:\\WINDOWS"));
}

void ExpectNothingHeld() {
    EXPECT_EQ(0, SimOpenFileHandles());
    EXPECT_EQ(0, SimHeapBlocks());
}

struct WininitCase {
    std::string name;
    bool exists;
    std::string before;
    std::string after;
};

void PrintTo(const WininitCase& c, std::ostream* out) { *out << c.name; }

// The new file goes to the disk in blocks of 16 KiB.
const size_t kBlock = 16384;

// Comment lines of exactly n bytes in all (n >= 3), none longer than a piece.
std::string Filler(size_t n) {
    std::string text;
    for (; n >= 160; n -= 80) text += ";" + std::string(77, 'f') + "\r\n";
    return text + ";" + std::string(n - 3, 'f') + "\r\n";
}

std::vector<WininitCase> WininitCases() {
    const std::string e = kEntry;
    const std::string large = "[rename]\r\n" + Filler(3 * kBlock) + "[boot]\r\n";
    // A first block of blanks after "x=", then a last line of ten blanks
    // alone in the second block read: its end is the end of what was read,
    // and the blanks before it in the block are no part of it.
    const std::string firstBlock = "[boot]\r\nx=" + std::string(100, ' ') + "\r\n" + Filler(kBlock - 112);
    const std::string blanksAtTheEnd = firstBlock + std::string(10, ' ');
    // A line of 300 bytes that begins 100 bytes before the end of the first
    // block read and ends the file: the second, short block still fills
    // pieces of at most 254 bytes.
    const std::string acrossTheLastBlock = Filler(kBlock - 100) + ";" + std::string(299, 'l');
    const std::string longLine = "; " + std::string(600, 'x') + "\r\n";
    const std::string blanks300(300, ' '), blanks246(246, ' ');
    return {
        {"absent", false, "", "[rename]\r\n" + e},
        {"empty", true, "", "[rename]\r\n" + e},
        {"rename last", true, "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\n",
         "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\n" + e},
        {"no rename section", true, "[boot]\r\nshell=x\r\n", "[boot]\r\nshell=x\r\n[rename]\r\n" + e},
        {"rename not last", true, "[rename]\r\nNUL=C:\\OLD.TXT\r\n[boot]\r\nshell=x\r\n",
         "[rename]\r\nNUL=C:\\OLD.TXT\r\n" + e + "[boot]\r\nshell=x\r\n"},
        {"rename not last, blank line before the next section", true, "[rename]\r\nNUL=a\r\n\r\n[boot]\r\n",
         "[rename]\r\nNUL=a\r\n\r\n" + e + "[boot]\r\n"},
        {"two rename sections", true, "[rename]\r\nNUL=a\r\n[boot]\r\n[rename]\r\nNUL=b\r\n",
         "[rename]\r\nNUL=a\r\n" + e + "[boot]\r\n[rename]\r\nNUL=b\r\n"},
        {"header in another case, indented", true, "  [Rename]\r\nNUL=a\r\n", "  [Rename]\r\nNUL=a\r\n" + e},
        {"a longer section name is another section", true, "[renamed]\r\nx=1\r\n",
         "[renamed]\r\nx=1\r\n[rename]\r\n" + e},
        {"last line without line end, rename last", true, "[rename]\r\nNUL=C:\\OLD.TXT",
         "[rename]\r\nNUL=C:\\OLD.TXT\r\n" + e},
        {"last line without line end, other section", true, "[boot]\r\nshell=x",
         "[boot]\r\nshell=x\r\n[rename]\r\n" + e},
        {"long line", true, "[rename]\r\n" + longLine, "[rename]\r\n" + longLine + e},
        // The 255th byte of a line is not the start of one.
        {"bracket in a long line", true, "[rename]\r\n" + std::string(254, 'y') + "[boot]\r\nNUL=a\r\n",
         "[rename]\r\n" + std::string(254, 'y') + "[boot]\r\nNUL=a\r\n" + e},
        {"line end split between two pieces", true, "[rename]\r\n" + std::string(253, 'y') + "\r\n[boot]\r\n",
         "[rename]\r\n" + std::string(253, 'y') + "\r\n" + e + "[boot]\r\n"},
        {"line feeds alone", true, "[rename]\nNUL=a\n[boot]\nx=1\n", "[rename]\nNUL=a\n" + e + "[boot]\nx=1\n"},
        {"ctrl-z at the end", true, "[rename]\r\nNUL=a\r\n\x1a", "[rename]\r\nNUL=a\r\n" + e + "\x1a"},
        {"ctrl-z within the last line", true, "[rename]\r\nNUL=a\x1a", "[rename]\r\nNUL=a\r\n" + e + "\x1a"},
        {"text after ctrl-z is kept and not read", true, "[boot]\r\n\x1a[rename]\r\nNUL=b\r\n",
         "[boot]\r\n[rename]\r\n" + e + "\x1a[rename]\r\nNUL=b\r\n"},
        {"zero byte in a line", true, std::string("[boot]\r\nx=\0y\r\n", 14),
         std::string("[boot]\r\nx=\0y\r\n", 14) + "[rename]\r\n" + e},
        // Blanks before a header, more than a piece holds: the header still
        // ends the [rename] section, and the entry, not yet knowing, goes
        // before the blanks.
        {"header after more blanks than a piece holds", true, "[rename]\r\nNUL=a\r\n" + blanks300 + "[boot]\r\nx=1\r\n",
         "[rename]\r\nNUL=a\r\n" + e + blanks300 + "[boot]\r\nx=1\r\n"},
        {"line of blanks filling a piece", true, "[rename]\r\nNUL=a\r\n" + blanks246 + "\r\nx=1\r\n",
         "[rename]\r\nNUL=a\r\n" + e + blanks246 + "\r\nx=1\r\n"},
        {"fewer blanks than a piece holds", true, "[rename]\r\nNUL=a\r\n" + blanks246.substr(1) + "\r\n",
         "[rename]\r\nNUL=a\r\n" + blanks246.substr(1) + "\r\n" + e},
        {"rename header after more blanks than a piece holds", true, "[boot]\r\n" + blanks300 + "[rename]\r\nNUL=a\r\n",
         "[boot]\r\n" + blanks300 + "[rename]\r\nNUL=a\r\n" + e},
        // More than one block of the new file: every block reaches the disk.
        {"larger than a block", true, large,
         "[rename]\r\n" + Filler(3 * kBlock) + e + "[boot]\r\n"},
        {"blanks ending a file of more than one block", true, blanksAtTheEnd,
         blanksAtTheEnd + "\r\n[rename]\r\n" + e},
        // What an earlier line left in the piece's buffer past the end of a
        // short one is no part of it.
        {"a header cut short by the end of the file", true, "[boot]\r\nxxxxxxame]\r\n  [ren",
         "[boot]\r\nxxxxxxame]\r\n  [ren\r\n[rename]\r\n" + e},
        {"long line across the last block read", true, acrossTheLastBlock,
         acrossTheLastBlock + "\r\n[rename]\r\n" + e},
        {"rename header ends the file", true, "[boot]\r\n[rename]", "[boot]\r\n[rename]\r\n" + e},
        {"rename header across the end of a piece", true, "[boot]\r\n" + std::string(250, '\t') + "[rename]\r\n",
         "[boot]\r\n" + std::string(250, '\t') + "[rename]\r\n" + e},
    };
}

class WininitTest : public MachineTest, public ::testing::WithParamInterface<WininitCase> {};

INSTANTIATE_TEST_SUITE_P(Contents, WininitTest, ::testing::ValuesIn(WininitCases()),
                         [](const ::testing::TestParamInfo<WininitCase>& info) {
                             std::string name;
                             for (char c : info.param.name) name += isalnum((unsigned char)c) ? c : '_';
                             return name;
                         });

TEST_P(WininitTest, EntryLandsInTheRenameSectionAndEveryOtherByteStays) {
    if (GetParam().exists) SimWriteFile(kWininit, GetParam().before);
    EXPECT_TRUE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
    EXPECT_EQ(GetParam().after, Wininit());
    ExpectNoTemporaryFiles(true);
    ExpectNothingHeld();
}

class BootDeleteTest : public MachineTest {};

TEST_F(BootDeleteTest, SecondEntryFollowsTheFirst) {
    EXPECT_TRUE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
    EXPECT_TRUE(ScheduleDeleteAtBoot(kWininit, "C:\\PROGRA~1\\VANTRE~1\\", "UNINSTAL.EXE"));
    EXPECT_EQ("[rename]\r\n" + kEntry + "NUL=C:\\PROGRA~1\\VANTRE~1\\UNINSTAL.EXE\r\n", Wininit());
    ExpectNoTemporaryFiles(true);
}

// An old file larger than the streams' buffers, so that a failure can
// strike after part of the new one is written.
std::string LargeWininit() {
    std::string text = "[boot]\r\n";
    for (int i = 0; i < 800; ++i) text += "setting" + std::to_string(i) + "=some value of the setting\r\n";
    return text + "[rename]\r\nNUL=C:\\OLD.TXT\r\n";
}

struct FailureCase {
    const char* name;
    const char* op;  // fails at its occurrence-th call (0: every call); 0: none
    int occurrence;
    long long diskSpace;  // -1: no limit; kOneByteShort: the new file's size less one
};

const long long kOneByteShort = -2;

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

const FailureCase kFailures[] = {
    {"no record for the new file's stream", "HeapAlloc", 1, -1},
    {"temporary file cannot be opened", "CreateFileA", 1, -1},
    {"no blocks", "HeapAlloc", 2, -1},
    {"no record for wininit.ini's stream", "HeapAlloc", 3, -1},
    {"wininit.ini cannot be opened", "CreateFileA", 2, -1},
    {"read fails midway", "ReadFile", 2, -1},
    {"first write fails", "WriteFile", 1, -1},
    {"write fails midway", "WriteFile", 2, -1},
    {"disk full midway", nullptr, 0, 10000},
    {"disk full by one byte", nullptr, 0, kOneByteShort},
    {"close fails", "CloseHandle", 0, -1},
    {"old file cannot move aside", "MoveFileA", 1, -1},
    {"new file cannot take its place", "MoveFileA", 2, -1},
};

class WininitFailureTest : public MachineTest, public ::testing::WithParamInterface<FailureCase> {};

INSTANTIATE_TEST_SUITE_P(Failures, WininitFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += isalnum((unsigned char)*c) ? *c : '_';
                             return name;
                         });

TEST_P(WininitFailureTest, OldFileStaysWholeAndNoTemporaryFileIsLeft) {
    const std::string old = LargeWininit();
    ASSERT_GT(old.size(), 20000u);
    SimWriteFile(kWininit, old);
    if (GetParam().op) SimFailCall(GetParam().op, ERROR_ACCESS_DENIED, GetParam().occurrence);
    long long space = GetParam().diskSpace;
    SimSetDiskSpace(space == kOneByteShort ? (long long)(old.size() + kEntry.size()) - 1 : space);
    EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
    EXPECT_TRUE(old == Wininit()) << "wininit.ini changed";
    ExpectNoTemporaryFiles(true);
    ExpectNothingHeld();
}

// A write fails only where a block of the new file is full and goes to the
// disk; each row puts that place in another of the writes of the new text
// (the entry, the line end or header added, the Ctrl-Z and what follows
// it). Wherever it falls, the old file stays whole.
struct BlockFailureCase {
    const char* name;
    std::string before;
    const char* op;
    int occurrence;
};

TEST_F(BootDeleteTest, FailureWhereABlockFillsLeavesTheOldFileWhole) {
    const size_t e = kEntry.size();
    const std::string rename = "[rename]\r\n", tail(2 * kBlock, 'r');
    const BlockFailureCase cases[] = {
        {"entry before the next section", rename + Filler(kBlock - 12) + "[boot]\r\n", "WriteFile", 1},
        {"line end after a last line without one", Filler(kBlock - 6) + ";last", "WriteFile", 1},
        {"section header added", Filler(kBlock - 4), "WriteFile", 1},
        {"line end of the section header", Filler(kBlock - 9), "WriteFile", 1},
        {"entry at the end", rename + Filler(kBlock - 12), "WriteFile", 1},
        {"the ctrl-z", rename + Filler(kBlock - 10 - e) + "\x1a" + "rest", "WriteFile", 1},
        {"what follows the ctrl-z", rename + Filler(kBlock - 11 - e) + "\x1a" + "rest", "WriteFile", 1},
        {"text after the ctrl-z past the first block read", rename + ";a\r\n\x1a" + tail, "WriteFile", 2},
        {"read of the text after the ctrl-z", rename + ";a\r\n\x1a" + tail, "ReadFile", 2},
    };
    for (const BlockFailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimReset(SimulatedDrivesRoot());
        SimWriteFile(kWininit, c.before);
        SimFailCall(c.op, ERROR_ACCESS_DENIED, c.occurrence);
        EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
        EXPECT_TRUE(c.before == Wininit()) << "wininit.ini changed";
        ExpectNoTemporaryFiles(true);
        ExpectNothingHeld();
        // Without the failure the same file takes the entry.
        SimClearFailures();
        EXPECT_TRUE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
        EXPECT_NE(std::string::npos, Wininit().find(kEntry));
    }
}

// What a replacement cut short leaves beside wininit.ini (the new file
// while written, the old one moved aside) is put right before the entry is
// made: the old text is never lost and no file of the replacement stays.
struct LeftoverCase {
    const char* name;
    const char* wininit;  // 0: absent
    const char* newFile;  // wininit.vtn; 0: absent
    const char* aside;    // wininit.vto; 0: absent
    bool asideHeld;       // the aside file cannot be deleted or moved
    bool entered;
    const char* after;  // wininit.ini afterwards, before the entry
};

TEST_F(BootDeleteTest, WhatAReplacementCutShortLeftIsPutRightFirst) {
    const char* old = "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\n";
    const char* newer = "[boot]\r\nshell=x\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\nNUL=C:\\A.TXT\r\n";
    const LeftoverCase cases[] = {
        {"new file half written", old, "[boot]\r\nsh", 0, false, true, old},
        {"old file aside, new one not yet in place", 0, newer, old, false, true, old},
        {"old file aside, new one in place", newer, 0, old, false, true, newer},
        {"old file aside, nothing else", 0, 0, old, false, true, old},
        {"old file aside and held", newer, 0, old, true, false, newer},
    };
    for (const LeftoverCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimReset(SimulatedDrivesRoot());
        if (c.wininit) SimWriteFile(kWininit, c.wininit);
        if (c.newFile) SimWriteFile("C:\\WINDOWS\\WININIT.VTN", c.newFile);
        if (c.aside) SimWriteFile("C:\\WINDOWS\\wininit.vto", c.aside);
        if (c.asideHeld) SimSetInUse("C:\\WINDOWS\\wininit.vto", ERROR_SHARING_VIOLATION);
        EXPECT_EQ(c.entered, ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
        std::string expected = c.after;
        if (c.entered) expected += kEntry;
        EXPECT_EQ(expected, Wininit());
        if (c.asideHeld) {
            EXPECT_EQ((Names{"SYSTEM\\", "wininit.ini", "wininit.vto"}), SimListTree("C:\\WINDOWS"));
        } else {
            ExpectNoTemporaryFiles(true);
        }
        ExpectNothingHeld();
    }
}

// A run that makes no entry still clears away a new file a run cut short
// left half written; wininit.ini stays as it is.
TEST_F(BootDeleteTest, RecoveryAloneClearsAHalfWrittenNewFile) {
    SimWriteFile(kWininit, "[boot]\r\n");
    SimWriteFile("C:\\WINDOWS\\wininit.vtn", "[boot]\r\nsh");
    RecoverWininit(kWininit);
    EXPECT_EQ("[boot]\r\n", Wininit());
    ExpectNoTemporaryFiles(true);
}

TEST_F(BootDeleteTest, AbsentFileStaysAbsentWhenTheNewOneCannotBePutInPlace) {
    SimFailCall("MoveFileA", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
    ExpectNoTemporaryFiles(false);
    ExpectNothingHeld();
}

// What stands where the new file would be written and cannot be cleared
// away (a directory, a read-only file left by someone else): nothing is
// written, and nothing takes wininit.ini's name, nor its place.
TEST_F(BootDeleteTest, WhatCannotBeClearedFromTheNewFilesPlaceIsNoNewFile) {
    const char kNewFile[] = "C:\\WINDOWS\\wininit.vtn";
    for (bool directory : {true, false}) {
        for (bool exists : {false, true}) {
            SCOPED_TRACE(std::string(directory ? "directory" : "read-only file") +
                         (exists ? ", wininit.ini exists" : ", no wininit.ini"));
            SimReset(SimulatedDrivesRoot());
            if (directory) {
                ASSERT_TRUE(SimCreateDirectory(kNewFile));
            } else {
                SimWriteFile(kNewFile, "[stale]\r\n");
                SimSetAttributes(kNewFile, FILE_ATTRIBUTE_READONLY);
            }
            if (exists) SimWriteFile(kWininit, "[boot]\r\n");
            EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
            if (exists)
                EXPECT_EQ("[boot]\r\n", Wininit());
            else
                EXPECT_FALSE(SimExists(kWininit));
            ExpectNothingHeld();
        }
    }
}

TEST_F(BootDeleteTest, ReadOnlyFileIsLeftAsItIs) {
    SimWriteFile(kWininit, "[rename]\r\n");
    SimSetAttributes(kWininit, FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, kSystemDir, kApplet));
    EXPECT_EQ("[rename]\r\n", Wininit());
    ExpectNoTemporaryFiles(true);
}

// Without a directory of its own, or with one too long for the names of the
// replacement's files, wininit.ini is not touched, nor anything beside it.
TEST_F(BootDeleteTest, WininitPathWithoutRoomForTheReplacementIsLeftAlone) {
    const std::string longDirectory = "C:\\" + std::string(245, 'w');
    const std::string paths[] = {"wininit.ini", longDirectory + "\\wininit.ini",
                                 longDirectory + std::string(20, 'w') + "\\wininit.ini"};
    const Names drive = SimListTree("C:\\");
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(ScheduleDeleteAtBoot(path.c_str(), kSystemDir, kApplet));
        RecoverWininit(path.c_str());
        EXPECT_EQ(drive, SimListTree("C:\\"));
        ExpectNothingHeld();
    }
}

// A path cut to fit its buffer could name another file: nothing is written.
TEST_F(BootDeleteTest, PathThatDoesNotFitIsNotEntered) {
    std::string directory = "C:\\" + std::string(250, 'd') + "\\";
    EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, directory.c_str(), kApplet));
    ExpectNoTemporaryFiles(false);
}

// No file name holds a control character. A line end in the entry would
// put what follows it on a line of its own (here a header that moves the
// entry out of [rename]); a Ctrl-Z would end the text read at the start.
TEST_F(BootDeleteTest, PathWithAControlCharacterIsNotEntered) {
    const char* const directories[] = {"C:\\A\r\n[boot]\r\n", "C:\\A\n", "C:\\A\r", "C:\\\x1a",
                                       "C:\\A\tB\\", "C:\\\x01\\"};
    const std::string before = "[rename]\r\nNUL=C:\\OLD.TXT\r\n";
    for (const char* directory : directories) {
        SimWriteFile(kWininit, before);
        EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, directory, kApplet)) << directory;
        EXPECT_FALSE(ScheduleDeleteAtBoot(kWininit, kSystemDir, (std::string(kApplet) + directory).c_str()))
            << directory;
        EXPECT_EQ(before, Wininit()) << directory;
        ExpectNoTemporaryFiles(true);
    }
    // Bytes from 0x7F up are not control characters: they stay.
    EXPECT_TRUE(ScheduleDeleteAtBoot(kWininit, "C:\\\xE9T\xE9\x7F\\", kApplet));
    EXPECT_EQ(before + "NUL=C:\\\xE9T\xE9\x7F\\VANTRELL.CPL\r\n", Wininit());
}

}  // namespace
