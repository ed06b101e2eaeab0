// The machine of the uninstaller's campaigns: the product as its installer
// left it, other programs' files, keys and links around it, and how the
// machine is captured and compared before and after a run.
#ifndef TESTS_FAULT_UNINSTALL_MACHINE_H
#define TESTS_FAULT_UNINSTALL_MACHINE_H

#include "fault_report.h"
#include "tests/support/text_lines.h"
#include "tests/unit/machine.h"

#include <string.h>
#include <map>
#include <string>
#include <vector>

namespace uninstall_machine {

typedef std::vector<std::string> Names;

const char kUninstaller[] = "\"C:\\Program Files\\Vantrell\\UNINSTAL.EXE\"";
const char kInstallDir[] = "C:\\Program Files\\Vantrell\\";
const char kInstallDirShort[] = "C:\\PROGRA~1\\VANTRE~1\\";
const char kWininit[] = "C:\\WINDOWS\\wininit.ini";
// Other programs' sections around the [rename] section.
const char kOldWininit[] =
    "[boot]\r\nshell=explorer.exe\r\n[rename]\r\nNUL=C:\\OLD.TXT\r\n[386Enh]\r\ndevice=x.vxd\r\n";

const char kConfirmTitle[] = "Uninstall Quillon Vantrell?";
const char kConfirmText[] = "Are you sure you want to remove Quillon Vantrell and all of its components?\n";
const char kPrivilegesTitle[] = "Insufficient privledges!";
const char kPrivilegesText[] = "In order to uninstall this program you must have system administrator privledges.\n";
const char kFatalTitle[] = "Fatal Error!";
const char kNoDirectoriesText[] =
    "The uninstall could not find the Windows, system or install directory.\n\n"
    "Nothing has been changed.";
const char kInUseText[] =
    "The OpenGL DLL is currently in use.\n\n"
    "Please exit any applications that may be using it\n"
    "or reboot your system and run this program again.\n\n"
    "If you get this message again, run\n\n"
    "C:\\Program Files\\Vantrell\\uninstal.exe -norename\n\n"
    "from a MS-DOS prompt and this will not attempt to\n"
    "restore the original OpenGL DLL.";
const char kRestoreErrorTitle[] = "Uninstall Error!";
const char kRestoreErrorText[] =
    "The uninstall could not restore the original opengl32.dll.\n"
    "Please contact Quillon Technical Support at (555) 555-0142\n"
    "to report this problem and get help uninstalling this product.";
const char kSuccessTitle[] = "Success!";
const char kSuccessText[] = "Quillon Vantrell has been successfully removed from your system.";
const char kRestartTitle[] = "Uninstall Information";
const char kRestartText[] =
    "Quillon Vantrell has been successfully removed from your system.\n\n"
    "The Control Panel icon for Quillon Vantrell will be removed\n"
    "the next time you restart your system.";

const char kProductKey[] = "Software\\Quillon Software\\Vantrell";
const char kLtxKey[] = "Software\\Quillon Software\\LtxCplCmd";
const char kOtherKey[] = "Software\\Quillon Software\\Other Product";
// Other programs' keys with names close to the product's.
const char* const kForeignKeys[] = {kOtherKey, "Software\\Quillon Software\\Vantrell Tools",
                                    "Software\\Other Vendor\\Vantrell"};

struct Setting {
    const char* name;
    SimFamily family;
    bool noRename;
    bool heldApplet;  // the applet is loaded: deleted only at the next restart
    UINT codePage = 1252;  // 932: folders whose names end in the byte 0x5C
};

const Setting kSettings[] = {
    {"Windows 98", SimWindows98, false, false},
    {"NT", SimWindowsNT, false, false},
    {"Windows 98 -norename", SimWindows98, true, false},
    {"NT -norename", SimWindowsNT, true, false},
    {"Windows 98 held applet", SimWindows98, false, true},
    {"NT held applet", SimWindowsNT, false, true},
    {"Windows 98 code page 932", SimWindows98, false, false, 932},
    {"NT code page 932", SimWindowsNT, false, false, 932},
};

// ---- Paths ----

inline std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
    return text;
}

