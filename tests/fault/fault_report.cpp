#include "fault_report.h"

#include "tests/unit/machine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

// The running scenario, kept where a signal handler may read it.
char currentScenario[1024];
int totalRun = 0;
int totalHeld = 0;

void WriteText(const char* text) {
    size_t length = strlen(text);
    while (length > 0) {
        ssize_t written = write(STDERR_FILENO, text, length);
        if (written <= 0) return;
        text += written;
        length -= (size_t)written;
    }
}

void NameTheScenario(const char* what) {
    if (!currentScenario[0]) return;
    WriteText("\nfault injection: ");
    WriteText(what);
    WriteText(" in scenario: ");
    WriteText(currentScenario);
    WriteText("\nRun it alone with VANTRELL_FAULT_ONLY='<part of that text>'.\n");
}

void OnDeath() { NameTheScenario("the process died"); }

void OnAbort(int) {
    NameTheScenario("the process aborted");
    signal(SIGABRT, SIG_DFL);
    raise(SIGABRT);
}

void OnAlarm(int) {
    NameTheScenario("no end within the time limit");
    _exit(3);
}

class TotalsPrinter : public ::testing::Environment {
public:
    void TearDown() override {
        printf("fault injection, all campaigns: %d scenarios run, %d held\n", totalRun, totalHeld);
    }
};

}  // namespace

std::string ErrorName(DWORD error) {
    static const struct {
        DWORD code;
        const char* name;
    } kNames[] = {
        {ERROR_FILE_NOT_FOUND, "ERROR_FILE_NOT_FOUND"}, {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND"},
        {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED"},   {ERROR_NOT_ENOUGH_MEMORY, "ERROR_NOT_ENOUGH_MEMORY"},
        {ERROR_NO_MORE_FILES, "ERROR_NO_MORE_FILES"},   {ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION"},
        {ERROR_DISK_FULL, "ERROR_DISK_FULL"},           {ERROR_MORE_DATA, "ERROR_MORE_DATA"},
        {ERROR_NO_MORE_ITEMS, "ERROR_NO_MORE_ITEMS"},   {ERROR_NO_TOKEN, "ERROR_NO_TOKEN"},
        {ERROR_MOD_NOT_FOUND, "ERROR_MOD_NOT_FOUND"},
    };
    for (const auto& entry : kNames)
        if (entry.code == error) return std::string(entry.name) + " (" + std::to_string(error) + ")";
    return "error " + std::to_string(error);
}

bool IsOneOf(const std::string& op, std::initializer_list<const char*> ops) {
    for (const char* candidate : ops)
        if (op == candidate) return true;
    return false;
}

bool CannotFail(const std::string& op) {
    return IsOneOf(op, {"GetVersion", "GetCurrentThread", "GetCurrentProcess", "GetLengthSid", "GetProcessHeap",
                        "HeapFree", "wsprintfA", "FindClose", "DefDlgProcA"});
}

std::vector<DWORD> ErrorsFor(const std::string& op) {
    if (IsOneOf(op,
                {"DeleteFileA", "MoveFileA", "MoveFileExA", "RemoveDirectoryA", "SetFileAttributesA",
                 "GetFileAttributesA", "FindFirstFileA", "GetTempFileNameA", "GetShortPathNameA", "CreateFileA"}))
        return {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_FILE_NOT_FOUND};
    if (op == "FindNextFileA") return {ERROR_NO_MORE_FILES, ERROR_ACCESS_DENIED};
    if (IsOneOf(op, {"WriteFile", "CloseHandle"})) return {ERROR_DISK_FULL, ERROR_ACCESS_DENIED};
    if (IsOneOf(op, {"RegEnumValueA", "RegEnumKeyA"}))
        return {ERROR_ACCESS_DENIED, ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS};
    if (op == "RegQueryValueExA") return {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA};
    if (IsOneOf(op, {"RegOpenKeyA", "RegOpenKeyExA", "RegDeleteKeyA", "RegDeleteValueA"}))
        return {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND};
    if (op == "OpenThreadToken") return {ERROR_ACCESS_DENIED, ERROR_NO_TOKEN};
    if (IsOneOf(op, {"HeapAlloc", "LocalAlloc", "AllocateAndInitializeSid"})) return {ERROR_NOT_ENOUGH_MEMORY};
    if (op == "LoadLibraryA") return {ERROR_MOD_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_NOT_ENOUGH_MEMORY};
    if (op == "WinExec") return {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED};
    return {ERROR_ACCESS_DENIED};
}

std::string Describe(const std::string& setting, const Injection& injection) {
    std::string text = setting + ": ";
    if (injection.diskSpace >= 0)
        return text + "the disk is full after " + std::to_string(injection.diskSpace) + " bytes";
    if (injection.op.empty()) return text + "clean run";
    text += injection.op + " #" + std::to_string(injection.occurrence);
    if (!injection.subject.empty()) text += " [" + injection.subject + "]";
    return text + " fails with " + ErrorName(injection.error);
}

Campaign::Campaign(const char* name) : name_(name) {}

bool Campaign::Selected(const std::string& description) {
    const char* only = getenv("VANTRELL_FAULT_ONLY");
    return !only || !*only || description.find(only) != std::string::npos;
}

void Campaign::Begin(const std::string& description) {
    current_ = description;
    snprintf(currentScenario, sizeof currentScenario, "%s", description.c_str());
    alarm(SCENARIO_TIME_LIMIT);
}

void Campaign::Leave() {
    alarm(0);
    currentScenario[0] = 0;
}

void Campaign::End(const std::vector<std::string>& violations) {
    Leave();
    ++run_;
    ++totalRun;
    if (violations.empty()) {
        ++held_;
        ++totalHeld;
        return;
    }
    std::string report = current_;
    for (const std::string& violation : violations) report += "\n    - " + violation;
    broken_.push_back(report);
}

void Campaign::Finish() {
    printf("fault injection, %s: %d scenarios run, %d held\n", name_.c_str(), run_, held_);
    fflush(stdout);
    for (const std::string& report : broken_) ADD_FAILURE() << "scenario did not hold: " << report;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Thousands of machines are built and wiped: in memory when the host
    // offers it, rather than on a disk where each wipe waits for the device.
    const char* temporary = getenv("TMPDIR");
    if ((!temporary || !*temporary) && access("/dev/shm", W_OK | X_OK) == 0) setenv("TMPDIR", "/dev/shm", 1);
    ::testing::AddGlobalTestEnvironment(new TotalsPrinter);
    SimLogCalls(true);  // each clean run's calls name the scenarios
    signal(SIGALRM, OnAlarm);
    signal(SIGABRT, OnAbort);
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(OnDeath);
#else
    (void)OnDeath;
#endif
    int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(SimulatedDrivesRoot(), ignored);
    return result;
}
