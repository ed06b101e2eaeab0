#ifndef UNINSTALLER_SHARED_FOLDERS_H
#define UNINSTALLER_SHARED_FOLDERS_H

// Whether an install directory, in either of its forms (each ending with a
// backslash), is or holds a folder that other programs or the user keep
// their files in: Program Files, Common Files, the user's and the
// machine's shell folders, the profiles folder, the user's profile and the
// temporary folder, each in its long and its short form. A folder the
// platform does not name (a key or value missing, an empty value) counts
// for none; one whose reading fails otherwise, or that the ANSI code page
// cannot spell, cannot be told apart and counts as held (1).
int InstallDirHoldsSharedFolder(const char* installLong, const char* installShort);

#endif
