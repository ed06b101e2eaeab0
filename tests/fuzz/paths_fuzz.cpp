// The bounded text and path helpers, the command-line composition and tail,
// the uninstaller's record of directories, its install directory guard, the
// applet's localization library path and the registry string read into a
// buffer, with inputs and buffers of any length: each
// writes within its buffer (the sanitizers see every byte past it, since
// the buffers are exactly as large as the size given), terminates what it
// writes, and gives the result a model of its rule gives; what does not fit
// is refused as the helper says, never cut.
//
// Input: a selector byte, then the helper's arguments.
#include "fuzz_support.h"

#include "applet/applet.h"
#include "common/launch.h"
#include "common/registry.h"
#include "common/paths.h"
#include "common/text.h"
#include "sim.h"
#include "uninstaller/install_dir_guard.h"
#include "uninstaller/paths_record.h"
#include "uninstaller/uninstall.h"

#include <string.h>

#include <memory>
#include <string>

namespace {

// A heap buffer of exactly size bytes with content given byte by byte;
// AddressSanitizer reports any access past it.
struct ExactBuffer {
    explicit ExactBuffer(size_t size) : size(size), bytes(new char[size ? size : 1]) {}
    void Fill(const std::string& content) {
        for (size_t i = 0; i < size; ++i) bytes[i] = i < content.size() ? content[i] : 'Q';
    }
    std::string Content() const { return std::string(bytes.get(), size); }
    char* data() { return bytes.get(); }
    size_t size;
    std::unique_ptr<char[]> bytes;
};

// Content for a buffer of size bytes: text of nonzero bytes up to a
// terminator at length (no terminator at all when length == size), then
// stale bytes.
std::string BufferContent(FuzzInput& input, size_t size, size_t length) {
    std::string content = input.Bytes(size);
    content.resize(size, 'S');
    for (size_t i = 0; i < length && i < size; ++i)
        if (!content[i]) content[i] = 'Z';
    if (length < size) content[length] = 0;
    return content;
}

std::string Show(const std::string& s) { return Printable(s, 400); }

// The bytes up to the first terminator; the buffer must hold one.
std::string Terminated(const std::string& content, const std::string& report) {
    size_t end = content.find('\0');
    FUZZ_CHECK(end != std::string::npos, report + ": no terminator in " + Show(content));
    return content.substr(0, end);
}

void FuzzCopyCompose(FuzzInput& input, int which) {
    size_t size = input.Below(300);
    std::string first = AsCString(input.Text(300));
    std::string second = AsCString(input.Text(300));
    std::string third = AsCString(input.Text(300));
    bool withThird = input.Flag();
    ExactBuffer out(size);
    out.Fill(input.Bytes(size));
    std::string before = out.Content();

    int result;
    std::string whole;
    if (which == 0) {
        result = CopyText(out.data(), size, first.c_str());
        whole = first;
    } else {
        result = ComposeText(out.data(), size, first.c_str(), second.c_str(), withThird ? third.c_str() : 0);
        whole = first + second + (withThird ? third : "");
    }
    std::string report = (which ? "ComposeText " : "CopyText ") + Show(whole) + " into " + std::to_string(size);
    if (size == 0) {
        FUZZ_CHECK(result == 0, report);
        return;
    }
    std::string after = out.Content();
    size_t kept = whole.size() < size - 1 ? whole.size() : size - 1;
    FUZZ_CHECK(result == (whole.size() <= size - 1), report);
    FUZZ_CHECK(Terminated(after, report) == whole.substr(0, kept), report + " gave " + Show(after));
    // Past the terminator nothing is touched.
    FUZZ_CHECK(after.substr(kept + 1) == before.substr(kept + 1), report);
}

void FuzzAppend(FuzzInput& input) {
    size_t size = input.Below(300);
    size_t used = input.Below(size + 1);  // == size: no terminator
    std::string text = AsCString(input.Text(300));
    ExactBuffer out(size);
    out.Fill(BufferContent(input, size, used));
    std::string before = out.Content();

    int result = AppendText(out.data(), size, text.c_str());

    std::string report = "AppendText " + Show(text) + " to " + Show(before);
    std::string after = out.Content();
    if (size == 0) {
        FUZZ_CHECK(result == 0, report);
        return;
    }
    if (used == size) {  // unterminated: cut at the last byte, nothing added
        std::string expected = before;
        expected[size - 1] = 0;
        FUZZ_CHECK(result == 0 && after == expected, report + " gave " + Show(after));
        return;
    }
    size_t room = size - 1 - used;
    size_t copied = text.size() < room ? text.size() : room;
    FUZZ_CHECK(result == (copied == text.size()), report);
    FUZZ_CHECK(Terminated(after, report) == before.substr(0, used) + text.substr(0, copied),
               report + " gave " + Show(after));
    FUZZ_CHECK(after.substr(used + copied + 1) == before.substr(used + copied + 1), report);
}

void FuzzEquals(FuzzInput& input) {
    std::string a = AsCString(input.Text(100));
    std::string b = input.Flag() ? AsCString(input.Text(100)) : a;
    // Flip the case of some letters of b.
    for (char& c : b)
        if (((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && input.Flag()) c ^= 0x20;
    int result = EqualsIgnoringCase(a.c_str(), b.c_str());
    FUZZ_CHECK(result == (UpperAscii(a) == UpperAscii(b)), "EqualsIgnoringCase " + Show(a) + " " + Show(b));
}

void FuzzTrailingBackslash(FuzzInput& input) {
    size_t size = input.Below(300);
    size_t length = input.Below(size + 1);  // == size: no terminator
    ExactBuffer path(size);
    path.Fill(BufferContent(input, size, length));
    if (input.Flag() && length > 0) path.data()[length - 1] = '\\';
    std::string before = path.Content();

    int result = ApplyTrailingBackslash(path.data(), size);

    std::string report = "ApplyTrailingBackslash " + Show(before);
    std::string expected = before;
    int expectedResult = 0;
    if (length > 0 && length < size) {
        if (IsBackslashCharacter(before.substr(0, length), length - 1)) {
            expectedResult = 1;
        } else if (length + 2 <= size) {
            expected[length] = '\\';
            expected[length + 1] = 0;
            expectedResult = 1;
        }
    }
    FUZZ_CHECK(result == expectedResult, report);
    FUZZ_CHECK(path.Content() == expected, report + " gave " + Show(path.Content()));
}

void FuzzDirectoryOf(FuzzInput& input) {
    size_t size = input.Below(300);
    std::string path = AsCString(input.Text(400));
    ExactBuffer out(size);
    out.Fill(input.Bytes(size));
    std::string before = out.Content();

    int result = DirectoryOfPath(path.c_str(), out.data(), size);

    std::string report = "DirectoryOfPath " + Show(path) + " into " + std::to_string(size);
    if (size == 0) {
        FUZZ_CHECK(result == 0, report);
        return;
    }
    size_t last = LastBackslashCharacter(path);
    std::string directory = last == std::string::npos ? "" : path.substr(0, last + 1);
    bool fits = directory.size() + 1 <= size;
    std::string after = out.Content();
    FUZZ_CHECK(result == fits, report);
    FUZZ_CHECK(Terminated(after, report) == (fits ? directory : ""), report + " gave " + Show(after));
}

void FuzzLaunch(FuzzInput& input) {
    std::string directory = AsCString(input.Text(300));
    std::string program = AsCString(input.Text(300));
    std::string arguments = AsCString(input.Text(300));
    bool startFails = input.Flag();
    FreshMachine();
    // A planted program where an unquoted path with blanks would lead.
    SimWriteFile("C:\\Program.exe", "planted");
    if (startFails) SimFailCall("WinExec", ERROR_FILE_NOT_FOUND);

    int result = LaunchCommand(directory.c_str(), program.c_str(), arguments.c_str());

    std::string programPart = directory + program;
    bool quoted = programPart.find_first_of(" \t") != std::string::npos;
    std::string commandLine = (quoted ? "\"" + programPart + "\"" : programPart) + " " + arguments;
    std::string report = "LaunchCommand " + Show(commandLine);
    if (!IsFullPath(programPart.c_str()) || programPart.find('"') != std::string::npos ||
        commandLine.size() > COMMAND_LINE_SIZE - 1) {
        // Searched for, unquotable, or too long: not started at all.
        FUZZ_CHECK(result == 0 && SimCallCount("WinExec") == 0, report);
        return;
    }
    char drive = programPart[0];
    FUZZ_CHECK(programPart[0] == '\\' || ((drive | 0x20) >= 'a' && (drive | 0x20) <= 'z'), report);
    FUZZ_CHECK(SimCallCount("WinExec") == 1, report);
    // Only the program part's own file may start, never the planted one
    // in its place.
    std::string own = SimHostPath(programPart.c_str());
    bool exists = !own.empty() && SimExists(programPart.c_str()) && !SimIsDirectory(programPart.c_str());
    FUZZ_CHECK(result == (!startFails && exists), report);
    if (!startFails) {
        FUZZ_CHECK(SimLaunches().size() == 1 && SimLaunches()[0].commandLine == commandLine, report);
        FUZZ_CHECK(SimLaunches()[0].show == SW_SHOW, report);
        const std::string& started = SimLaunches()[0].program;
        FUZZ_CHECK(exists ? SimHostPath(started.c_str()) == own : started.empty(), report + ": started " + started);
    }
}

void FuzzCommandLineTail(FuzzInput& input) {
    bool none = input.Byte() == 0xFF;
    std::string commandLine = AsCString(input.Text(400));
    const char* line = none ? nullptr : commandLine.c_str();

    const char* tail = CommandLineTail(line);

    std::string report = "CommandLineTail " + Show(commandLine);
    FUZZ_CHECK(tail != nullptr, report);
    if (none) {
        FUZZ_CHECK(*tail == 0, report);
        return;
    }
    FUZZ_CHECK(tail >= line && tail <= line + commandLine.size(), report);
    // Blanks, the program name (to its closing quote, or to a blank), blanks.
    size_t at = commandLine.find_first_not_of(" \t");
    if (at == std::string::npos) at = commandLine.size();
    if (at < commandLine.size() && commandLine[at] == '"') {
        size_t close = commandLine.find('"', at + 1);
        at = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        at = commandLine.find_first_of(" \t", at);
        if (at == std::string::npos) at = commandLine.size();
    }
    at = commandLine.find_first_not_of(" \t", at);
    if (at == std::string::npos) at = commandLine.size();
    FUZZ_CHECK((size_t)(tail - line) == at, report + " gave offset " + std::to_string(tail - line));
}

// Fields of the record: terminated within the buffer; directories empty or
// ending with a backslash.
std::string Field(const char* field, const char* name, bool directory) {
    const void* end = memchr(field, 0, PATH_BUFFER_SIZE);
    FUZZ_CHECK(end != nullptr, std::string(name) + " has no terminator");
    std::string text(field);
    if (directory) FUZZ_CHECK(text.empty() || text.back() == '\\', std::string(name) + " " + Show(text));
    return text;
}

// What the platform answers for the short form of path, asked with room to
// spare; empty when it has none.
std::string PlatformShortForm(const std::string& path) {
    char answer[1024];
    DWORD length = GetShortPathNameA(path.c_str(), answer, sizeof answer);
    return length > 0 && length < sizeof answer ? std::string(answer, length) : std::string();
}

// A directory with its backslash added; empty when it cannot have one in a
// path buffer.
std::string WithBackslash(const std::string& directory) {
    if (directory.empty()) return "";
    if (IsBackslashCharacter(directory, directory.size() - 1)) return directory.size() < PATH_BUFFER_SIZE ? directory : "";
    return directory.size() + 1 < PATH_BUFFER_SIZE ? directory + "\\" : "";
}

// A directory query's answer as the record keeps it.
std::string QueriedDirectory(const std::string& answer, bool failed) {
    if (failed || answer.empty() || answer.size() >= PATH_BUFFER_SIZE) return "";
    return WithBackslash(answer);
}

void FuzzPathsRecord(FuzzInput& input) {
    unsigned failures = input.Byte();
    bool nt = input.Flag();
    std::string windowsDir = AsCString(input.Text(300));
    std::string systemDir = AsCString(input.Text(300));
    std::string modulePath = AsCString(input.Text(300));
    std::string shortName = AsCString(input.Text(300));
    bool createInstallDir = input.Flag();

    FreshMachine();
    SimSetFamily(nt ? SimWindowsNT : SimWindows98);
    SimSetWindowsDirectory(windowsDir.c_str());
    SimSetSystemDirectory(systemDir.c_str());
    SimSetModulePath(SimMainModule(), modulePath.c_str());
    size_t slash = LastBackslashCharacter(modulePath);
    std::string moduleDir = slash == std::string::npos ? "" : modulePath.substr(0, slash + 1);
    if (createInstallDir && !moduleDir.empty()) {
        SimCreateDirectory(moduleDir.c_str());
        if (!shortName.empty()) SimAddShortName(moduleDir.c_str(), shortName.c_str());
    }
    // What the record held before must not show through.
    memset(&UninstallPaths, 'Z', sizeof UninstallPaths);
    const char* ops[] = {"GetWindowsDirectoryA", "GetSystemDirectoryA", "GetModuleFileNameA", "GetShortPathNameA"};
    for (int i = 0; i < 4; ++i)
        if (failures & (1u << i)) SimFailCall(ops[i], ERROR_ACCESS_DENIED);

    int complete = FillUninstallPaths(SimMainModule());

    SimClearFailures();
    std::string report = "FillUninstallPaths windows " + Show(windowsDir) + " system " + Show(systemDir) +
                         " module " + Show(modulePath) + " short " + Show(shortName) + " failures " +
                         std::to_string(failures & 15);
    const UninstallPathsRecord& paths = UninstallPaths;
    std::string gotWindows = Field(paths.WindowsDir, "WindowsDir", true);
    std::string gotSystem = Field(paths.SystemDir, "SystemDir", true);
    std::string gotInstall = Field(paths.InstallDir, "InstallDir", true);
    std::string gotShort = Field(paths.InstallDirShort, "InstallDirShort", true);
    std::string gotWininit = Field(paths.WininitPath, "WininitPath", false);

    std::string expectedWindows = QueriedDirectory(windowsDir, failures & 1);
    std::string expectedSystem = QueriedDirectory(systemDir, failures & 2);
    // The module path is taken only when it fits whole.
    std::string expectedInstall =
        (failures & 4) || modulePath.size() >= PATH_BUFFER_SIZE ? "" : WithBackslash(moduleDir);
    std::string expectedWininit = expectedWindows + "wininit.ini";
    if (expectedWindows.empty() || expectedWininit.size() >= PATH_BUFFER_SIZE) expectedWininit = "";
    std::string expectedShort = expectedInstall;
    if (!expectedInstall.empty() && !(failures & 8)) {
        std::string answer = PlatformShortForm(expectedInstall);
        if (!answer.empty() && answer.size() < PATH_BUFFER_SIZE && !WithBackslash(answer).empty())
            expectedShort = WithBackslash(answer);
    }
    bool expectedComplete = !expectedWindows.empty() && !expectedSystem.empty() && !expectedInstall.empty();

    FUZZ_CHECK(gotWindows == expectedWindows, report + " WindowsDir " + Show(gotWindows));
    FUZZ_CHECK(gotSystem == expectedSystem, report + " SystemDir " + Show(gotSystem));
    FUZZ_CHECK(gotInstall == expectedInstall, report + " InstallDir " + Show(gotInstall));
    FUZZ_CHECK(gotShort == expectedShort, report + " InstallDirShort " + Show(gotShort));
    FUZZ_CHECK(gotWininit == expectedWininit, report + " WininitPath " + Show(gotWininit));
    FUZZ_CHECK(paths.IsWindowsNT == (nt ? 1 : 0), report);
    FUZZ_CHECK(complete == expectedComplete, report);
}

bool IsRootDirectory(const std::string& directory) {
    if (directory.size() >= 2 && directory[1] == ':') return directory.size() == 3 && directory[2] == '\\';
    if (directory.compare(0, 2, "\\\\") != 0) return false;
    // The backslashes that are characters of their own, after the "\\\\".
    std::vector<size_t> slashes;
    for (size_t at : CharacterStarts(directory))
        if (at >= 2 && directory[at] == '\\') slashes.push_back(at);
    if (slashes.empty()) return true;
    return slashes.size() == 1 || (slashes.size() == 2 && slashes[1] + 1 == directory.size());
}

// outer is inner or one of its parents, letters compared without case.
bool ContainsOrIs(const std::string& outer, const std::string& inner) {
    if (outer.empty() || inner.size() < outer.size()) return false;
    std::vector<size_t> starts = CharacterStarts(inner);
    bool boundary = inner.size() == outer.size();
    for (size_t start : starts) boundary = boundary || start == outer.size();
    return boundary && UpperAscii(inner.substr(0, outer.size())) == UpperAscii(outer);
}

bool HoldsFile(const std::string& directory, const char* name) {
    std::string path = directory + name;
    if (path.size() >= PATH_BUFFER_SIZE) return false;
    DWORD attributes = SimAttributes(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string BothFormsShort(const std::string& directory) {
    std::string answer = PlatformShortForm(directory);
    if (answer.empty() || answer.size() >= PATH_BUFFER_SIZE || WithBackslash(answer).empty()) return directory;
    return WithBackslash(answer);
}

void SetField(char* field, const std::string& text) {
    memcpy(field, text.c_str(), text.size() + 1);  // text is shorter than the field
}

void FuzzInstallDirGuard(FuzzInput& input) {
    // Directories as the record keeps them, from a few parts so that they
    // often contain one another.
    const char* const parts[] = {"C:\\", "c:\\", "WINDOWS\\", "windows\\", "SYSTEM\\", "Vantrell\\", "\\\\", "srv\\",
                                 "share\\", "PROGRA~1\\", "D:"};
    std::string fields[4];
    for (std::string& field : fields) {
        size_t count = input.Below(6);
        for (size_t i = 0; i < count; ++i) field += parts[input.Below(sizeof parts / sizeof parts[0])];
        if (input.Flag()) field += AsCString(input.Text(300));
        if (field.size() >= PATH_BUFFER_SIZE) field.resize(PATH_BUFFER_SIZE - 1);
    }
    unsigned marks = input.Byte();
    std::string shortOf = fields[input.Below(4)], shortForm = AsCString(input.Text(300));

    FreshMachine();
    const char* names[] = {"uninstal.000", "install.log"};
    for (int i = 0; i < 2; ++i) {
        std::string path = fields[2] + names[i];
        if (marks & (1u << i)) SimWriteFile(path.c_str(), names[i]);
        if (marks & (4u << i)) SimCreateDirectory(path.c_str());  // a directory of that name is no mark
    }
    for (int i = 0; i < 2; ++i)
        if (marks & (16u << i)) SimCreateDirectory(fields[i].c_str());
    if (!shortOf.empty() && !shortForm.empty()) SimAddShortName(shortOf.c_str(), shortForm.c_str());
    UninstallPathsRecord& paths = UninstallPaths;
    memset(&paths, 0, sizeof paths);
    SetField(paths.WindowsDir, fields[0]);
    SetField(paths.SystemDir, fields[1]);
    SetField(paths.InstallDir, fields[2]);
    SetField(paths.InstallDirShort, fields[3]);

    int removable = InstallDirIsRemovable();

    std::string report = "InstallDirIsRemovable windows " + Show(fields[0]) + " system " + Show(fields[1]) +
                         " install " + Show(fields[2]) + " short " + Show(fields[3]);
    bool expected = !fields[0].empty() && !fields[1].empty() && !fields[2].empty() &&
                    (HoldsFile(fields[2], names[0]) || HoldsFile(fields[2], names[1]));
    // The fresh machine names one shared folder: its temporary folder.
    const std::string temporary = "C:\\WINDOWS\\TEMP\\";
    const std::string kept[] = {fields[0], BothFormsShort(fields[0]), fields[1], BothFormsShort(fields[1]),
                                temporary, BothFormsShort(temporary)};
    for (const std::string& install : {fields[2], fields[3]}) {
        if (!expected) break;
        if (IsRootDirectory(install)) expected = false;
        for (const std::string& protectedDir : kept)
            if (ContainsOrIs(install, protectedDir)) expected = false;
    }
    FUZZ_CHECK(removable == (expected ? 1 : 0), report + " gave " + std::to_string(removable));
}

void FuzzLocalizationPath(FuzzInput& input) {
    std::string modulePath = AsCString(input.Text(300));
    bool present = input.Flag();
    FreshMachine();
    HMODULE applet = SimAddModule("C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL");
    SimSetModulePath(applet, modulePath.c_str());
    // The name the applet must ask for: its path less the last four
    // characters, then -LOC.DLL; nothing when its path may have been cut
    // or the result does not fit the 256-byte buffer.
    std::string wanted;
    std::vector<size_t> starts = CharacterStarts(modulePath);
    if (starts.size() > 4 && modulePath.size() < MODULE_PATH_SIZE) {
        wanted = modulePath.substr(0, starts[starts.size() - 4]) + "-LOC.DLL";
        if (wanted.size() >= MODULE_PATH_SIZE) wanted.clear();
    }
    HMODULE localization = present && !wanted.empty() ? SimAddModule(wanted.c_str()) : 0;
    AppletSettings.ResourceModule = applet;
    AppletSettings.LocalizationModule = (HMODULE)&input;  // stale

    LoadLocalizationModule();

    std::string report = "LoadLocalizationModule " + Show(modulePath);
    const std::vector<std::string>& requests = SimLoadLibraryRequests();
    if (wanted.empty()) {
        FUZZ_CHECK(requests.empty(), report + " asked for " + Show(requests.empty() ? "" : requests[0]));
        FUZZ_CHECK(AppletSettings.LocalizationModule == 0 && AppletSettings.ResourceModule == applet, report);
        return;
    }
    FUZZ_CHECK(requests.size() == 1 && requests[0] == wanted, report);
    FUZZ_CHECK(AppletSettings.LocalizationModule == localization, report);
    FUZZ_CHECK(AppletSettings.ResourceModule == (localization ? localization : applet), report);
    FreeLocalizationModule();
    FUZZ_CHECK(AppletSettings.LocalizationModule == 0, report);
    if (localization) FUZZ_CHECK(SimModuleReferences(localization) == 0, report);
}

// A registry string read into a buffer of any size: the value's bytes as
// stored (any length, with or without a terminator, zero bytes within).
void FuzzRegistryRead(FuzzInput& input) {
    unsigned shape = input.Byte();  // 1: no key, 2: no value, 4: the query fails
    size_t size = input.Below(300);
    std::string data = input.Text(400);
    const char kKey[] = "Software\\Quillon Software\\Vantrell";
    FreshMachine();
    if (!(shape & 1)) {
        HKEY key;
        FUZZ_CHECK(RegCreateKeyA(HKEY_LOCAL_MACHINE, kKey, &key) == ERROR_SUCCESS, "cannot arrange the key");
        if (!(shape & 2))
            RegSetValueExA(key, "InstallLocation", 0, REG_SZ, (const BYTE*)data.data(), (DWORD)data.size());
        RegCloseKey(key);
    }
    if (shape & 4) SimFailCall("RegQueryValueExA", ERROR_ACCESS_DENIED);
    ExactBuffer buffer(size);
    buffer.Fill(input.Bytes(size));
    std::string before = buffer.Content();

    int result = RegReadString(kKey, "InstallLocation", buffer.data(), (DWORD)size);

    std::string report = "RegReadString " + Show(data) + " into " + std::to_string(size) + ", shape " +
                         std::to_string(shape & 7);
    FUZZ_CHECK(SimRegOpenHandles() == 0, report);
    if (size == 0) {
        FUZZ_CHECK(result == 0, report);
        return;
    }
    // It fits with its terminator, stored or added.
    bool fits = !(shape & 7) && data.size() <= size && (data.size() < size || data.back() == 0);
    FUZZ_CHECK(result == (fits ? 1 : 0), report);
    std::string after = buffer.Content();
    FUZZ_CHECK(Terminated(after, report) == (fits ? AsCString(data) : ""), report + " gave " + Show(after));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    // Inputs of odd length run on a double-byte code page.
    FuzzCodePage(size % 2 ? 932 : 1252);
    switch (input.Byte() % 12) {
        case 0: FuzzCopyCompose(input, 0); break;
        case 1: FuzzAppend(input); break;
        case 2: FuzzCopyCompose(input, 1); break;
        case 3: FuzzEquals(input); break;
        case 4: FuzzTrailingBackslash(input); break;
        case 5: FuzzDirectoryOf(input); break;
        case 6: FuzzLaunch(input); break;
        case 7: FuzzCommandLineTail(input); break;
        case 8: FuzzPathsRecord(input); break;
        case 9: FuzzInstallDirGuard(input); break;
        case 10: FuzzLocalizationPath(input); break;
        case 11: FuzzRegistryRead(input); break;
    }
    return 0;
}
