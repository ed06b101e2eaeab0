// Path helpers, bounded composition and the launch of a command line.
#include "common/launch.h"
#include "common/paths.h"
#include "common/text.h"
#include "machine.h"

#include <string.h>
#include <memory>
#include <string>

namespace {

// A buffer with guard bytes on both sides, to catch a write past either end.
struct GuardedBuffer {
    static const size_t kGuard = 16;
    explicit GuardedBuffer(size_t size) : size(size), bytes(size + 2 * kGuard, '#') {}
    char* data() { return &bytes[kGuard]; }
    bool GuardsIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (bytes[i] != '#' || bytes[kGuard + size + i] != '#') return false;
        return true;
    }
    size_t size;
    std::string bytes;
};

struct BackslashCase {
    std::string input;
    size_t size;
    std::string expected;
    int result;
};

TEST(ApplyTrailingBackslashTest, Cases) {
    const std::string long258(258, 'a'), long259(259, 'a');
    const BackslashCase cases[] = {
        {"C:\\WINDOWS", 260, "C:\\WINDOWS\\", 1},
        {"C:\\WINDOWS\\", 260, "C:\\WINDOWS\\", 1},
        {"", 260, "", 0},  // an empty directory must not become the root
        {long258, 260, long258 + "\\", 1},  // the last byte is the terminator
        {long259, 260, long259, 0},  // no room: unchanged
        {"C:", 3, "C:", 0},
        {"C:", 4, "C:\\", 1},
    };
    for (const BackslashCase& c : cases) {
        GuardedBuffer buffer(c.size);
        memcpy(buffer.data(), c.input.c_str(), c.input.size() + 1);
        EXPECT_EQ(c.result, ApplyTrailingBackslash(buffer.data(), c.size)) << c.input;
        EXPECT_EQ(c.expected, buffer.data()) << c.input;
        EXPECT_TRUE(buffer.GuardsIntact()) << c.input;
    }
}

TEST(ApplyTrailingBackslashTest, UnterminatedBufferIsLeftAlone) {
    GuardedBuffer buffer(8);
    memset(buffer.data(), 'x', 8);
    EXPECT_EQ(0, ApplyTrailingBackslash(buffer.data(), 8));
    EXPECT_TRUE(buffer.GuardsIntact());
}

struct DirectoryCase {
    std::string path;
    size_t size;
    std::string expected;
    int result;
};

TEST(DirectoryOfPathTest, Cases) {
    const DirectoryCase cases[] = {
        {"C:\\PROGRA~1\\VANT\\UNINSTAL.EXE", 260, "C:\\PROGRA~1\\VANT\\", 1},
        {"UNINSTAL.EXE", 260, "", 1},
        {"C:\\UNINSTAL.EXE", 260, "C:\\", 1},
        {"C:\\DIR\\", 260, "C:\\DIR\\", 1},
        {"C:\\PROGRA~1\\VANT\\UNINSTAL.EXE", 17, "", 0},  // 16 characters do not fit with the terminator
        {"C:\\PROGRA~1\\VANT\\UNINSTAL.EXE", 18, "C:\\PROGRA~1\\VANT\\", 1},
    };
    for (const DirectoryCase& c : cases) {
        GuardedBuffer out(c.size);
        EXPECT_EQ(c.result, DirectoryOfPath(c.path.c_str(), out.data(), c.size)) << c.path;
        EXPECT_EQ(c.expected, out.data()) << c.path;
        EXPECT_TRUE(out.GuardsIntact()) << c.path;
    }
}

