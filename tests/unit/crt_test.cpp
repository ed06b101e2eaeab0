// The kit's own C library services over the simulated platform: streams
// (short reads, buffered writes that fail at the close, seek and tell, the
// disk running full, files held open), the access test's modes, the heap,
// the standard output, every platform call failing, and the memory and
// string functions against the host's.
#include "machine.h"

#include "common/crt.h"

#include <string.h>
#include <string>
#include <vector>

namespace {

const char kFile[] = "C:\\DATA\\file.bin";

std::string Content(const char* path) {
    std::string content;
    return SimReadFile(path, &content) ? content : "<absent>";
}

class CrtTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        SimCreateDirectory("C:\\DATA");
    }
    void TearDown() override {
        EXPECT_EQ(0, SimOpenFileHandles());
        EXPECT_EQ(0, SimHeapBlocks());
        MachineTest::TearDown();
    }
};

TEST_F(CrtTest, ShortReadAtTheEndOfTheFileSetsEndNotError) {
    SimWriteFile(kFile, "0123456789");
    KitFile* file = KitOpen(kFile, KIT_OPEN_READ);
    ASSERT_NE(nullptr, file);
    char buffer[16] = {0};
    EXPECT_EQ(2u, KitRead(buffer, 4, 3, file));  // 8 of 10 bytes are whole items
    EXPECT_EQ(0, memcmp(buffer, "0123456789", 10));
    EXPECT_TRUE(KitEof(file));
    EXPECT_FALSE(KitError(file));
    EXPECT_EQ(0u, KitRead(buffer, 1, 4, file));
    EXPECT_TRUE(KitEof(file));
    EXPECT_EQ(0, KitClose(file));
}

TEST_F(CrtTest, ReadOfExactlyTheRestIsNotTheEnd) {
    SimWriteFile(kFile, "abcd");
    KitFile* file = KitOpen(kFile, KIT_OPEN_READ);
    ASSERT_NE(nullptr, file);
    char buffer[4];
    EXPECT_EQ(4u, KitRead(buffer, 1, 4, file));
    EXPECT_FALSE(KitEof(file));
    EXPECT_EQ(0u, KitRead(buffer, 1, 4, file));
    EXPECT_TRUE(KitEof(file));
    EXPECT_EQ(0, KitClose(file));
}

TEST_F(CrtTest, MissingFileIsNotOpenedForReading) {
    EXPECT_EQ(nullptr, KitOpen(kFile, KIT_OPEN_READ));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ(nullptr, KitOpen("C:\\NONE\\file.bin", KIT_OPEN_WRITE));
    EXPECT_EQ((DWORD)ERROR_PATH_NOT_FOUND, GetLastError());
    EXPECT_EQ(nullptr, KitOpen("C:\\DATA", KIT_OPEN_READ));  // a directory
}

TEST_F(CrtTest, WritesAreBufferedUntilTheClose) {
    SimWriteFile(kFile, "an older and longer content");
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ("", Content(kFile));  // emptied at the open
    EXPECT_EQ(3u, KitWrite("abc", 1, 3, file));
    EXPECT_EQ(2u, KitWrite("defghi", 3, 2, file));
    EXPECT_EQ(0, SimCallCount("WriteFile"));
    EXPECT_EQ(0, KitClose(file));
    EXPECT_EQ(1, SimCallCount("WriteFile"));
    EXPECT_EQ("abcdefghi", Content(kFile));
}

TEST_F(CrtTest, FullBufferAndLargeWritesGoToTheFile) {
    std::string small(4000, 'a'), large(10000, 'b');
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(small.size(), KitWrite(small.data(), 1, small.size(), file));
    EXPECT_EQ(0, SimCallCount("WriteFile"));
    // The buffer is written out first, then the large write at once.
    EXPECT_EQ(large.size(), KitWrite(large.data(), 1, large.size(), file));
    EXPECT_EQ(2, SimCallCount("WriteFile"));
    EXPECT_EQ(small + large, Content(kFile));
    EXPECT_EQ(0, KitClose(file));
    EXPECT_EQ(2, SimCallCount("WriteFile"));
}

TEST_F(CrtTest, UnbufferedWritesGoToTheFileAtOnce) {
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, KitSetUnbuffered(file));
    EXPECT_EQ(2u, KitWrite("ab", 1, 2, file));
    EXPECT_EQ(1, SimCallCount("WriteFile"));
    EXPECT_EQ("ab", Content(kFile));
    EXPECT_EQ(0, KitClose(file));
}

