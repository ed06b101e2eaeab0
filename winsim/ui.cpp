// Simulated message boxes, answered from a script, and process starts,
// recorded.
#include "sim_internal.h"

#include <deque>
#include <stdarg.h>
#include <stdio.h>
#include <sys/stat.h>

namespace {

std::deque<int> answers;
std::vector<SimMessageBox> boxes;
std::vector<SimLaunch> launches;
int unanswered;

bool IsFile(const std::string& path) {
    SimPath resolved;
    struct stat st;
    return SimResolve(path.c_str(), &resolved) && stat(resolved.host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The candidate itself, or with ".exe" added when its last name has no
// extension, as the platform looks for it.
std::string ProgramFile(const std::string& candidate) {
    if (candidate.empty()) return "";
    if (IsFile(candidate)) return candidate;
    size_t name = candidate.find_last_of('\\');
    name = name == std::string::npos ? 0 : name + 1;
    if (candidate.find('.', name) == std::string::npos && IsFile(candidate + ".exe")) return candidate + ".exe";
    return "";
}

std::string ProgramOf(const std::string& line) {
    if (!line.empty() && line[0] == '"') {
        size_t end = line.find('"', 1);
        return ProgramFile(line.substr(1, end == std::string::npos ? std::string::npos : end - 1));
    }
    for (size_t at = 0;; ++at) {
        at = line.find_first_of(" \t", at);
        std::string found = ProgramFile(line.substr(0, at));
        if (!found.empty() || at == std::string::npos) return found;
    }
}

}  // namespace

void SimUiReset() {
    answers.clear();
    boxes.clear();
    launches.clear();
    unanswered = 0;
}

void SimAnswerMessageBoxes(const std::vector<int>& script) { answers.assign(script.begin(), script.end()); }
const std::vector<SimMessageBox>& SimMessageBoxes() { return boxes; }
int SimUnansweredMessageBoxes() { return unanswered; }
const std::vector<SimLaunch>& SimLaunches() { return launches; }

extern "C" {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT style) {
    SimMessageBox box{owner, text ? text : "", title ? title : "", style, 0};
    if (!SimFailHere("MessageBoxA", box.title)) {
        if (!answers.empty()) {
            box.answer = answers.front();
            answers.pop_front();
        } else if ((style & MB_TYPEMASK) == MB_OK) {
            box.answer = IDOK;
        } else {
            ++unanswered;
        }
    }
    boxes.push_back(box);
    return box.answer;
}

// The platform's formatting, by the host's; cannot fail.
int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...) {
    SimFailHere("wsprintfA");
    va_list arguments;
    va_start(arguments, format);
    // The platform's buffer limit: 1024 bytes.
    int length = vsnprintf(out, 1024, format, arguments);
    va_end(arguments);
    return length < 1024 ? length : 1023;
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
    if (SimFailHere("WinExec", commandLine)) return ERROR_FILE_NOT_FOUND;  // values below 32 report failure
    std::string line = commandLine ? commandLine : "";
    launches.push_back(SimLaunch{line, show, ProgramOf(line)});
    return launches.back().program.empty() ? ERROR_FILE_NOT_FOUND : 33;
}

}  // extern "C"