// A name joined to no directory would be a relative path, one cut to fit
// another file: neither is made, and the buffer holds nothing.
TEST(JoinPathTest, OnlyAWholePathUnderADirectory) {
    const std::string dir248 = "C:\\" + std::string(244, 'j') + "\\";
    const struct {
        std::string directory, name, expected;
        int result;
    } cases[] = {
        {"C:\\VANT\\", "opengl32.dll", "C:\\VANT\\opengl32.dll", 1},
        {"", "opengl32.dll", "", 0},
        {dir248, "vtl_d3d.dll", dir248 + "vtl_d3d.dll", 1},  // 259 characters
        {dir248, "opengl32.dll", "", 0},
    };
    for (const auto& c : cases) {
        GuardedBuffer out(MAX_PATH);  // JoinPath's buffers are MAX_PATH bytes
        EXPECT_EQ(c.result, JoinPath(out.data(), c.directory.c_str(), c.name.c_str())) << c.directory << c.name;
        EXPECT_EQ(c.expected, out.data());
        EXPECT_TRUE(out.GuardsIntact());
    }
}

TEST(TextTest, CompositionIsBoundedAndSaysWhetherItFitted) {
    GuardedBuffer out(8);
    EXPECT_EQ(1, ComposeText(out.data(), 8, "ab", "cd", "efg"));
    EXPECT_STREQ("abcdefg", out.data());
    EXPECT_EQ(0, ComposeText(out.data(), 8, "abcd", "efgh", nullptr));
    EXPECT_STREQ("abcdefg", out.data());
    EXPECT_EQ(0, ComposeText(out.data(), 8, "abcd", "efgh", ""));  // an empty third part mends nothing
    EXPECT_STREQ("abcdefg", out.data());
    EXPECT_EQ(0, AppendText(out.data(), 8, "x"));
    EXPECT_STREQ("abcdefg", out.data());
    EXPECT_EQ(0, CopyText(out.data(), 8, "0123456789"));
    EXPECT_STREQ("0123456", out.data());
    EXPECT_EQ(1, CopyText(out.data(), 8, ""));
    EXPECT_STREQ("", out.data());
    EXPECT_TRUE(out.GuardsIntact());
    EXPECT_EQ(0, CopyText(out.data(), 0, "a"));
    EXPECT_TRUE(out.GuardsIntact());
}

// An unterminated buffer is cut at its last byte and nothing is added. The
// buffer is exactly as large as its size, so that the sanitizer sees any
// read past it.
TEST(TextTest, AppendToAnUnterminatedBufferReadsNothingPastIt) {
    for (size_t size : {1, 2, 8}) {
        std::unique_ptr<char[]> out(new char[size]);
        memset(out.get(), 'x', size);
        EXPECT_EQ(0, AppendText(out.get(), size, "y")) << size;
        EXPECT_EQ(std::string(size - 1, 'x'), out.get()) << size;
    }
}

TEST(TextTest, EqualsIgnoringCase) {
    EXPECT_TRUE(EqualsIgnoringCase("-norename", "-NoReName"));
    EXPECT_TRUE(EqualsIgnoringCase("", ""));
    EXPECT_FALSE(EqualsIgnoringCase("-norename ", "-norename"));
    EXPECT_FALSE(EqualsIgnoringCase("-norename", "-norenam"));
    EXPECT_FALSE(EqualsIgnoringCase("-norename", "-norenamf"));
}