// The disk takes what room it has: a buffered write that does not fit
// fails at the close, which says so.
TEST_F(CrtTest, WriteThatFailsAtTheCloseIsReportedByTheClose) {
    SimSetDiskSpace(5);
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(10u, KitWrite("0123456789", 1, 10, file));
    EXPECT_FALSE(KitError(file));
    EXPECT_EQ(-1, KitClose(file));
    EXPECT_EQ("01234", Content(kFile));
}

TEST_F(CrtTest, InjectedWriteFailureAtTheCloseIsReported) {
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(1u, KitWrite("x", 1, 1, file));
    SimFailCall("WriteFile", ERROR_ACCESS_DENIED);
    EXPECT_EQ(-1, KitClose(file));
}

TEST_F(CrtTest, CloseThatFailsIsReportedAndTheFileIsReleased) {
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(1u, KitWrite("x", 1, 1, file));
    SimFailCall("CloseHandle", ERROR_ACCESS_DENIED);
    EXPECT_EQ(-1, KitClose(file));
    EXPECT_EQ("x", Content(kFile));
    EXPECT_TRUE(DeleteFileA(kFile));
}

// A large write that runs out of room reports the whole items written.
TEST_F(CrtTest, ShortWriteIsReported) {
    SimSetDiskSpace(5000);
    std::string bytes(10000, 'z');
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(1250u, KitWrite(bytes.data(), 4, 2500, file));
    EXPECT_TRUE(KitError(file));
    EXPECT_EQ(0, KitClose(file));  // nothing was left to write at the close
    EXPECT_EQ(std::string(5000, 'z'), Content(kFile));
}

TEST_F(CrtTest, ReadOnlyFileIsNotOpenedForWriting) {
    SimWriteFile(kFile, "kept");
    SimSetAttributes(kFile, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(nullptr, KitOpen(kFile, KIT_OPEN_WRITE));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ("kept", Content(kFile));
    KitFile* file = KitOpen(kFile, KIT_OPEN_READ);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, KitClose(file));
}

// Open without delete sharing: the file can be neither deleted nor renamed
// until the stream is closed.
TEST_F(CrtTest, OpenFileCannotBeDeletedOrRenamed) {
    for (KitOpenMode mode : {KIT_OPEN_READ, KIT_OPEN_WRITE}) {
        SimWriteFile(kFile, "held");
        KitFile* file = KitOpen(kFile, mode);
        ASSERT_NE(nullptr, file);
        EXPECT_FALSE(DeleteFileA(kFile));
        EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
        EXPECT_FALSE(MoveFileA(kFile, "C:\\DATA\\other.bin"));
        EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
        EXPECT_EQ(0, KitClose(file));
        EXPECT_TRUE(DeleteFileA(kFile)) << mode;
    }
}

TEST_F(CrtTest, HeldFileIsNotOpenedForWriting) {
    SimWriteFile(kFile, "loaded");
    SimSetInUse(kFile, ERROR_ACCESS_DENIED);
    EXPECT_EQ(nullptr, KitOpen(kFile, KIT_OPEN_WRITE));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, GetLastError());
    EXPECT_EQ("loaded", Content(kFile));
}

TEST_F(CrtTest, SeekAndTell) {
    SimWriteFile(kFile, "0123456789");
    KitFile* file = KitOpen(kFile, KIT_OPEN_READ);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, KitTell(file));
    EXPECT_EQ(0, KitSeek(file, 0, FILE_END));
    EXPECT_EQ(10, KitTell(file));
    char c[4];
    EXPECT_EQ(0u, KitRead(c, 1, 1, file));
    EXPECT_TRUE(KitEof(file));
    EXPECT_EQ(0, KitSeek(file, 3, FILE_BEGIN));
    EXPECT_FALSE(KitEof(file));  // a seek ends the end
    EXPECT_EQ(0, KitSeek(file, 2, FILE_CURRENT));
    EXPECT_EQ(5, KitTell(file));
    EXPECT_EQ(1u, KitRead(c, 1, 1, file));
    EXPECT_EQ('5', c[0]);
    EXPECT_EQ(-1, KitSeek(file, -1, FILE_BEGIN));
    EXPECT_EQ(6, KitTell(file));
    EXPECT_EQ(0, KitClose(file));
}

