// The simulation's log of platform calls, on which fault injection finds
// the role of each call: every counted call in order, with what it acted
// on, in step with the counts, and empty again after a reset.
#include "machine.h"

#include <string>
#include <vector>

namespace {

class CallLogTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        SimLogCalls(true);
    }
    void TearDown() override {
        SimLogCalls(false);
        MachineTest::TearDown();
    }
};

TEST_F(CallLogTest, NamesEachCallWithWhatItActedOn) {
    SimWriteFile("C:\\DATA\\a.txt", "a");
    SimFailCall("DeleteFileA", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(DeleteFileA("C:\\DATA\\a.txt"));  // a failed call is logged too
    HANDLE file = CreateFileA("C:\\DATA\\a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    char byte;
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, &byte, 1, &read, nullptr));
    EXPECT_EQ(1u, read);
    EXPECT_TRUE(CloseHandle(file));
    MessageBoxA(nullptr, "text", "Title", MB_OK);
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Nothing", &key));
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\DATA\\*.*", &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    while (FindNextFileA(search, &found)) {
    }
    FindClose(search);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"DeleteFileA", "C:\\DATA\\a.txt"},   {"CreateFileA", "C:\\DATA\\a.txt"},
        {"ReadFile", "C:\\DATA\\A.TXT"},      {"CloseHandle", "C:\\DATA\\A.TXT"},
        {"MessageBoxA", "Title"},             {"RegOpenKeyA", "Software\\Nothing"},
        {"FindFirstFileA", "C:\\DATA\\*.*"},  {"FindNextFileA", "C:\\DATA\\*.*"},
        {"FindNextFileA", "C:\\DATA\\*.*"},   {"FindNextFileA", "C:\\DATA\\*.*"},
        {"FindClose", "C:\\DATA\\*.*"},
    };
    std::vector<std::pair<std::string, std::string>> logged;
    for (const SimCall& call : SimCallLog()) logged.emplace_back(call.op, call.subject);
    EXPECT_EQ(expected, logged);
    for (const std::string& op : SimCalledOperations()) {
        int count = 0;
        for (const SimCall& call : SimCallLog()) count += call.op == op;
        EXPECT_EQ(SimCallCount(op.c_str()), count) << op;
    }

    SimReset(SimulatedDrivesRoot());
    EXPECT_TRUE(SimCallLog().empty());
}

TEST_F(CallLogTest, LogsNothingWhileOff) {
    SimLogCalls(false);
    MessageBoxA(nullptr, "text", "Title", MB_OK);
    EXPECT_TRUE(SimCallLog().empty());
    EXPECT_EQ(1, SimCallCount("MessageBoxA"));
}

}  // namespace
