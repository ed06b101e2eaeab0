// The boot-time deletion list in wininit.ini: at its next start the 95/98
// family deletes each file that a NUL= line of the [rename] section names,
// and ignores such lines in any other section.
#include "../common/paths.h"
#include "../common/text.h"
#include "uninstall.h"

#include <string.h>

#include "../common/crt.h"

// Lines are read in pieces of at most 254 bytes; a longer line passes
// through in several pieces, unchanged. Both files go through the streams
// in blocks: a call per byte or per line costs more than the rest of the
// work together on a file of many lines.
enum { LINE_PIECE_LIMIT = 254, ENTRY_BUFFER_SIZE = PATH_BUFFER_SIZE + 8, STREAM_BLOCK_SIZE = 16384 };

static const char kRenameHeader[] = "[rename]";
static const char kEntryStart[] = "NUL=";
static const char kLineEnd[] = "\r\n";
// Fixed names of the product's own beside wininit.ini: the new file while it
// is written, and the old one while the new one takes its name.
static const char kNewName[] = "wininit.vtn";
static const char kAsideName[] = "wininit.vto";
// Ctrl-Z ends the text for the programs that read the file at the start;
// an entry after it would never be seen. What follows it is kept.
static const char kEndOfText = 0x1A;

// The old file's stream and the new one's, each with its block: bytes read
// and not yet taken, bytes written and not yet passed on.
struct Streams {
    KitFile* in;
    KitFile* out;
    char* inBlock;
    size_t inAt, inEnd;
    char* outBlock;
    size_t outLength;
};

// Reads the old file's next block once the last one is used up. 0 at the
// end of the file and after a read error.
static int HaveBytes(Streams* s) {
    if (s->inAt == s->inEnd) {
        s->inAt = 0;
        s->inEnd = KitRead(s->inBlock, 1, STREAM_BLOCK_SIZE, s->in);
    }
    return s->inAt < s->inEnd;
}

static int FlushWritten(Streams* s) {
    if (KitWrite(s->outBlock, 1, s->outLength, s->out) != s->outLength) return 0;
    s->outLength = 0;
    return 1;
}

static int Write(Streams* s, const char* bytes, size_t length) {
    while (length > 0) {
        if (s->outLength == STREAM_BLOCK_SIZE && !FlushWritten(s)) return 0;
        size_t room = STREAM_BLOCK_SIZE - s->outLength;
        size_t part = length < room ? length : room;
        memcpy(s->outBlock + s->outLength, bytes, part);
        s->outLength += part;
        bytes += part;
        length -= part;
    }
    return 1;
}

static int WriteText(Streams* s, const char* text) { return Write(s, text, strlen(text)); }

