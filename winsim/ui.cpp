// Simulated message boxes, answered from a script, and process starts,
// recorded.
#include "sim_internal.h"

#include <deque>

namespace {

std::deque<int> answers;
std::vector<SimMessageBox> boxes;
std::vector<SimLaunch> launches;
int unanswered;

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

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
    if (SimFailHere("WinExec", commandLine)) return ERROR_FILE_NOT_FOUND;  // values below 32 report failure
    launches.push_back(SimLaunch{commandLine ? commandLine : "", show});
    return 33;
}

}  // extern "C"
