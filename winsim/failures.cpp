// Injected failures and call counts of the simulated platform.
#include "sim_internal.h"

#include <algorithm>
#include <string.h>
#include <vector>

namespace {

struct Failure {
    std::string op;
    DWORD error;
    int remaining;  // calls to let pass first; -1 = every call fails
    bool thereafter;  // once it hits, every later call fails too
};

std::vector<Failure> failures;
std::map<std::string, int> callCounts;
std::vector<std::string> callOrder;
std::vector<SimCall> callLog;
bool logging = false;
long long callsMade = 0;
long long stopAt = -1;  // callsMade at which the next call does not happen

}  // namespace

void SimFailCall(const char* op, DWORD error, int occurrence) {
    failures.push_back(Failure{op, error, occurrence <= 0 ? -1 : occurrence - 1, false});
}

void SimFailCallsFrom(const char* op, DWORD error, int occurrence) {
    failures.push_back(Failure{op, error, occurrence <= 0 ? -1 : occurrence - 1, true});
}

void SimClearFailures() { failures.clear(); }

int SimCallCount(const char* op) {
    auto found = callCounts.find(op);
    return found == callCounts.end() ? 0 : found->second;
}

std::vector<std::string> SimCalledOperations() { return callOrder; }
void SimLogCalls(bool on) { logging = on; }
const std::vector<SimCall>& SimCallLog() { return callLog; }

bool SimFailHere(const char* op, const std::string& subject) { return SimFailHere(op, subject.c_str()); }

static bool stopped = false;

void SimStopAfterCalls(long long calls) { stopAt = calls < 0 ? -1 : callsMade + calls; }
bool SimStopped() { return stopped; }

// Once the run is cut short the machine no longer changes: every call from
// then on fails before it acts, uncounted, and the code under test runs
// out on calls that do nothing (a jump out of the simulation's own frames
// would skip their clean-up).
bool SimFailHere(const char* op, const char* subject) {
    if (stopAt >= 0 && callsMade == stopAt) {
        stopAt = -1;
        stopped = true;
    }
    if (stopped) {
        SetLastError(ERROR_NOT_READY);
        return true;
    }
    ++callsMade;
    if (callCounts[op]++ == 0) callOrder.push_back(op);
    if (logging) callLog.push_back(SimCall{op, subject ? subject : ""});
    bool fail = false;
    DWORD error = 0;
    for (auto it = failures.begin(); it != failures.end();) {
        if (it->op != op) {
            ++it;
            continue;
        }
        if (it->remaining < 0) {
            fail = true;
            error = it->error;
            ++it;
        } else if (it->remaining == 0) {
            fail = true;
            error = it->error;
            if (it->thereafter) {
                it->remaining = -1;
                ++it;
            } else {
                it = failures.erase(it);
            }
        } else {
            --it->remaining;
            ++it;
        }
    }
    if (fail) SetLastError(error);
    return fail;
}

// The bytes look like a path, so that a caller that takes them for one
// goes on with a wrong directory instead of stopping at an empty one.
void SimSpoil(void* buffer, size_t size) {
    static const char kPattern[] = "Z:\\SPOILT\\";
    if (!buffer) return;
    char* bytes = (char*)buffer;
    for (size_t i = 0; i < size; ++i) bytes[i] = kPattern[i % (sizeof kPattern - 1)];
}

void SimFailuresReset() {
    stopAt = -1;
    stopped = false;
    failures.clear();
    callCounts.clear();
    callOrder.clear();
    callLog.clear();
}