// How paths are compared: upper case, no trailing backslash.
inline std::string Key(const std::string& path) {
    std::string key = Upper(path);
    while (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

inline bool IsBelow(const std::string& key, const std::string& directoryKey) {
    return key.size() > directoryKey.size() && key.compare(0, directoryKey.size(), directoryKey) == 0 &&
           key[directoryKey.size()] == '\\';
}

inline std::string SystemDir(const Setting& s) {
    return s.family == SimWindowsNT ? "C:\\WINDOWS\\SYSTEM32\\" : "C:\\WINDOWS\\SYSTEM\\";
}

inline std::string CommandLine(const Setting& s) { return std::string(kUninstaller) + (s.noRename ? " -norename" : ""); }

inline std::string LibraryKey(const Setting& s) { return Key(SystemDir(s) + "opengl32.dll"); }
inline std::string BackupKey() { return Key(std::string(kInstallDir) + "opengl32.sav"); }
inline std::string AppletKey(const Setting& s) { return Key(SystemDir(s) + "VANTRELL.CPL"); }
inline std::string StagedKey(const Setting& s) { return Key(SystemDir(s) + "vtl_ogl.tmp"); }

// The calls of the streams that read files (their records and blocks are
// on the heap).
inline bool IsStreamOrHeapCall(const std::string& op) {
    return IsOneOf(op, {"CreateFileA", "ReadFile", "CloseHandle", "GetProcessHeap", "HeapAlloc", "HeapFree"});
}

// Links that users made inside the product's trees: to their own folders
// and files, up the tree, and to nothing.
struct Link {
    std::string path, target;
    bool directory;
};

inline std::vector<Link> Links(const Setting& s) {
    std::string corelay = SystemDir(s) + "corelay\\";
    return {
        {corelay + "saves", "C:\\Users\\Player\\Saves", true},
        {corelay + "lib\\notes.txt", "C:\\Users\\Player\\notes.txt", false},
        {corelay + "gone", "C:\\Users\\Player\\Gone", true},
        {std::string(kInstallDir) + "Screenshots", "C:\\Users\\Player\\Pictures", true},
        {std::string(kInstallDir) + "Programs", "C:\\Program Files", true},
    };
}

// On a double-byte code page, the product's folders named in it: Shift-JIS
// "ichiran-hyou" and "settei-hyou", each ending in the byte 0x5C.
inline std::vector<std::string> DoubleByteProductFiles(const Setting& s) {
    if (s.codePage != 932) return {};
    const std::string list = "\x88\xea\x97\x97\x95\x5c", settings = "\x90\xdd\x92\xe8\x95\x5c";
    return {SystemDir(s) + "corelay\\" + settings + "\\mode.cfg", std::string(kInstallDir) + list + "\\readme.txt"};
}

// What the installer placed, as InstallProduct does.
inline Names ProductKeys(const Setting& s) {
    Names keys;
    for (const char* name : {"opengl32.dll", "vtl_d3d.dll", "vtl_sw.dll", "tavrix.vxd", "lentix.dll", "VANTRELL.CPL",
                             "corelay", "corelay\\corelay.sys", "corelay\\lib", "corelay\\lib\\corelay.cfg"})
        keys.push_back(Key(SystemDir(s) + name));
    keys.push_back(Key(kInstallDir));
    for (const char* name :
         {"UNINSTAL.EXE", "uninstal.000", "install.log", "opengl32.fxa", "opengl32.fxb", "opengl32.sav"})
        keys.push_back(Key(std::string(kInstallDir) + name));
    // The links in the product's trees are the product's; what they point
    // to is not.
    for (const Link& link : Links(s)) keys.push_back(Key(link.path));
    for (const std::string& file : DoubleByteProductFiles(s)) {
        keys.push_back(Key(file));
        keys.push_back(Key(file.substr(0, file.rfind('\\'))));
    }
    return keys;
}

inline bool Contains(const Names& names, const std::string& name) {
    for (const std::string& n : names)
        if (n == name) return true;
    return false;
}

// What the product leaves after a run that nothing disturbed: the running
// uninstaller and its directory; without the restore the OpenGL files it
// would have dealt with; a held applet.
inline Names CleanRemains(const Setting& s) {
    Names keys{Key(kInstallDir), Key(std::string(kInstallDir) + "UNINSTAL.EXE"), LibraryKey(s)};
    if (s.noRename) {
        keys.push_back(Key(SystemDir(s) + "tavrix.vxd"));
        keys.push_back(Key(SystemDir(s) + "lentix.dll"));
        keys.push_back(BackupKey());
    }
    if (s.heldApplet) keys.push_back(AppletKey(s));
    return keys;
}

// Other programs' files, which no run may touch. Some have names or
// places close to the product's.
inline std::vector<std::pair<std::string, std::string>> ForeignFiles(const Setting& s) {
    std::string system = SystemDir(s);
    return {
        {"C:\\AUTOEXEC.BAT", "autoexec"},
        {"C:\\WINDOWS\\win.ini", "[windows]\r\n"},
        {system + "glu32.dll", "glu32"},
        {system + "opengl32.sav", "another program's backup"},
        {system + "corelay.ini", "another program's settings"},
        {system + "corelayx\\keep.sys", "keep"},
        {"C:\\Program Files\\Vantrell Tools\\tool.exe", "tool"},
        {"C:\\Program Files\\Other\\other.exe", "other"},
        {"C:\\Users\\Player\\Saves\\slot1.sav", "a saved game"},
        {"C:\\Users\\Player\\Saves\\old\\slot0.sav", "an older one"},
        {"C:\\Users\\Player\\notes.txt", "notes"},
        {"C:\\Users\\Player\\Pictures\\shot.bmp", "a screenshot"},
        // In the shared folders that the machine names (SharedFolders).
        {"C:\\Program Files\\Common Files\\Other Vendor\\shared.dll", "a shared library"},
        {"C:\\Users\\Player\\Desktop\\todo.txt", "on the desktop"},
        {"C:\\Users\\Player\\Documents\\letter.doc", "a letter"},
        {"C:\\Users\\Public\\Desktop\\everyone.txt", "on everyone's desktop"},
        {"C:\\Temp\\other.tmp", "another program's temporary file"},
    };
}

// The folders that others keep their files in, as the platform names them.
inline void NameSharedFolders() {
    const char* windowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    SimRegSetString(HKEY_LOCAL_MACHINE, windowsKey, "ProgramFilesDir", "C:\\Program Files");
    SimRegSetString(HKEY_LOCAL_MACHINE, windowsKey, "CommonFilesDir", "C:\\Program Files\\Common Files");
    SimRegSetString(HKEY_CURRENT_USER, shellFolders, "Desktop", "C:\\Users\\Player\\Desktop");
    SimRegSetString(HKEY_CURRENT_USER, shellFolders, "Personal", "C:\\Users\\Player\\Documents");
    SimRegSetString(HKEY_LOCAL_MACHINE, shellFolders, "Common Desktop", "C:\\Users\\Public\\Desktop");
    SimRegSetString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                    "ProfilesDirectory", "C:\\Users");
    SimSetEnvironmentVariable("USERPROFILE", "C:\\Users\\Player");
    SimSetTempPath("C:\\Temp\\");
}

// ---- The machine before and after ----

struct Entry {
    bool directory;
    std::string content;
    bool operator==(const Entry& other) const { return directory == other.directory && content == other.content; }
};
typedef std::map<std::string, Entry> Tree;  // by Key

inline Tree CaptureTree() {
    Tree tree;
    for (const std::string& relative : SimListTree("C:\\")) {
        std::string path = "C:\\" + relative;
        Entry entry{!relative.empty() && relative.back() == '\\', ""};
        if (!entry.directory) SimReadFile(path.c_str(), &entry.content);
        tree[Key(path)] = entry;
    }
    return tree;
}

typedef std::map<std::string, std::string> Registry;  // keys and values that exist

inline Registry CaptureRegistry() {
    static const struct {
        const char* key;
        const char* value;  // 0: the key alone
    } kEntries[] = {
        {kProductKey, "InstallLocation"},
        {kProductKey, "FileName"},
        {kProductKey, "Switch"},
        {"Software\\Quillon Software\\Vantrell\\Display", nullptr},
        {"Software\\Quillon Software\\Vantrell\\Display\\Modes", "Default"},
        {kLtxKey, "Command"},
        {kForeignKeys[0], "Keep"},
        {kForeignKeys[1], "Keep"},
        {kForeignKeys[2], "Keep"},
    };
    Registry registry;
    for (const auto& entry : kEntries) {
        if (SimRegKeyExists(HKEY_LOCAL_MACHINE, entry.key)) registry[entry.key] = "<key>";
        std::string value;
        if (entry.value && SimRegGetString(HKEY_LOCAL_MACHINE, entry.key, entry.value, &value))
            registry[std::string(entry.key) + " : " + entry.value] = value;
    }
    return registry;
}

struct Before {
    Tree tree;
    Registry registry;
};

inline Before Arrange(const Setting& s) {
    SimReset(SimulatedDrivesRoot());
    SimSetCodePage(s.codePage);
    InstallProduct(s.family);
    for (const std::string& file : DoubleByteProductFiles(s)) SimWriteFile(file.c_str(), "product");
    for (const auto& file : ForeignFiles(s)) SimWriteFile(file.first.c_str(), file.second);
    NameSharedFolders();
    for (const Link& link : Links(s)) SimCreateLink(link.path.c_str(), link.target.c_str(), link.directory);
    SimWriteFile(kWininit, kOldWininit);
    for (const char* key : kForeignKeys) SimRegSetString(HKEY_LOCAL_MACHINE, key, "Keep", "yes");
    if (s.heldApplet) SimSetInUse((SystemDir(s) + "VANTRELL.CPL").c_str(), ERROR_ACCESS_DENIED);
    SimAnswerMessageBoxes({IDYES});
    return Before{CaptureTree(), CaptureRegistry()};
}

inline std::string AppletEntry(const Setting& s) { return "NUL=" + SystemDir(s) + "VANTRELL.CPL\r\n"; }
inline std::string UninstallerEntry(bool longForm) {
    return std::string("NUL=") + (longForm ? kInstallDir : kInstallDirShort) + "UNINSTAL.EXE\r\n";
}

// Whether a file is entered for deletion at the next restart.
enum Presence { ABSENT, PRESENT, EITHER };

inline std::string Shown(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    return shown.size() > 160 ? shown.substr(0, 160) + "..." : shown;
}

inline std::string ContentOf(const Tree& tree, const std::string& key) {
    auto found = tree.find(key);
    return found == tree.end() ? "<absent>" : found->second.directory ? "<directory>" : found->second.content;
}

// wininit.ini is either as it was or the old text with whole NUL= lines
// added in a [rename] section: those are returned in entries.
inline void CheckWininit(const std::string& before, const std::string& after, Names* entries,
                  std::vector<std::string>* violations) {
    Names old = Lines(before), now = Lines(after);
    size_t i = 0;
    std::string section;
    for (const std::string& line : now) {
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '[')
            section = Upper(line.substr(first, line.find(']') - first + 1));
        if (i < old.size() && line == old[i]) {
            ++i;
            continue;
        }
        if (line.compare(0, 4, "NUL=") != 0 || line.size() < 6 || line.compare(line.size() - 2, 2, "\r\n") != 0) {
            violations->push_back("wininit.ini gained a line that is no entry: " + Shown(line));
            continue;
        }
        if (section != "[RENAME]") violations->push_back("wininit.ini entry outside [rename]: " + Shown(line));
        entries->push_back(line);
    }
    if (i < old.size()) violations->push_back("wininit.ini lost its text from: " + Shown(old[i]));
}

