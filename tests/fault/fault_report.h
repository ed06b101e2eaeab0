// Bookkeeping of a fault-injection campaign: what one scenario injects, how
// many scenarios ran and held, and for each that did not, which invariants
// broke. Every scenario runs under a watchdog, and a crash, sanitizer report
// or hang names the scenario it struck before the process ends.
#ifndef TESTS_FAULT_FAULT_REPORT_H
#define TESTS_FAULT_FAULT_REPORT_H

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// The one failure a scenario injects: the occurrence-th call of op fails
// with error; or, with diskSpace >= 0, the streams may write only that many
// bytes. Neither: the clean run.
struct Injection {
    std::string op;
    int occurrence = 0;
    DWORD error = 0;
    long long diskSpace = -1;
    std::string subject;  // what that call acted on in the clean run, for the reader
};

// "ERROR_ACCESS_DENIED (5)".
std::string ErrorName(DWORD error);

bool IsOneOf(const std::string& op, std::initializer_list<const char*> ops);
// Calls that the simulation counts but never fails: queries that cannot go
// wrong, and releases of what the caller holds.
bool CannotFail(const std::string& op);
// The errors worth injecting into a call of op: each that the code could
// tell apart, and for file operations the usual reasons a file cannot be had.
std::vector<DWORD> ErrorsFor(const std::string& op);

// "NT -norename: DeleteFileA #3 [C:\...] fails with ERROR_ACCESS_DENIED (5)".
std::string Describe(const std::string& setting, const Injection& injection);

class Campaign {
public:
    explicit Campaign(const char* name);
    // Whether a scenario is to run: all, or those whose description holds
    // the text of the environment variable VANTRELL_FAULT_ONLY.
    static bool Selected(const std::string& description);
    // Names the scenario for a crash report and arms the watchdog.
    void Begin(const std::string& description);
    // Disarms the watchdog and counts the scenario; it held when nothing
    // was violated.
    void End(const std::vector<std::string>& violations);
    // Disarms the watchdog without counting: a run that was only watched.
    void Leave();
    // Prints the summary line and reports each scenario that did not hold
    // as a failure of the running test.
    void Finish();

private:
    std::string name_;
    std::string current_;
    int run_ = 0;
    int held_ = 0;
    std::vector<std::string> broken_;
};

// Seconds one scenario may take before the watchdog ends the process.
enum { SCENARIO_TIME_LIMIT = 30 };

#endif
