// The boot-time deletion list in wininit.ini: at its next start the 95/98
// family deletes each file that a NUL= line of the [rename] section names,
// and ignores such lines in any other section.
#include "../common/paths.h"
#include "../common/text.h"
#include "uninstall.h"

#include <string.h>

#include "../common/crt.h"

// Lines are read in pieces of at most 254 bytes; a longer line passes
// through in several pieces, unchanged.
enum { LINE_PIECE_LIMIT = 254, ENTRY_BUFFER_SIZE = PATH_BUFFER_SIZE + 8 };

static const char kRenameHeader[] = "[rename]";
static const char kEntryStart[] = "NUL=";
static const char kLineEnd[] = "\r\n";
static const char kTempPrefix[] = "VTL";
// Ctrl-Z ends the text for the programs that read the file at the start;
// an entry after it would never be seen. What follows it is kept.
static const char kEndOfText = 0x1A;

static int Write(FILE* out, const char* bytes, size_t length) {
    return fwrite(bytes, 1, length, out) == length;
}

static int WriteText(FILE* out, const char* text) { return Write(out, text, strlen(text)); }

// Reads the next piece of a line, up to and including its line feed. Sets
// *stop at the end of the stream, at a read error and before a Ctrl-Z
// (then also *endOfText).
static size_t ReadPiece(FILE* in, char* piece, int* stop, int* endOfText) {
    size_t length = 0;
    while (length < LINE_PIECE_LIMIT) {
        int c = fgetc(in);
        if (c == EOF || c == kEndOfText) {
            *stop = 1;
            *endOfText = c == kEndOfText;
            break;
        }
        piece[length++] = (char)c;
        if (c == '\n') break;
    }
    return length;
}

static size_t SkipBlanks(const char* piece, size_t length) {
    size_t at = 0;
    while (at < length && (piece[at] == ' ' || piece[at] == '\t')) ++at;
    return at;
}

// A line whose first byte after blanks is '[' heads a section.
static int HeadsSection(const char* piece, size_t length) {
    size_t at = SkipBlanks(piece, length);
    return at < length && piece[at] == '[';
}

static int HeadsRenameSection(const char* piece, size_t length) {
    size_t at = SkipBlanks(piece, length);
    size_t headerLength = sizeof kRenameHeader - 1;
    if (length - at < headerLength) return 0;
    char header[sizeof kRenameHeader];
    memcpy(header, piece + at, headerLength);
    header[headerLength] = 0;
    return EqualsIgnoringCase(header, kRenameHeader);
}

// Copies the old file to out with the entry at the end of its [rename]
// section, or in a [rename] section of its own at the end of the text.
// Every other byte stays, in order.
static int CopyWithEntry(FILE* in, FILE* out, const char* entry) {
    char piece[LINE_PIECE_LIMIT];
    int inRename = 0, entryWritten = 0, atLineStart = 1, stop = 0, endOfText = 0;
    while (!stop) {
        size_t length = ReadPiece(in, piece, &stop, &endOfText);
        if (length == 0) continue;
        if (atLineStart && HeadsSection(piece, length)) {
            if (inRename && !entryWritten) {
                if (!WriteText(out, entry)) return 0;
                entryWritten = 1;
            }
            inRename = HeadsRenameSection(piece, length);
        }
        if (!Write(out, piece, length)) return 0;
        atLineStart = piece[length - 1] == '\n';
    }
    if (ferror(in)) return 0;
    if (!entryWritten) {
        // A last line without its line end would swallow the entry.
        if (!atLineStart && !WriteText(out, kLineEnd)) return 0;
        if (!inRename && !(WriteText(out, kRenameHeader) && WriteText(out, kLineEnd))) return 0;
        if (!WriteText(out, entry)) return 0;
    }
    if (endOfText) {
        size_t length;
        if (!Write(out, &kEndOfText, 1)) return 0;
        while ((length = fread(piece, 1, sizeof piece, in)) > 0)
            if (!Write(out, piece, length)) return 0;
        if (ferror(in)) return 0;
    }
    return 1;
}

static int WriteNewWininit(const char* wininitPath, int exists, const char* newPath, const char* entry) {
    FILE* out = fopen(newPath, "wb");
    if (!out) return 0;
    int written;
    if (exists) {
        FILE* in = fopen(wininitPath, "rb");
        written = in && CopyWithEntry(in, out, entry);
        if (in) fclose(in);
    } else {
        written = WriteText(out, kRenameHeader) && WriteText(out, kLineEnd) && WriteText(out, entry);
    }
    // The last buffered writes reach the disk only now, and may fail here.
    if (fclose(out) != 0) written = 0;
    return written;
}

// Windows 95 cannot replace a file in one step, and a copy over wininit.ini
// would cut it short before writing it. So the complete new file takes the
// name by renames within the Windows directory: the old file moves aside
// to a fresh name, the new one takes its place, the old one is deleted;
// should the new one not take its place, the old one moves back. A failure
// at any step leaves the old file whole: in its place, or, should even the
// move back fail, under the fresh name beside it. A stop between the
// renames likewise leaves both files whole, side by side.
static int PutInPlace(const char* wininitPath, int exists, const char* newPath, const char* windowsDir) {
    if (!exists) return MoveFileA(newPath, wininitPath) != 0;
    char oldPath[PATH_BUFFER_SIZE];
    // The fresh name comes reserved by an empty file; the rename needs it free.
    if (!GetTempFileNameA(windowsDir, kTempPrefix, 0, oldPath) || !DeleteFileA(oldPath)) return 0;
    if (!MoveFileA(wininitPath, oldPath)) return 0;
    if (!MoveFileA(newPath, wininitPath)) {
        MoveFileA(oldPath, wininitPath);
        return 0;
    }
    DeleteFileA(oldPath);
    return 1;
}

bool ScheduleDeleteAtBoot(const char* wininitPath, const char* directory, const char* fileName) {
    char path[PATH_BUFFER_SIZE], entry[ENTRY_BUFFER_SIZE], windowsDir[PATH_BUFFER_SIZE];
    // A path cut to fit its buffer could name another file.
    if (!ComposeText(path, sizeof path, directory, fileName, 0) ||
        !ComposeText(entry, sizeof entry, kEntryStart, path, kLineEnd))
        return false;
    if (!DirectoryOfPath(wininitPath, windowsDir, sizeof windowsDir) || !windowsDir[0]) return false;
    int exists = _access(wininitPath, 0) == 0;
    // A read-only wininit.ini is not replaced.
    if (exists && _access(wininitPath, 6) != 0) return false;
    // Written beside wininit.ini, not in the current directory, which may be
    // read-only or on another drive.
    char newPath[PATH_BUFFER_SIZE];
    if (!GetTempFileNameA(windowsDir, kTempPrefix, 0, newPath)) return false;
    if (WriteNewWininit(wininitPath, exists, newPath, entry) && PutInPlace(wininitPath, exists, newPath, windowsDir))
        return true;
    DeleteFileA(newPath);
    return false;
}
