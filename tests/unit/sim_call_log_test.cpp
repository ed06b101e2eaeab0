// The simulation's log of platform calls, on which fault injection finds
// the role of each call: every counted call in order, with what it acted
// on, in step with the counts, and empty again after a reset. And what a
// failing call leaves in its outputs, which the fault campaigns rely on.
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

// A failing call hands back no string and no lucky terminator: code that
// reads an output after a failure reads bytes it must not trust.
TEST_F(CallLogTest, FailingCallsLeaveNoStringInTheirOutputs) {
    SimWriteFile("C:\\DATA\\a.txt", "a");
    SimRegSetString(HKEY_LOCAL_MACHINE, "Software\\Test", "Name", "value");
    const struct {
        const char* op;
        DWORD (*call)(char* buffer, DWORD size);
    } calls[] = {
        {"GetWindowsDirectoryA", [](char* b, DWORD n) { return (DWORD)GetWindowsDirectoryA(b, n); }},
        {"GetSystemDirectoryA", [](char* b, DWORD n) { return (DWORD)GetSystemDirectoryA(b, n); }},
        {"GetModuleFileNameA", [](char* b, DWORD n) { return GetModuleFileNameA(nullptr, b, n); }},
        {"GetShortPathNameA", [](char* b, DWORD n) { return GetShortPathNameA("C:\\DATA\\a.txt", b, n); }},
        {"LoadStringA", [](char* b, DWORD n) { return (DWORD)LoadStringA(nullptr, 1, b, (int)n); }},
        {"RegQueryValueExA",
         [](char* b, DWORD n) {
             HKEY key;
             if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Test", &key) != ERROR_SUCCESS) return (DWORD)1;
             LSTATUS status = RegQueryValueExA(key, "Name", nullptr, nullptr, (LPBYTE)b, &n);
             RegCloseKey(key);
             return status == ERROR_SUCCESS ? (DWORD)1 : (DWORD)0;
         }},
    };
    for (const auto& c : calls) {
        SCOPED_TRACE(c.op);
        std::string buffer(64, '\0');
        SimFailCall(c.op, ERROR_ACCESS_DENIED);
        EXPECT_EQ(0u, c.call(&buffer[0], (DWORD)buffer.size()));
        EXPECT_EQ(std::string::npos, buffer.find('\0'));
    }
}

}  // namespace
