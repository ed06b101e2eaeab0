// The test interface of the simulated Windows: arrange a machine before a
// run, inspect it afterwards, and make any platform operation fail.
#ifndef WINSIM_SIM_H
#define WINSIM_SIM_H

#include <windows.h>

#include <setjmp.h>
#include <string>
#include <vector>

enum SimFamily { SimWindows98, SimWindowsNT };

// A fresh machine whose drives live under hostRoot (wiped first): 95/98
// family, C:\WINDOWS, C:\WINDOWS\SYSTEM, current directory C:\, the main
// module C:\PROGRAM FILES\VANTRELL\UNINSTAL.EXE (directories created), an
// empty registry with the root keys, no scripted answers, no failures.
void SimReset(const std::string& hostRoot);

// The ANSI code page: 1252 (as after SimReset) or 932, whose double-byte
// characters may end in 0x5C, the backslash's byte.
void SimSetCodePage(UINT codePage);
UINT SimCodePage();

// Unicode: the simulation keeps names, module paths and values in a byte
// form, a character of the ANSI code page as its bytes and any other
// (Cyrillic, say) as its UTF-8 sequence, so a test writes such a name in
// UTF-8. The Unicode calls (GetModuleFileNameW, GetShortPathNameW) hand
// every character back; the ANSI ones spell a character the code page
// lacks as '?', as the platform does. A directory of such a name is reached
// through the ANSI calls only by a short name given with SimAddShortName.

// The process's environment (SimReset: empty) and its temporary folder
// (SimReset: C:\WINDOWS\TEMP\). A value of 0 unsets the variable.
void SimSetEnvironmentVariable(const char* name, const char* value);
void SimSetTempPath(const char* path);

// Directories, modules, version, command line
void SimSetFamily(SimFamily family);
void SimSetVersion(DWORD version);
void SimSetWindowsDirectory(const char* path);
void SimSetSystemDirectory(const char* path);
void SimSetCurrentDirectory(const char* path);
HMODULE SimMainModule();
void SimSetModulePath(HMODULE module, const char* path);
void SimSetCommandLine(const char* commandLine);
// GetShortPathNameA answers shortPath for longPath and for paths below it;
// paths given in the short form are resolved back to the long one.
void SimAddShortName(const char* longPath, const char* shortPath);

// Files. Paths are Windows paths; names compare case-insensitively.
std::string SimHostPath(const char* path);
bool SimCreateDirectory(const char* path);  // with missing parents
bool SimWriteFile(const char* path, const std::string& content);  // creates parents
bool SimReadFile(const char* path, std::string* content);
bool SimExists(const char* path);
bool SimIsDirectory(const char* path);
void SimSetAttributes(const char* path, DWORD attributes);
DWORD SimAttributes(const char* path);  // INVALID_FILE_ATTRIBUTES when absent
// A file in use cannot be deleted, renamed or opened for writing; error is
// what the platform reports (ERROR_ACCESS_DENIED for a loaded library or a
// running program, ERROR_SHARING_VIOLATION for an open file). 0 frees it.
void SimSetInUse(const char* path, DWORD error);
// A link at linkPath (parents created) to targetPath, which need not exist:
// as a directory link (a junction, a directory symbolic link) it is listed
// with FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, otherwise as
// a file link with FILE_ATTRIBUTE_REPARSE_POINT. Opening, listing and
// deleting through it reach the target; RemoveDirectoryA of a directory
// link and DeleteFileA of a file link remove the link alone.
bool SimCreateLink(const char* linkPath, const char* targetPath, bool directoryLink);
bool SimIsLink(const char* path);
// Every file and directory below path, as Windows paths relative to it,
// directories with a trailing backslash, sorted case-insensitively.
std::vector<std::string> SimListTree(const char* path);

struct SimPendingDeletion {
    std::string path;  // as passed to MoveFileExA
};
const std::vector<SimPendingDeletion>& SimPendingDeletions();
int SimOpenSearches();  // find handles not yet closed

// File handles (CreateFileA) and the process heap. A file open without
// delete sharing cannot be deleted or renamed (ERROR_SHARING_VIOLATION);
// opens that the share modes of the file's open handles exclude fail so.
int SimOpenFileHandles();  // CreateFileA handles not yet closed
int SimHeapBlocks();       // HeapAlloc blocks not yet freed
// Bytes that WriteFile may still add to files before the disk is full; a
// write beyond writes what room there is and fails (ERROR_DISK_FULL). -1
// (as after SimReset): no limit.
void SimSetDiskSpace(long long bytes);
// What WriteFile wrote to GetStdHandle(STD_OUTPUT_HANDLE).
const std::string& SimStandardOutput();
// The standard output the process was given: whole (as after SimReset),
// none (GetStdHandle answers 0, as for a windowed program started without
// one), or short: each write takes a byte less than asked and succeeds, as
// a pipe may.
enum SimStandardOutputKind { SimOutputWhole, SimOutputNone, SimOutputShort };
void SimSetStandardOutput(SimStandardOutputKind kind);