// Reads the next piece of a line, up to and including its line feed. A
// piece of nothing but the blanks that begin a line (leadingBlanks: the
// line so far holds only blanks) ends a header's length short of the
// limit, so that a header after the blanks lies whole in the next piece.
// Sets *stop at the end of the stream, at a read error and before a Ctrl-Z
// (then also *endOfText). The bytes come from the block in runs, not one
// at a time.
static size_t ReadPiece(Streams* s, char* piece, int leadingBlanks, int* stop, int* endOfText) {
    const size_t blankPieceLength = LINE_PIECE_LIMIT - (sizeof kRenameHeader - 1);
    size_t length = 0;
    while (length < LINE_PIECE_LIMIT) {
        if (!HaveBytes(s)) {
            *stop = 1;
            break;
        }
        const char* from = s->inBlock + s->inAt;
        size_t available = s->inEnd - s->inAt, run = 0;
        if (available > LINE_PIECE_LIMIT - length) available = LINE_PIECE_LIMIT - length;
        int blankPiece = 0;
        if (leadingBlanks) {
            // While leadingBlanks holds, the piece is all blanks and shorter
            // than blankPieceLength.
            size_t blanksToEnd = blankPieceLength - length;
            while (run < available && run < blanksToEnd && (from[run] == ' ' || from[run] == '\t')) ++run;
            blankPiece = run == blanksToEnd;
            if (!blankPiece && run < available) leadingBlanks = 0;
        }
        if (!blankPiece)
            while (run < available && from[run] != '\n' && from[run] != kEndOfText) ++run;
        memcpy(piece + length, from, run);
        length += run;
        s->inAt += run;
        if (blankPiece) break;
        if (run == available) continue;
        // A line feed ends the piece with it; a Ctrl-Z ends the text.
        ++s->inAt;
        if (from[run] == kEndOfText) {
            *stop = 1;
            *endOfText = 1;
            break;
        }
        piece[length++] = '\n';
        break;
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

// Copies the old file to out with the entry at the end of its first
// [rename] section, or in a [rename] section of its own at the end of the
// text. Every other byte stays, in order. A line may begin with more blanks
// than a piece holds, and whether it heads a section shows only after they
// are written: an entry still to be written goes before such a line.
static int CopyWithEntry(Streams* s, const char* entry) {
    char piece[LINE_PIECE_LIMIT];
    int inRename = 0, entryWritten = 0, atLineStart = 1, leadingBlanks = 1, stop = 0, endOfText = 0;
    while (!stop) {
        size_t length = ReadPiece(s, piece, leadingBlanks, &stop, &endOfText);
        if (length == 0) continue;
        int heads = leadingBlanks && HeadsSection(piece, length);
        int onlyBlanks = SkipBlanks(piece, length) == length;
        if ((heads || (leadingBlanks && onlyBlanks && !stop)) && inRename && !entryWritten) {
            if (!WriteText(s, entry)) return 0;
            entryWritten = 1;
        }
        if (heads) inRename = HeadsRenameSection(piece, length);
        if (!Write(s, piece, length)) return 0;
        atLineStart = piece[length - 1] == '\n';
        leadingBlanks = atLineStart || (leadingBlanks && onlyBlanks);
    }
    if (KitError(s->in)) return 0;
    if (!entryWritten) {
        // A last line without its line end would swallow the entry.
        if (!atLineStart && !WriteText(s, kLineEnd)) return 0;
        if (!inRename && !(WriteText(s, kRenameHeader) && WriteText(s, kLineEnd))) return 0;
        if (!WriteText(s, entry)) return 0;
    }
    if (endOfText) {
        // The Ctrl-Z, the rest of the block read and the rest of the file.
        if (!Write(s, &kEndOfText, 1) || !Write(s, s->inBlock + s->inAt, s->inEnd - s->inAt)) return 0;
        size_t length;
        while ((length = KitRead(s->inBlock, 1, STREAM_BLOCK_SIZE, s->in)) > 0)
            if (!Write(s, s->inBlock, length)) return 0;
        if (KitError(s->in)) return 0;
    }
    return 1;
}

static int WriteNewWininit(const char* wininitPath, int exists, const char* newPath, const char* entry) {
    Streams s = {0, 0, 0, 0, 0, 0, 0};
    s.out = KitOpen(newPath, KIT_OPEN_WRITE);
    if (!s.out) return 0;
    // One heap block holds both blocks, allocated per call.
    char* blocks = (char*)KitAlloc(2 * STREAM_BLOCK_SIZE);
    int written = 0;
    if (blocks) {
        s.inBlock = blocks;
        s.outBlock = blocks + STREAM_BLOCK_SIZE;
        if (exists) {
            s.in = KitOpen(wininitPath, KIT_OPEN_READ);
            written = s.in && CopyWithEntry(&s, entry);
            if (s.in) KitClose(s.in);
        } else {
            // A few hundred bytes fill no block: these writes cannot fail.
            // GCOVR_EXCL_BR_START
            written = WriteText(&s, kRenameHeader) && WriteText(&s, kLineEnd) && WriteText(&s, entry);
            // GCOVR_EXCL_BR_STOP
        }
        written = written && FlushWritten(&s);
        KitFree(blocks);
    }
    // The last buffered writes reach the disk only now, and may fail here.
    if (KitClose(s.out) != 0) written = 0;
    return written;
}

// Windows 95 cannot replace a file in one step, and a copy over wininit.ini
// would cut it short before writing it. So the complete new file takes the
// name by renames within the Windows directory: the old file moves aside,
// the new one takes its place, the old one is deleted; should the new one
// not take its place, the old one moves back. The two names are fixed, so
// that a run cut short between the renames leaves its files where the next
// run finds them (RecoverWininit). A failure at any step leaves the old
// file whole: in its place or, should even the move back fail, aside.
static int PutInPlace(const char* wininitPath, int exists, const char* newPath, const char* asidePath) {
    if (!exists) return MoveFileA(newPath, wininitPath) != 0;
    if (!MoveFileA(wininitPath, asidePath)) return 0;
    if (!MoveFileA(newPath, wininitPath)) {
        MoveFileA(asidePath, wininitPath);
        return 0;
    }
    DeleteFileA(asidePath);
    return 1;
}

// The new file's name and the old one's while it is moved aside, beside
// wininit.ini.
static int WorkPaths(const char* wininitPath, char* newPath, char* asidePath) {
    char windowsDir[PATH_BUFFER_SIZE];
    if (!DirectoryOfPath(wininitPath, windowsDir, sizeof windowsDir) || !windowsDir[0] ||
        !JoinPath(newPath, windowsDir, kNewName))
        return 0;
    // As long as the new file's name: it fits when that one does.
    JoinPath(asidePath, windowsDir, kAsideName);
    return 1;
}

static int Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void RecoverWininit(const char* wininitPath) {
    char newPath[PATH_BUFFER_SIZE], asidePath[PATH_BUFFER_SIZE];
    if (!WorkPaths(wininitPath, newPath, asidePath)) return;
    if (Exists(asidePath)) {
        // Cut short after the old file moved aside: without wininit.ini it
        // goes back; with it, the new one had taken its place.
        if (!Exists(wininitPath))
            MoveFileA(asidePath, wininitPath);
        else
            DeleteFileA(asidePath);
    }
    // A new file that never took the name: the old one stands.
    if (Exists(newPath)) DeleteFileA(newPath);
}

// No file name holds a control character; in an entry a line end would
// split it, and a Ctrl-Z would end the text the platform reads.
static int HoldsControlCharacter(const char* text) {
    for (; *text; ++text)
        if ((unsigned char)*text < 0x20) return 1;
    return 0;
}

bool ScheduleDeleteAtBoot(const char* wininitPath, const char* directory, const char* fileName) {
    char path[PATH_BUFFER_SIZE], entry[ENTRY_BUFFER_SIZE], newPath[PATH_BUFFER_SIZE], asidePath[PATH_BUFFER_SIZE];
    // A path cut to fit its buffer could name another file.
    if (!ComposeText(path, sizeof path, directory, fileName, 0) || HoldsControlCharacter(path)) return false;
    // The entry's buffer holds the entry of any path that fits.
    ComposeText(entry, sizeof entry, kEntryStart, path, kLineEnd);
    if (!WorkPaths(wininitPath, newPath, asidePath)) return false;
    // What a run cut short left is put right first: the old text may be
    // aside, and the new file's name is about to be used.
    RecoverWininit(wininitPath);
    int exists = KitAccess(wininitPath, KIT_ACCESS_EXISTS) == 0;
    // A read-only wininit.ini is not replaced.
    if (exists && KitAccess(wininitPath, KIT_ACCESS_READ_WRITE) != 0) return false;
    // Written beside wininit.ini, not in the current directory, which may be
    // read-only or on another drive.
    if (WriteNewWininit(wininitPath, exists, newPath, entry) && PutInPlace(wininitPath, exists, newPath, asidePath))
        return true;
    DeleteFileA(newPath);
    return false;
}