// A drive letter is a letter: the characters just beside A-Z and a-z are
// none, and a path on them would be searched for.
TEST(IsFullPathTest, DriveLettersAtTheirBoundsAndNetworkPaths) {
    const struct {
        const char* path;
        int full;
    } cases[] = {
        {"A:\\x", 1}, {"Z:\\x", 1}, {"a:\\x", 1}, {"z:\\x", 1},   {"@:\\x", 0},       {"[:\\x", 0},
        {"`:\\x", 0}, {"{:\\x", 0}, {"1:\\x", 0}, {"C:x", 0},     {"C\\x", 0},        {"\\\\s\\x", 1},
        {"\\\\", 0},  {"\\\\\\s", 0}, {"\\s", 0},  {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(c.full, IsFullPath(c.path)) << c.path;
}

class ShortFormTest : public MachineTest {};

// A directory's short form ends with a backslash whether the long form
// did or not; without one (unknown, or too long) the long form stands in
// and the answer says so.
TEST_F(ShortFormTest, ShortFormWithItsBackslashOrTheLongFormInstead) {
    SimCreateDirectory("C:\\Program Files\\Vantrell");
    SimAddShortName("C:\\Program Files\\Vantrell\\", "C:\\PROGRA~1\\VANTRE~1\\");
    const struct {
        const char* directory;
        const char* expected;
        int result;
    } cases[] = {
        {"C:\\Program Files\\Vantrell\\", "C:\\PROGRA~1\\VANTRE~1\\", 1},
        {"C:\\Program Files\\Vantrell", "C:\\PROGRA~1\\VANTRE~1\\", 1},
        {"C:\\Nowhere\\", "C:\\Nowhere\\", 0},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        GuardedBuffer out(MAX_PATH);
        EXPECT_EQ(c.result, ShortFormOfDirectory(c.directory, out.data())) << c.directory;
        EXPECT_EQ(std::string(c.expected), out.data()) << c.directory;
        EXPECT_TRUE(out.GuardsIntact());
    }
}

class LaunchCommandTest : public MachineTest {};

std::string SimUpperForTest(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    // The platform takes a doubled backslash as one.
    std::string single;
    for (char c : text)
        if (!(c == '\\' && !single.empty() && single.back() == '\\' && single.size() > 1)) single += c;
    return single;
}

struct LaunchCase {
    std::string directory, program, arguments;
    std::string expected;  // empty: not started
};

// Each program is placed on the machine, and so is a planted C:\Program.exe
// (and C:\Quillon.exe): a command line that named them would start them.
TEST_F(LaunchCommandTest, ComposesDirectoryProgramBlankArgumentsQuotingAProgramWithBlanks) {
    const std::string dir255 = "C:\\" + std::string(242, 'd');  // with "PROG.EXE" and " x": 255 characters
    const std::string dir253 = "C:\\" + std::string(239, 'd');  // with a blank, quoted: 255 characters
    const LaunchCase cases[] = {
        {"C:\\VANT\\", "CONFIG.EXE", "-x", "C:\\VANT\\CONFIG.EXE -x"},
        {"C:\\VANT\\", "CONFIG.EXE", "", "C:\\VANT\\CONFIG.EXE "},
        {"C:\\VANT\\", "\\uninstal.000", "/S C:\\V\\\\install.log", "C:\\VANT\\\\uninstal.000 /S C:\\V\\\\install.log"},
        {"C:\\Program Files\\Vantrell\\", "\\uninstal.000", "/S C:\\PROGRA~1\\VANTRE~1\\\\install.log",
         "\"C:\\Program Files\\Vantrell\\\\uninstal.000\" /S C:\\PROGRA~1\\VANTRE~1\\\\install.log"},
        {"C:\\Quillon\\VantrellDriver\\", "\\uninstal.000", "/S C:\\QUILLON\\VANTRE~1\\\\install.log",
         "C:\\Quillon\\VantrellDriver\\\\uninstal.000 /S C:\\QUILLON\\VANTRE~1\\\\install.log"},
        {"C:\\Program Files\\VANT\\", "VCONFIG.EXE", "-cpl", "\"C:\\Program Files\\VANT\\VCONFIG.EXE\" -cpl"},
        {"C:\\Program Files\\VANT\\", "VCONFIG.EXE", "", "\"C:\\Program Files\\VANT\\VCONFIG.EXE\" "},
        {"C:\\Tab\tDir\\", "VCONFIG.EXE", "-cpl", "\"C:\\Tab\tDir\\VCONFIG.EXE\" -cpl"},
        {"C:\\VANT\\", "V CONFIG.EXE", "-cpl", "\"C:\\VANT\\V CONFIG.EXE\" -cpl"},
        {"\\\\server\\share\\", "VCONFIG.EXE", "-cpl", "\\\\server\\share\\VCONFIG.EXE -cpl"},
        {dir255, "PROG.EXE", "x", dir255 + "PROG.EXE x"},
        {dir255 + "d", "PROG.EXE", "x", ""},  // 256 characters: not started
        {dir253 + " ", "PROG.EXE", "x", "\"" + dir253 + " PROG.EXE\" x"},
        {dir253 + " d", "PROG.EXE", "x", ""},  // the quotes make it 256
        {dir255 + "ddd", "PROG.EXE", "", ""},  // 255 characters: no room for the blank
        {dir253 + " ddd", "PROG.EXE", "", ""},  // quoted, 255: no room for the closing quote
        {dir253 + " dddd", "PROG.EXE", "", ""},  // 255, and 256 quoted
        {"C:\\VANT\\", "CONFIG.EXE", std::string(300, 'a'), ""},
        // Not a full path: the platform would search for the program.
        {"", "VCONFIG.EXE", "-cpl", ""},
        {"VANT\\", "VCONFIG.EXE", "-cpl", ""},
        {"\\VANT\\", "VCONFIG.EXE", "-cpl", ""},
        {"\\\\\\server\\", "VCONFIG.EXE", "-cpl", ""},
        {"C:VANT\\", "VCONFIG.EXE", "-cpl", ""},
        // A double quote cannot be quoted.
        {"C:\\VA\"NT\\", "VCONFIG.EXE", "-cpl", ""},
        {"C:\\VANT\\", "V\" C:\\Program.exe \"", "", ""},
        // '?' is how the platform spells a character of a setting that the
        // ANSI code page lacks: no file of the product has that name.
        {"C:\\????\\", "VCONFIG.EXE", "-cpl", ""},
        {"C:\\VANT\\", "VC?NFIG.EXE", "-cpl", ""},
    };
    for (const LaunchCase& c : cases) {
        SCOPED_TRACE(c.directory + c.program);
        SimReset(SimulatedDrivesRoot());
        SimWriteFile("C:\\Program.exe", "planted");
        SimWriteFile("C:\\Quillon.exe", "planted");
        std::string program = c.directory + c.program;
        if (IsFullPath(program.c_str()) && program.find('"') == std::string::npos)
            SimWriteFile(program.c_str(), "program");
        int started = LaunchCommand(c.directory.c_str(), c.program.c_str(), c.arguments.c_str());
        if (c.expected.empty()) {
            EXPECT_EQ(0, started);
            EXPECT_TRUE(SimLaunches().empty());
        } else {
            EXPECT_EQ(1, started);
            ASSERT_EQ(1u, SimLaunches().size());
            EXPECT_EQ(c.expected, SimLaunches()[0].commandLine);
            EXPECT_EQ((UINT)SW_SHOW, SimLaunches()[0].show);
            std::string wanted = SimUpperForTest(program);
            EXPECT_EQ(wanted, SimUpperForTest(SimLaunches()[0].program)) << "the platform starts another program";
        }
    }
}

// What the simulated platform starts for an unquoted line with blanks: the
// planted program. The kit's lines never leave it the choice.
TEST_F(LaunchCommandTest, UnquotedProgramPathWithBlanksWouldStartAPlantedProgram) {
    SimWriteFile("C:\\Program.exe", "planted");
    SimWriteFile("C:\\Program Files\\Vantrell\\uninstal.000", "program");
    EXPECT_EQ(33u, WinExec("C:\\Program Files\\Vantrell\\\\uninstal.000 /S x", SW_SHOW));
    EXPECT_EQ("C:\\Program.exe", SimLaunches()[0].program);
    EXPECT_EQ(33u, WinExec("\"C:\\Program Files\\Vantrell\\\\uninstal.000\" /S x", SW_SHOW));
    EXPECT_EQ("C:\\Program Files\\Vantrell\\\\uninstal.000", SimLaunches()[1].program);
}

TEST_F(LaunchCommandTest, StartFailureIsReportedToTheCaller) {
    SimFailCall("WinExec", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(0, LaunchCommand("C:\\VANT\\", "CONFIG.EXE", "-x"));
    EXPECT_EQ(1, SimCallCount("WinExec"));
}

}  // namespace
