// Starting a program without waiting for it.
#ifndef COMMON_LAUNCH_H
#define COMMON_LAUNCH_H

enum { COMMAND_LINE_SIZE = 256 };

// Starts directory + program (the directory as given, no separator added),
// a blank, arguments, with show state SW_SHOW, and does not wait. The
// program part goes in double quotes when it holds a blank or a tab:
// unquoted, the platform would take "C:\Program" of "C:\Program Files\..."
// as the program and start C:\Program.exe. Not started: a program part
// that is not a full path (the platform would search for it), one that
// holds a double quote (it cannot be quoted) or a '?' (the platform's
// spelling of a character the ANSI code page lacks), and a command line longer
// than 255 characters (a cut one could name another program or lose an
// argument). Returns 1 when the platform started it, 0 otherwise; callers
// may ignore it.
int LaunchCommand(const char* directory, const char* program, const char* arguments);

// Whether path names a file by its full path: "X:\..." or "\\server\share\...".
int IsFullPath(const char* path);

#endif
