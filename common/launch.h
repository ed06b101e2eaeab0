// Starting a program without waiting for it.
#ifndef COMMON_LAUNCH_H
#define COMMON_LAUNCH_H

enum { COMMAND_LINE_SIZE = 256 };

// Starts directory + program, a blank, arguments (the directory as given,
// no separator added) with show state SW_SHOW, and does not wait. A command
// line longer than 255 characters is not started: a cut one could name
// another program or lose an argument. Returns 1 when the platform started
// it, 0 otherwise; callers may ignore it.
int LaunchCommand(const char* directory, const char* program, const char* arguments);

#endif