// What is buffered counts in the position; a seek writes it out first.
TEST_F(CrtTest, TellCountsBufferedBytesAndSeekWritesThem) {
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(6u, KitWrite("abcdef", 1, 6, file));
    EXPECT_EQ(6, KitTell(file));
    EXPECT_EQ(0, KitSeek(file, 1, FILE_BEGIN));
    EXPECT_EQ("abcdef", Content(kFile));
    EXPECT_EQ(2u, KitWrite("XY", 1, 2, file));
    EXPECT_EQ(3, KitTell(file));
    EXPECT_EQ(0, KitClose(file));
    EXPECT_EQ("aXYdef", Content(kFile));
}

TEST_F(CrtTest, SeekThatCannotWriteTheBufferFails) {
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(3u, KitWrite("abc", 1, 3, file));
    SimFailCall("WriteFile", ERROR_DISK_FULL);
    EXPECT_EQ(-1, KitSeek(file, 0, FILE_BEGIN));
    EXPECT_TRUE(KitError(file));
    EXPECT_EQ(0, KitClose(file));  // the bytes are dropped, as msvcrt drops them
    EXPECT_EQ("", Content(kFile));
}

// Requests of nothing are no error and no end; requests of more than 4 GiB,
// which no single platform call can carry, are errors. Neither touches the
// file.
TEST_F(CrtTest, RequestsOfNothingOrOfMoreThanFourGiBMoveNoByte) {
    struct Request {
        size_t size, count;
        bool error;
    };
    const Request requests[] = {{0, 5, false}, {1, 0, false}, {0x10000, 0x10000, true}, {2, 0x80000000u, true}};
    static char bytes[8];
    for (const Request& r : requests) {
        SCOPED_TRACE(std::to_string(r.size) + " x " + std::to_string(r.count));
        SimWriteFile(kFile, "0123456789");
        KitFile* reading = KitOpen(kFile, KIT_OPEN_READ);
        ASSERT_NE(nullptr, reading);
        EXPECT_EQ(0u, KitRead(bytes, r.size, r.count, reading));
        EXPECT_EQ(r.error, KitError(reading) != 0);
        EXPECT_FALSE(KitEof(reading));
        EXPECT_EQ(0, KitTell(reading));
        EXPECT_EQ(0, KitClose(reading));
        KitFile* writing = KitOpen(kFile, KIT_OPEN_WRITE);
        ASSERT_NE(nullptr, writing);
        EXPECT_EQ(0u, KitWrite(bytes, r.size, r.count, writing));
        EXPECT_EQ(r.error, KitError(writing) != 0);
        EXPECT_EQ(0, KitClose(writing));
        EXPECT_EQ("", Content(kFile));
    }
}

// A write that does not fit beside the buffered bytes sends them first;
// what is shorter than the buffer then waits in it.
TEST_F(CrtTest, BufferedBytesGoFirstAndAShortWriteWaitsBehindThem) {
    const std::string a(3000, 'a'), b(3000, 'b');
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(a.size(), KitWrite(a.data(), 1, a.size(), file));
    EXPECT_EQ(b.size(), KitWrite(b.data(), 1, b.size(), file));
    EXPECT_EQ(a, Content(kFile));
    EXPECT_EQ(6000, KitTell(file));
    EXPECT_EQ(0, KitClose(file));
    EXPECT_EQ(a + b, Content(kFile));
}

// Buffered bytes that cannot be written fail the write that needed their
// room, and the switch to unbuffered writes.
TEST_F(CrtTest, BufferedBytesThatCannotBeWrittenFailWhatWaitsForThem) {
    const std::string more(4090, 'm');
    for (int unbuffer = 0; unbuffer < 2; ++unbuffer) {
        SCOPED_TRACE(unbuffer ? "unbuffering" : "a write that does not fit");
        KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
        ASSERT_NE(nullptr, file);
        EXPECT_EQ(10u, KitWrite("0123456789", 1, 10, file));
        SimFailCall("WriteFile", ERROR_DISK_FULL, 1);
        if (unbuffer)
            EXPECT_EQ(-1, KitSetUnbuffered(file));
        else
            EXPECT_EQ(0u, KitWrite(more.data(), 1, more.size(), file));
        EXPECT_TRUE(KitError(file));
        EXPECT_EQ(0, KitClose(file));
        EXPECT_EQ("", Content(kFile));
    }
}

// A position past what a long holds, buffered bytes included, is no
// position.
TEST_F(CrtTest, PositionThatALongCannotHoldIsAFailure) {
    KitFile* file = KitOpen(kFile, KIT_OPEN_WRITE);
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(0, KitSeek(file, 0x7FFFFFFF, FILE_BEGIN));
    EXPECT_EQ(0x7FFFFFFFL, KitTell(file));
    EXPECT_EQ(1u, KitWrite("x", 1, 1, file));
    EXPECT_EQ(-1, KitTell(file));
    // The byte is not written: no file of 2 GiB on the host.
    SimFailCall("WriteFile", ERROR_DISK_FULL);
    EXPECT_EQ(-1, KitClose(file));
}

