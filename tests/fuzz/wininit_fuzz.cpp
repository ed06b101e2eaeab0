// ScheduleDeleteAtBoot over any old wininit.ini, any path to enter, and any
// one failure of the platform: on success the new file is the old one with
// one block inserted, the entry, where the boot-time reader finds it in a
// [rename] section; on failure the old file stays whole. Either way no
// file handle, heap block or stray file is left behind.
//
// Input: option byte, failure (operation, occurrence, whether the failure
// persists), disk space, directory and file name (length-prefixed, any
// bytes), then the old file's bytes.
#include "fuzz_support.h"
#include "tests/support/text_lines.h"

#include "sim.h"
#include "uninstaller/uninstall.h"

#include <string>
#include <vector>

namespace {

const char kWindowsDir[] = "C:\\WINDOWS";
const char kWininit[] = "C:\\WINDOWS\\wininit.ini";
const std::string kHeader = "[rename]\r\n";
const std::string kLineEnd = "\r\n";
// Blanks that fill a line's first piece (the piece limit less the header's
// length): the writer cannot yet tell whether such a line heads a section,
// so an entry still to be written goes before it.
const size_t kBlankRun = 254 - 8;

// The operations that the rewrite calls.
const char* const kOperations[] = {"GetTempFileNameA", "GetFileAttributesA", "CreateFileA", "ReadFile",  "WriteFile",
                                   "CloseHandle",      "MoveFileA",          "DeleteFileA", "HeapAlloc"};
const size_t kOperationCount = sizeof kOperations / sizeof kOperations[0];

enum Options { NO_WININIT = 1, READ_ONLY = 2, DISK_LIMIT = 4, FAILURE = 8 };

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A line as the boot-time reader takes it: its first byte after blanks is
// '[' for a section header.
size_t TextStart(const std::string& line) {
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at])) ++at;
    return at;
}

bool HeadsSection(const std::string& line) {
    size_t at = TextStart(line);
    return at < line.size() && line[at] == '[';
}

bool HeadsRenameSection(const std::string& line) {
    size_t at = TextStart(line);
    return UpperAscii(line.substr(at, kHeader.size() - 2)) == "[RENAME]";
}

bool StartsWithBlankRun(const std::string& line) {
    return line.size() >= kBlankRun && TextStart(line) >= kBlankRun;
}

// The file the rewrite must produce: the entry at the end of the first
// [rename] section (or before a line that starts with a run of blanks
// within it), else in a [rename] section of its own after the last line,
// which gets a line end first when it has none. A Ctrl-Z ends the text the
// reader sees; it and what follows it are kept after the entry.
struct Rewrite {
    std::string text;
    size_t entryAt;  // where the entry starts in it
};

Rewrite ExpectedWininit(bool exists, const std::string& old, const std::string& entry) {
    if (!exists) return Rewrite{kHeader + entry, kHeader.size()};
    size_t endOfText = old.find('\x1a');
    std::string text = old.substr(0, endOfText);
    std::string kept = endOfText == std::string::npos ? "" : old.substr(endOfText);
    std::vector<std::string> lines = Lines(text);
    std::string result;
    size_t entryAt = 0;
    bool inRename = false, written = false;
    for (const std::string& line : lines) {
        if (inRename && !written && (HeadsSection(line) || StartsWithBlankRun(line))) {
            entryAt = result.size();
            result += entry;
            written = true;
        }
        if (!written && HeadsSection(line)) inRename = HeadsRenameSection(line);
        result += line;
    }
    if (!written) {
        if (!text.empty() && text.back() != '\n') result += kLineEnd;
        if (!inRename) result += kHeader;
        entryAt = result.size();
        result += entry;
    }
    return Rewrite{result + kept, entryAt};
}

// The entry that starts at entryAt is a line of its own, before the first
// Ctrl-Z, and the section that governs it is a [rename] section.
bool EntryInRenameSection(const std::string& file, size_t entryAt, const std::string& entry) {
    std::string text = file.substr(0, file.find('\x1a'));
    bool inRename = false;
    size_t at = 0;
    for (const std::string& line : Lines(text)) {
        if (at == entryAt) return line == entry && inRename;
        if (HeadsSection(line)) inRename = HeadsRenameSection(line);
        at += line.size();
    }
    return false;
}

// old is a subsequence of result: every old byte stays, in order.
bool KeepsEveryByte(const std::string& old, const std::string& result) {
    size_t at = 0;
    for (char c : result)
        if (at < old.size() && old[at] == c) ++at;
    return at == old.size();
}

bool HasControlCharacter(const std::string& text) {
    for (char c : text)
        if ((unsigned char)c < 0x20) return true;
    return false;
}