// Security (NT): the user whose tokens the process, and the thread while it
// impersonates, carry. AccessCheck accepts only the thread's (impersonation)
// token, as the platform does.
enum SimUser { SimAdministrator, SimPlainUser };
void SimSetUser(SimUser user);  // SimReset: an administrator
bool SimImpersonating();        // the thread carries a token of its own
int SimOpenTokens();            // token handles not yet closed
int SimLocalBlocks();           // LocalAlloc blocks not yet freed
int SimLiveSids();              // AllocateAndInitializeSid identifiers not yet freed

// Registry, under the predefined root keys
bool SimRegCreateKey(HKEY root, const char* path);
bool SimRegSetString(HKEY root, const char* path, const char* name, const char* value);
bool SimRegSetDword(HKEY root, const char* path, const char* name, DWORD value);
bool SimRegKeyExists(HKEY root, const char* path);
bool SimRegValueExists(HKEY root, const char* path, const char* name);
bool SimRegGetString(HKEY root, const char* path, const char* name, std::string* value);
// The platform refuses (access denied) to delete this key, or this value of it.
void SimRegRefuseDelete(HKEY root, const char* path, const char* valueName);
int SimRegOpenHandles();  // handles opened and not yet closed

// Message boxes: each box takes the next scripted answer. With none left,
// a box with only an OK button answers IDOK; any other box fails (returns 0)
// and is counted as unanswered.
struct SimMessageBox {
    HWND owner;
    std::string text;
    std::string title;
    UINT style;
    int answer;
};
void SimAnswerMessageBoxes(const std::vector<int>& answers);
const std::vector<SimMessageBox>& SimMessageBoxes();
int SimUnansweredMessageBoxes();

// Started processes
// Every start is recorded with the program file the platform takes from the
// command line as it does: a program path in double quotes as it stands;
// an unquoted one from the shortest run of words up to a blank that names
// a file, each tried also with ".exe" added ("C:\Program Files\X\a.000 /S"
// tries C:\Program, C:\Program.exe, then C:\Program Files\X\a.000).
// Empty when no file matches; the start then fails.
struct SimLaunch {
    std::string commandLine;
    UINT show;
    std::string program;
};
const std::vector<SimLaunch>& SimLaunches();

// Failures. The occurrence-th call of op from now on (1 = the next one; 0 =
// every call) fails with error, as the platform reports it.
void SimFailCall(const char* op, DWORD error, int occurrence = 1);
// The occurrence-th call of op from now on and every call after it fail.
void SimFailCallsFrom(const char* op, DWORD error, int occurrence);
void SimClearFailures();
int SimCallCount(const char* op);  // calls of op since the reset
std::vector<std::string> SimCalledOperations();  // names, in first-call order
// While logging is on (it is off at the start of the process, and a reset
// leaves the setting as it is), every counted call since the reset, in
// order, with what it acted on: the path, directory or search pattern, the
// registry key or value name, the file of a file handle (its canonical
// upper-case path), the message box's title; empty for calls that act on
// nothing named.
struct SimCall {
    std::string op;
    std::string subject;
};
void SimLogCalls(bool on);
const std::vector<SimCall>& SimCallLog();

// A run cut short, as a power loss or a killed process cuts it: once calls
// more counted calls have been made from now on, the machine stops
// changing: every later call fails before it acts (ERROR_NOT_READY) and is
// not counted, so the code under test runs out without effect and
// SimStopped() is true. Then SimEndProcess() drops what
// only the process held: its file handles, its heap (with what the
// streams had not yet written), searches, registry handles, tokens, impersonation and security
// blocks, and the records of boxes, starts and calls. The machine stays:
// files, links, attributes, files in use, the registry, the deletions at
// restart, directories and the family.
void SimStopAfterCalls(long long calls);
bool SimStopped();
void SimEndProcess();

// ExitProcess jumps to the armed trap instead of ending the test process.
// Use SIM_RUN_TRAPPING_EXIT.
jmp_buf* SimExitTrap();
void SimArmExitTrap(bool armed);
bool SimExited();
int SimExitCode();

// Runs call (an int expression), storing its value in result, or the exit
// code when the code under test calls ExitProcess.
#define SIM_RUN_TRAPPING_EXIT(result, call)            \
    do {                                               \
        SimArmExitTrap(true);                          \
        if (setjmp(*SimExitTrap()) == 0) {             \
            result = (call);                           \
        } else {                                       \
            result = SimExitCode();                    \
        }                                              \
        SimArmExitTrap(false);                         \
    } while (0)

// Libraries and their resources, dialogs
#include "sim_modules.h"

#endif