struct AccessCase {
    const char* name;
    const char* arrangement;  // "absent", "file", "read-only", "directory"
    int exists;               // KitAccess mode 0
    int readWrite;            // KitAccess mode 6
};

void PrintTo(const AccessCase& c, std::ostream* out) { *out << c.name; }

const AccessCase kAccessCases[] = {
    {"absent", "absent", -1, -1},
    {"plain file", "file", 0, 0},
    {"read-only file", "read-only", 0, -1},
    {"hidden system file", "hidden", 0, 0},
    {"directory", "directory", 0, 0},
};

class CrtAccessTest : public CrtTest, public ::testing::WithParamInterface<AccessCase> {};

INSTANTIATE_TEST_SUITE_P(Cases, CrtAccessTest, ::testing::ValuesIn(kAccessCases),
                         [](const ::testing::TestParamInfo<AccessCase>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c) name += isalnum((unsigned char)*c) ? *c : '_';
                             return name;
                         });

TEST_P(CrtAccessTest, ModesZeroAndSix) {
    const AccessCase& c = GetParam();
    std::string a = c.arrangement;
    const char* path = a == "directory" ? "C:\\DATA\\SUB" : kFile;
    if (a == "directory") SimCreateDirectory(path);
    if (a == "file" || a == "read-only" || a == "hidden") SimWriteFile(path, "x");
    if (a == "read-only") SimSetAttributes(path, FILE_ATTRIBUTE_READONLY);
    if (a == "hidden") SimSetAttributes(path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(c.exists, KitAccess(path, KIT_ACCESS_EXISTS));
    EXPECT_EQ(c.readWrite, KitAccess(path, KIT_ACCESS_READ_WRITE));
    SimFailCall("GetFileAttributesA", ERROR_ACCESS_DENIED, 0);
    EXPECT_EQ(-1, KitAccess(path, KIT_ACCESS_EXISTS));
    EXPECT_EQ(-1, KitAccess(path, KIT_ACCESS_READ_WRITE));
}

TEST_F(CrtTest, HeapBlocksAreCountedAndReleased) {
    void* a = KitAlloc(100);
    void* b = KitAlloc(0);  // a block all the same
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    EXPECT_NE(a, b);
    memset(a, 1, 100);
    EXPECT_EQ(2, SimHeapBlocks());
    KitFree(a);
    KitFree(b);
    KitFree(nullptr);
    EXPECT_EQ(2, SimCallCount("HeapFree"));
    SimFailCall("HeapAlloc", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(nullptr, KitAlloc(10));
}

TEST_F(CrtTest, StandardOutput) {
    EXPECT_EQ(0, KitWriteStandardOutput("line one\n"));
    EXPECT_EQ(0, KitWriteStandardOutput(""));
    EXPECT_EQ("line one\n", SimStandardOutput());
    SimFailCall("GetStdHandle", ERROR_INVALID_HANDLE);
    EXPECT_EQ(-1, KitWriteStandardOutput("lost\n"));
    SimFailCall("WriteFile", ERROR_ACCESS_DENIED);
    EXPECT_EQ(-1, KitWriteStandardOutput("lost too\n"));
    EXPECT_EQ("line one\n", SimStandardOutput());
    // A windowed program started without one has none; a pipe may take
    // less than all.
    SimSetStandardOutput(SimOutputNone);
    EXPECT_EQ(-1, KitWriteStandardOutput("nowhere\n"));
    SimSetStandardOutput(SimOutputShort);
    EXPECT_EQ(-1, KitWriteStandardOutput("cut\n"));
    EXPECT_EQ("line one\ncut", SimStandardOutput());
}

// A file written, its length asked, read back and tested, with each
// platform call that this makes failing in turn: the failure is reported
// where it happens, and nothing stays held. Returns what held.
std::string RoundTrip() {
    std::string bytes(5000, 'q');
    KitFile* out = KitOpen(kFile, KIT_OPEN_WRITE);
    if (!out) return "open for writing";
    size_t written = KitWrite(bytes.data(), 1, bytes.size(), out);
    if (KitClose(out) != 0 || written != bytes.size()) return "write";
    if (KitAccess(kFile, KIT_ACCESS_READ_WRITE) != 0) return "access";
    KitFile* in = KitOpen(kFile, KIT_OPEN_READ);
    if (!in) return "open for reading";
    std::string back(bytes.size(), '\0');
    bool ok = KitSeek(in, 0, FILE_END) == 0 && KitTell(in) == (long)bytes.size() && KitSeek(in, 0, FILE_BEGIN) == 0 &&
              KitRead(&back[0], 1, back.size(), in) == back.size() && back == bytes;
    KitClose(in);
    if (!ok) return "read";
    if (KitWriteStandardOutput("done\n") != 0) return "output";
    return "";
}

TEST_F(CrtTest, EachPlatformCallFailing) {
    SimLogCalls(true);
    ASSERT_EQ("", RoundTrip());
    const std::vector<SimCall> log = SimCallLog();
    SimLogCalls(false);
    std::map<std::string, int> occurrences;
    int injected = 0;
    for (const SimCall& call : log) {
        int occurrence = ++occurrences[call.op];
        if (call.op == "GetProcessHeap" || call.op == "HeapFree") continue;  // cannot fail
        SimReset(SimulatedDrivesRoot());
        SimCreateDirectory("C:\\DATA");
        SimFailCall(call.op.c_str(), ERROR_ACCESS_DENIED, occurrence);
        std::string failed = RoundTrip();
        // Closing the reading stream decides nothing: it has read whole.
        bool closeOfReader = call.op == "CloseHandle" && occurrence == 2;
        if (closeOfReader)
            EXPECT_EQ("", failed);
        else
            EXPECT_NE("", failed) << call.op << " #" << occurrence << " failing went unnoticed";
        EXPECT_EQ(0, SimOpenFileHandles()) << call.op << " #" << occurrence;
        EXPECT_EQ(0, SimHeapBlocks()) << call.op << " #" << occurrence;
        ++injected;
    }
    for (const char* op : {"HeapAlloc", "CreateFileA", "WriteFile", "CloseHandle", "GetFileAttributesA",
                           "SetFilePointer", "ReadFile", "GetStdHandle"})
        EXPECT_GT(occurrences[op], 0) << op << " was not made";
    EXPECT_GE(injected, 14);
}

// ---- Memory and string functions, against the host's ----

int Sign(int value) { return (value > 0) - (value < 0); }

TEST(CrtStringTest, MemoryFunctionsMatchTheHost) {
    const char* const samples[] = {"", "a", "abc", "abd", "ab\x80", "ab\x7f", "hello, world"};
    for (const char* a : samples) {
        for (const char* b : samples) {
            size_t length = strlen(a) < strlen(b) ? strlen(a) : strlen(b);
            EXPECT_EQ(Sign(memcmp(a, b, length + 1)), Sign(KitC_memcmp(a, b, length + 1))) << a << " / " << b;
        }
        EXPECT_EQ(strlen(a), KitC_strlen(a));
    }
    char buffer[32];
    EXPECT_EQ(buffer, KitC_memset(buffer, 0xAB, sizeof buffer));
    for (char c : buffer) EXPECT_EQ((char)0xAB, c);
    EXPECT_EQ(buffer, KitC_memcpy(buffer, "0123456789", 11));
    EXPECT_STREQ("0123456789", buffer);
    EXPECT_EQ(0, KitC_memcmp("x", "y", 0));
}

TEST(CrtStringTest, MemmoveOverlappingEitherWay) {
    for (int shift : {-3, -1, 0, 1, 3}) {
        char ours[16], host[16];
        for (int i = 0; i < 16; ++i) ours[i] = host[i] = (char)('a' + i);
        int from = 5, to = 5 + shift;
        memmove(host + to, host + from, 8);
        EXPECT_EQ(ours + to, KitC_memmove(ours + to, ours + from, 8));
        EXPECT_EQ(0, memcmp(ours, host, 16)) << "shift " << shift;
    }
}

TEST(CrtStringTest, SearchesMatchTheHost) {
    const char text[] = "C:\\a\\b.c";
    for (int c : {(int)'\\', (int)'C', (int)'c', (int)'.', (int)'z', 0}) {
        EXPECT_EQ(strchr(text, c), KitC_strchr(text, c)) << (char)c;
        EXPECT_EQ(strrchr(text, c), KitC_strrchr(text, c)) << (char)c;
    }
    EXPECT_EQ(nullptr, KitC_strrchr("", '\\'));
    const char high[] = "a\xe9" "b\xe9";
    EXPECT_EQ(high + 3, KitC_strrchr(high, 0xe9));  // as an int from an unsigned char
}

}  // namespace
