#include "launch.h"

#include "platform.h"
#include "text.h"

int IsFullPath(const char* path) {
    char drive = path[0];
    if (((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) && path[1] == ':' && path[2] == '\\')
        return 1;
    return path[0] == '\\' && path[1] == '\\' && path[2] && path[2] != '\\';
}

int LaunchCommand(const char* directory, const char* program, const char* arguments) {
    char commandLine[COMMAND_LINE_SIZE];
    // The program part alone first, to look at it.
    if (!ComposeText(commandLine, sizeof commandLine, directory, program, 0)) return 0;
    // '?' stands where the ANSI code page could not spell a character of
    // a setting or path read from the platform: no file has that name.
    if (!IsFullPath(commandLine) || HoldsCharacter(commandLine, '"') || HoldsCharacter(commandLine, '?')) return 0;
    int quoted = HoldsCharacter(commandLine, ' ') || HoldsCharacter(commandLine, '\t');
    // A part that does not fit ends it: the line is not started.
    if (!ComposeText(commandLine, sizeof commandLine, quoted ? "\"" : "", directory, program) ||
        !AppendText(commandLine, sizeof commandLine, quoted ? "\" " : " ") ||
        !AppendText(commandLine, sizeof commandLine, arguments))
        return 0;
    return WinExec(commandLine, SW_SHOW) > 31;
}
