// The simulated process's environment and temporary folder. Values are kept
// in the byte form of winsim/wide.cpp; the ANSI calls spell a character
// that the code page lacks as '?'.
#include "sim_internal.h"

#include <string.h>

namespace {

std::map<std::string, std::string> variables;  // by upper-case name
std::string temporaryFolder;

DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size) {
    if (text.size() + 1 > size) return (DWORD)text.size() + 1;
    memcpy(buffer, text.c_str(), text.size() + 1);
    return (DWORD)text.size();
}

}  // namespace

void SimEnvironmentReset() {
    variables.clear();
    temporaryFolder = "C:\\WINDOWS\\TEMP\\";
}

void SimSetEnvironmentVariable(const char* name, const char* value) {
    if (value)
        variables[SimUpper(name)] = value;
    else
        variables.erase(SimUpper(name));
}

void SimSetTempPath(const char* path) { temporaryFolder = path; }

extern "C" {

DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    if (SimFailHere("GetEnvironmentVariableA", name)) {
        SimSpoil(buffer, size);
        return 0;
    }
    auto found = variables.find(SimUpper(name ? name : ""));
    if (found == variables.end()) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    return CopyOut(SimAnsiOfByteForm(found->second), buffer, size);
}

// %NAME% of a variable that is set becomes its value; any other text stays.
DWORD WINAPI ExpandEnvironmentStringsA(LPCSTR text, LPSTR out, DWORD size) {
    if (SimFailHere("ExpandEnvironmentStringsA", text)) {
        SimSpoil(out, size);
        return 0;
    }
    std::string source = text ? text : "", result;
    for (size_t at = 0; at < source.size();) {
        size_t end = source[at] == '%' ? source.find('%', at + 1) : std::string::npos;
        auto found = end == std::string::npos ? variables.end() : variables.find(SimUpper(source.substr(at + 1, end - at - 1)));
        if (found != variables.end()) {
            result += SimAnsiOfByteForm(found->second);
            at = end + 1;
        } else {
            result += source[at++];
        }
    }
    if (result.size() + 1 <= size) memcpy(out, result.c_str(), result.size() + 1);
    return (DWORD)result.size() + 1;
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
    if (SimFailHere("GetTempPathA")) {
        SimSpoil(buffer, size);
        return 0;
    }
    return CopyOut(SimAnsiOfByteForm(temporaryFolder), buffer, size);
}

}  // extern "C"
