#include "launch.h"

#include "platform.h"
#include "text.h"

int LaunchCommand(const char* directory, const char* program, const char* arguments) {
    char commandLine[COMMAND_LINE_SIZE];
    int fits = ComposeText(commandLine, sizeof commandLine, directory, program, " ");
    fits = AppendText(commandLine, sizeof commandLine, arguments) && fits;
    if (!fits) return 0;
    return WinExec(commandLine, SW_SHOW) > 31;
}
