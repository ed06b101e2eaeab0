// The chunked copy over the kit's streams and the simulated platform: sizes around the chunk
// length, a large file byte for byte, and failures that leave no partial
// destination behind. And the comparison that tells the product's library
// from the backup, block by block.
#include "machine.h"

#include "uninstaller/uninstall.h"

#include <stdint.h>
#include <string>

namespace {

const char kSource[] = "C:\\DATA\\source.bin";
const char kDestination[] = "C:\\DATA\\copy.bin";

// Bytes that differ with their position, so that a chunk out of place or
// a byte lost shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    uint32_t state = 2463534242u;
    for (size_t i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = (char)state;
    }
    return bytes;
}

std::string Content(const char* path) {
    std::string content;
    EXPECT_TRUE(SimReadFile(path, &content)) << path;
    return content;
}

void ExpectNothingHeld() {
    EXPECT_EQ(0, SimOpenFileHandles());
    EXPECT_EQ(0, SimHeapBlocks());
}

struct SizeCase {
    size_t size;
    int chunks;  // reads of at most 32767 bytes
};

void PrintTo(const SizeCase& c, std::ostream* out) { *out << c.size << " bytes"; }

class CopySizeTest : public MachineTest, public ::testing::WithParamInterface<SizeCase> {};

INSTANTIATE_TEST_SUITE_P(Sizes, CopySizeTest,
                         ::testing::Values(SizeCase{0, 0}, SizeCase{1, 1}, SizeCase{32766, 1}, SizeCase{32767, 1},
                                           SizeCase{32768, 2}, SizeCase{65534, 2}, SizeCase{65535, 3},
                                           SizeCase{3 * 1024 * 1024, 97}),
                         [](const ::testing::TestParamInfo<SizeCase>& info) {
                             return "bytes_" + std::to_string(info.param.size);
                         });

TEST_P(CopySizeTest, CopiesEveryByteInChunksOfTheBufferLength) {
    std::string source = Pattern(GetParam().size);
    SimWriteFile(kSource, source);
    SimWriteFile(kDestination, "an older and different destination");
    EXPECT_EQ(1, CopyFileChunked(kSource, kDestination));
    std::string copy = Content(kDestination);
    EXPECT_EQ(source.size(), copy.size());
    EXPECT_TRUE(source == copy) << "the copy differs from its source";
    EXPECT_EQ(GetParam().chunks, SimCallCount("ReadFile"));
    EXPECT_TRUE(source == Content(kSource));
    ExpectNothingHeld();
}

struct FailureCase {
    const char* name;
    const char* op;  // fails at its occurrence-th call; 0: none
    int occurrence;
    long long diskSpace;  // -1: no limit
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

// 100000 bytes: four chunks, several of the stream's buffers.
const FailureCase kFailures[] = {
    {"no record for the source stream", "HeapAlloc", 1, -1},
    {"source cannot be opened", "CreateFileA", 1, -1},
    {"no record for the destination stream", "HeapAlloc", 2, -1},
    {"destination cannot be opened", "CreateFileA", 2, -1},
    {"no copy buffer", "HeapAlloc", 3, -1},
    {"source end cannot be sought", "SetFilePointer", 1, -1},
    {"source size unknown", "SetFilePointer", 2, -1},
    {"source start cannot be sought", "SetFilePointer", 3, -1},
    {"first read fails", "ReadFile", 1, -1},
    {"read fails midway", "ReadFile", 3, -1},
    {"first write fails", "WriteFile", 1, -1},
    {"write fails midway", "WriteFile", 3, -1},
    {"disk full midway", nullptr, 0, 50000},
    {"disk full at the last write", nullptr, 0, 99999},
    {"close fails", "CloseHandle", 2, -1},
};

class CopyFailureTest : public MachineTest, public ::testing::WithParamInterface<FailureCase> {};

INSTANTIATE_TEST_SUITE_P(Failures, CopyFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == ' ') c = '_';
                             return name;
                         });

TEST_P(CopyFailureTest, FailsAndLeavesNoPartialDestination) {
    std::string source = Pattern(100000);
    SimWriteFile(kSource, source);
    if (GetParam().op) SimFailCall(GetParam().op, ERROR_ACCESS_DENIED, GetParam().occurrence);
    SimSetDiskSpace(GetParam().diskSpace);
    EXPECT_EQ(0, CopyFileChunked(kSource, kDestination));
    EXPECT_FALSE(SimExists(kDestination));
    EXPECT_TRUE(source == Content(kSource));
    ExpectNothingHeld();
}

class CopyTest : public MachineTest {};

// A destination that the copy could not open was never truncated: it stays.
TEST_F(CopyTest, DestinationThatCannotBeOpenedIsKept) {
    for (DWORD attributes : {(DWORD)FILE_ATTRIBUTE_READONLY, (DWORD)0}) {
        SimReset(SimulatedDrivesRoot());
        SimWriteFile(kSource, "new");
        SimWriteFile(kDestination, "old");
        if (attributes)
            SimSetAttributes(kDestination, attributes);
        else
            SimSetInUse(kDestination, ERROR_SHARING_VIOLATION);
        EXPECT_EQ(0, CopyFileChunked(kSource, kDestination));
        EXPECT_EQ("old", Content(kDestination));
        ExpectNothingHeld();
    }
}

TEST_F(CopyTest, MissingSourceCreatesNoDestination) {
    SimCreateDirectory("C:\\DATA");
    EXPECT_EQ(0, CopyFileChunked(kSource, kDestination));
    EXPECT_FALSE(SimExists(kDestination));
    ExpectNothingHeld();
}

// The comparison reads both files in blocks of 16 KiB; a library of
// hundreds of KiB may differ from the backup only far into the file, and a
// read that fails leaves the files' sameness unknown: not the same.
struct CompareCase {
    const char* name;
    std::string first, second;
    int failingRead;  // the ReadFile that fails, counted from 1; 0: none
    int identical;
};

TEST_F(CopyTest, FilesAreIdenticalOnlyWhenEveryByteIsRead) {
    const size_t block = 16384;
    const std::string library = Pattern(300 * 1024);
    std::string lateDifference = library, secondBlock = library, oneBlock = Pattern(block);
    lateDifference[library.size() - 1] ^= 1;
    secondBlock[block + 7] ^= 0x40;
    const CompareCase cases[] = {
        {"the same library", library, library, 0, 1},
        {"a library that differs in its last byte", library, lateDifference, 0, 0},
        {"a library that differs in its second block", library, secondBlock, 0, 0},
        {"exactly one block each", oneBlock, oneBlock, 0, 1},
        {"one block and a byte more", oneBlock, oneBlock + "x", 0, 0},
        {"a byte more than one block, the other way", oneBlock + "x", oneBlock, 0, 0},
        {"empty files", "", "", 0, 1},
        {"empty files, the first read fails", "", "", 1, 0},
        {"empty files, the second read fails", "", "", 2, 0},
        {"the same library, a read of its second block fails", library, library, 3, 0},
    };
    for (const CompareCase& c : cases) {
        SCOPED_TRACE(c.name);
        SimReset(SimulatedDrivesRoot());
        SimWriteFile(kSource, c.first);
        SimWriteFile(kDestination, c.second);
        if (c.failingRead) SimFailCall("ReadFile", ERROR_ACCESS_DENIED, c.failingRead);
        EXPECT_EQ(c.identical, FilesAreIdentical(kSource, kDestination));
        ExpectNothingHeld();
    }
}

}  // namespace