// The files beside wininit.ini: temporary files the rewrite left behind.
std::vector<std::string> StrayFiles() {
    std::vector<std::string> stray;
    for (const std::string& name : SimListTree(kWindowsDir)) {
        std::string upper = UpperAscii(name);
        if (upper == "WININIT.INI" || upper.compare(0, 7, "SYSTEM\\") == 0) continue;
        stray.push_back(name);
    }
    return stray;
}

std::string Read(const std::string& windowsName) {
    std::string content;
    SimReadFile((std::string(kWindowsDir) + "\\" + windowsName).c_str(), &content);
    return content;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    unsigned options = input.Byte();
    const char* failingOp = kOperations[input.Below(kOperationCount)];
    int occurrence = (int)input.Below(64) + 1;
    bool persists = input.Flag();
    long long diskSpace = (long long)input.Below(4096);
    std::string directory = AsCString(input.Text(300));
    std::string fileName = AsCString(input.Text(40));
    std::string old = input.Rest();

    bool exists = !(options & NO_WININIT);
    bool readOnly = exists && (options & READ_ONLY);
    bool diskLimit = options & DISK_LIMIT;
    bool failure = options & FAILURE;

    FreshMachine();
    if (exists) SimWriteFile(kWininit, old);
    if (readOnly) SimSetAttributes(kWininit, FILE_ATTRIBUTE_READONLY);
    if (diskLimit) SimSetDiskSpace(diskSpace);
    if (failure) {
        if (persists)
            SimFailCallsFrom(failingOp, ERROR_ACCESS_DENIED, occurrence);
        else
            SimFailCall(failingOp, ERROR_ACCESS_DENIED, occurrence);
    }

    bool scheduled = ScheduleDeleteAtBoot(kWininit, directory.c_str(), fileName.c_str());

    SimClearFailures();
    SimSetDiskSpace(-1);
    const std::string path = directory + fileName;
    const std::string entry = "NUL=" + path + kLineEnd;
    const Rewrite rewrite = ExpectedWininit(exists, old, entry);
    const std::string& expected = rewrite.text;
    auto report = [&] {
        std::string text = "old " + Printable(old) + ", path " + Printable(path);
        if (failure)
            text += std::string(", failing ") + failingOp + " #" + std::to_string(occurrence) + (persists ? " on" : "");
        if (diskLimit) text += ", disk space " + std::to_string(diskSpace);
        return readOnly ? text + ", read-only" : text;
    };

    FUZZ_CHECK(SimOpenFileHandles() == 0, report());
    FUZZ_CHECK(SimHeapBlocks() == 0, report());

    bool failureHit = failure && SimCallCount(failingOp) >= occurrence;
    bool deleteFailed = failureHit && std::string(failingOp) == "DeleteFileA";
    bool pathUsable = path.size() < PATH_BUFFER_SIZE && !HasControlCharacter(path);
    bool room = !diskLimit || (long long)expected.size() <= diskSpace;
    std::string current;
    bool present = SimReadFile(kWininit, &current);
    std::vector<std::string> stray = StrayFiles();

    if (scheduled) {
        FUZZ_CHECK(pathUsable, report());
        FUZZ_CHECK(!readOnly, report());
        FUZZ_CHECK(present, report());
        FUZZ_CHECK(current == expected,
                   report() + "\n  got " + Printable(current) + "\n  expected " + Printable(expected));
        FUZZ_CHECK(KeepsEveryByte(exists ? old : "", current), report());
        FUZZ_CHECK(EntryInRenameSection(current, rewrite.entryAt, entry), report() + "\n  got " + Printable(current));
        // Only the old file, moved aside, may stay when its deletion failed.
        if (!stray.empty()) {
            FUZZ_CHECK(deleteFailed && exists && stray.size() == 1 && Read(stray[0]) == old,
                       report() + "\n  stray " + stray[0]);
        }
        FUZZ_CHECK(!(SimAttributes(kWininit) & FILE_ATTRIBUTE_READONLY), report());
        return 0;
    }

    // It fails only for a reason.
    FUZZ_CHECK(!pathUsable || readOnly || failureHit || !room, report());
    if (!exists) {
        FUZZ_CHECK(!present, report() + "\n  got " + Printable(current));
    } else if (present) {
        FUZZ_CHECK(current == old, report() + "\n  got " + Printable(current));
    } else {
        // Moved aside, and the move back failed too: the old file waits
        // whole under its fresh name.
        FUZZ_CHECK(failureHit && persists && std::string(failingOp) == "MoveFileA", report());
        FUZZ_CHECK(stray.size() == 1 && Read(stray[0]) == old, report());
        return 0;
    }
    // The new file goes (written whole or in part), and so does an empty
    // file reserving a name for the old one; they stay only when their
    // deletion failed.
    for (const std::string& name : stray) {
        std::string content = Read(name);
        FUZZ_CHECK(deleteFailed && expected.compare(0, content.size(), content) == 0,
                   report() + "\n  stray " + name + " " + Printable(content));
    }
    return 0;
}