// entries: the applet's entry first when it is there, the uninstaller's,
// each as often as expected, nothing else.
inline void CheckEntries(Presence applet, Presence uninstaller, const Names& entries, const char* where,
                  const std::string& appletEntry, const std::string& uninstallerEntry,
                  std::vector<std::string>* violations) {
    const struct {
        const char* what;
        Presence presence;
        const std::string& entry;
    } expected[] = {{"the applet", applet, appletEntry}, {"the uninstaller", uninstaller, uninstallerEntry}};
    for (const auto& x : expected) {
        int count = 0;
        for (const std::string& entry : entries) count += entry == x.entry;
        if (count > 1 || (count == 1 && x.presence == ABSENT) || (count == 0 && x.presence == PRESENT))
            violations->push_back(std::string(where) + ": " + x.what + " entered " + std::to_string(count) +
                                  " times, expected " +
                                  (x.presence == PRESENT  ? "once"
                                   : x.presence == ABSENT ? "never"
                                                          : "at most once"));
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] != appletEntry && entries[i] != uninstallerEntry)
            violations->push_back(std::string(where) + " names another file: " + Shown(entries[i]));
        if (entries[i] == appletEntry && i > 0)
            violations->push_back(std::string(where) + ": the applet is not entered first");
    }
}

}  // namespace uninstall_machine

#endif
