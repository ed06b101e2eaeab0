// The uninstaller's record of one run and the operations of its sequence.
#ifndef UNINSTALLER_UNINSTALL_H
#define UNINSTALLER_UNINSTALL_H

#include "../common/platform.h"

// Every directory ends with a backslash; an empty field means the platform
// could not tell it.
struct UninstallPathsRecord {
    char WindowsDir[PATH_BUFFER_SIZE];
    char SystemDir[PATH_BUFFER_SIZE];
    char InstallDir[PATH_BUFFER_SIZE];
    char InstallDirShort[PATH_BUFFER_SIZE];
    char WininitPath[PATH_BUFFER_SIZE];
    int IsWindowsNT;
};
extern UninstallPathsRecord UninstallPaths;

// The program's command-line tail: commandLine without leading blanks and
// tabs, the program name (possibly in double quotes) and the blanks and
// tabs after it. Trailing blanks stay.
const char* CommandLineTail(const char* commandLine);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show);
void DetectPlatform();
// Shows text in a "Fatal Error!" box and ends the process with exit code 1.
void ShowFatal(const char* text) __attribute__((noreturn));

// Administrator check (NT): nonzero for a member of the Administrators group.
int IsAdministrator();

// Puts the platform's OpenGL library back from the install directory's
// backup and deletes the product's OpenGL files. 1 when done, 0 when the
// library cannot be replaced; ends the process when it cannot be deleted.
// opengl32.dll is never left partly written, is deleted only while it is
// known to be the product's, and the backup stays.
int RestoreSystemOpenGL();
// Deletes the backup once the product's key is gone and opengl32.dll is
// the backup's twin.
void DeleteBackupOnceRestored();
// 1 when both files open and hold the same bytes.
int FilesAreIdentical(const char* firstPath, const char* secondPath);
extern const char kStagedLibrary[];

// The product's key below HKEY_LOCAL_MACHINE, and its parent and name.
extern const char kProductKeyParent[];
extern const char kProductKeyName[];
extern const char kProductKeyPath[];
enum { PRODUCT_KEY_ABSENT, PRODUCT_KEY_PRESENT, PRODUCT_KEY_UNKNOWN };
// Whether the product's key exists; UNKNOWN when the platform cannot tell.
int ProductKeyState();
// Deletes directory + name when the path fits; the result is not needed.
void DeleteProductFile(const char* directory, const char* name);
// 1 when directory + name exists; 0 otherwise, or when the path does not fit.
int FileExists(const char* directory, const char* name);
// 1 when directory + name exists and may be written (not read-only).
int FileWritable(const char* directory, const char* name);

// Deletes a directory (path ending with a backslash) with everything below
// it, as far as the platform allows. A link below it (junction, symbolic
// link, mount point) is removed as a link: what it points to is never
// entered. Files directly in directory named in keepNames (a list ended by
// 0; 0 for none) are left in place.
void RemoveDirectoryTree(const char* directory, const char* const* keepNames = 0);

// Copies source to destination through a fixed buffer: 1 on success. A
// destination opened by a copy that then fails is deleted.
int CopyFileChunked(const char* sourcePath, const char* destinationPath);

// Enters directory + fileName for deletion at the next start of the 95/98
// family in wininitPath's [rename] section. wininit.ini is replaced only by
// a complete new file; on false the old one stays whole.
bool ScheduleDeleteAtBoot(const char* wininitPath, const char* directory, const char* fileName);
// Puts right what a replacement of wininit.ini cut short left: the old file
// back in place when it was moved aside and the new one had not taken its
// name, and no file of the replacement left over.
void RecoverWininit(const char* wininitPath);

#endif
