// Fault injection over the whole uninstall sequence. A clean run of each
// setting names every platform call it makes and what the call acts on;
// then each of those calls is made to fail in turn, alone, with each error
// that can make a difference, and the streams' disk is made to run full
// after every byte count up to what the run writes. Each run is checked
// against what the failing step must lead to (exit code, message boxes,
// what is removed) and against what no failure may do: lose the platform's
// OpenGL library or its backup, spoil wininit.ini, touch what is not the
// product's, leave a temporary file, or leave anything held.
#include "fault_report.h"
#include "uninstall_machine.h"
#include "tests/support/text_lines.h"
#include "tests/unit/machine.h"

#include <string.h>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace uninstall_machine;

struct Observed {
    int result;
    bool exited;
    std::vector<SimMessageBox> boxes;
    std::vector<SimLaunch> launches;
    Names pending;
    Tree tree;
    Registry registry;
    std::string output;
    int fileHandles, heapBlocks, searches, registryHandles, tokens, localBlocks, sids;
    bool impersonating;
    std::string injectedSubject;  // what the injected call acted on in this run
    bool injectedCallMade;
};


Observed Execute(const Setting& s, const Injection& injection) {
    if (!injection.op.empty()) SimFailCall(injection.op.c_str(), injection.error, injection.occurrence);
    if (injection.diskSpace >= 0) SimSetDiskSpace(injection.diskSpace);
    Observed o;
    o.result = RunUninstaller(CommandLine(s).c_str());
    o.exited = SimExited();
    SimClearFailures();
    o.boxes = SimMessageBoxes();
    o.launches = SimLaunches();
    for (const SimPendingDeletion& deletion : SimPendingDeletions()) o.pending.push_back(deletion.path);
    o.tree = CaptureTree();
    o.registry = CaptureRegistry();
    o.output = SimStandardOutput();
    o.fileHandles = SimOpenFileHandles();
    o.heapBlocks = SimHeapBlocks();
    o.searches = SimOpenSearches();
    o.registryHandles = SimRegOpenHandles();
    o.tokens = SimOpenTokens();
    o.localBlocks = SimLocalBlocks();
    o.sids = SimLiveSids();
    o.impersonating = SimImpersonating();
    o.injectedCallMade = false;
    int seen = 0;
    for (const SimCall& call : SimCallLog()) {
        if (call.op == injection.op && ++seen == injection.occurrence) {
            o.injectedCallMade = true;
            o.injectedSubject = call.subject;
            break;
        }
    }
    return o;
}

// ---- What a run must lead to ----

enum Outcome {
    REMOVED,            // confirmation, removal, "Success!" or "Uninstall Information", exit code 0
    NO_DIRECTORIES,     // "Fatal Error!" before anything, exit code 1
    NOT_ADMINISTRATOR,  // "Insufficient privledges!", exit code -1
    DECLINED,           // the confirmation alone, exit code 0
    RESTORE_IN_USE,     // the in-use "Fatal Error!", exit code 1
    RESTORE_ERROR,      // "Uninstall Error!", exit code 0
};

enum Library { PRODUCT_LIBRARY, ORIGINAL_LIBRARY, NO_LIBRARY };


struct Expectation {
    Outcome outcome = REMOVED;
    Library library = ORIGINAL_LIBRARY;                        // what the system directory's opengl32.dll holds
    bool successBox = true;                                    // REMOVED: "Success!", else "Uninstall Information"
    bool launched = true;                                      // the installer's uninstaller was started
    bool longInstallForm = false;                              // no short form of the install directory could be had
    bool keysMayStay = false;                                  // the product's keys may stay (in part)
    Names mayStay;                                             // product paths that may stay, with what lies below them
    Presence appletEntry = ABSENT, uninstallerEntry = ABSENT;  // for deletion at the next restart
    std::string mayBeLeftBehind;                               // a file whose deletion failed
    std::string releaseFailed;                                 // the release call that failed: its object may stay held
};

Expectation CleanExpectation(const Setting& s) {
    Expectation e;
    e.library = s.noRename ? PRODUCT_LIBRARY : ORIGINAL_LIBRARY;
    e.successBox = !s.heldApplet;
    e.appletEntry = e.uninstallerEntry = s.heldApplet ? PRESENT : ABSENT;
    return e;
}

size_t FindCall(const std::vector<SimCall>& log, size_t from, const char* op, const std::string& subjectKey) {
    for (size_t at = from; at < log.size(); ++at)
        if (log[at].op == op && (subjectKey.empty() || Key(log[at].subject) == subjectKey)) return at;
    return log.size();
}

// The last call of op before the call at before; log.size() when none.
size_t FindCallBefore(const std::vector<SimCall>& log, size_t before, const char* op) {
    for (size_t at = before; at-- > 0;)
        if (log[at].op == op) return at;
    return log.size();
}

// The directory a search pattern lists.
std::string SearchedDirectory(const std::string& pattern) {
    size_t slash = pattern.find_last_of('\\');
    return slash == std::string::npos ? pattern : pattern.substr(0, slash);
}

// What the failure of the call at log[at] must lead to, from the step the
// call belongs to. False (with why) for a call of no known step.
bool ExpectFailure(const Setting& s, const std::vector<SimCall>& log, size_t at, DWORD error, Expectation* e,
                   std::string* why) {
    *e = CleanExpectation(s);
    const std::string& op = log[at].op;
    const std::string subject = Key(log[at].subject);
    const size_t confirm = FindCall(log, 0, "MessageBoxA", Key(kConfirmTitle));
    const size_t launch = FindCall(log, confirm, "WinExec", "");
    const size_t appletDeletion = FindCall(log, launch, "DeleteFileA", AppletKey(s));
    const size_t finalBox = FindCall(log, appletDeletion, "MessageBoxA", "");
    if (finalBox >= log.size()) {
        *why = "the clean run did not reach its final message box";
        return false;
    }

    if (at < confirm) {  // the directories, the rights check (NT), the install directory's guard
        if (IsOneOf(op, {"GetWindowsDirectoryA", "GetSystemDirectoryA", "GetModuleFileNameA", "GetModuleFileNameW",
                         "WideCharToMultiByte", "MultiByteToWideChar"})) {
            e->outcome = NO_DIRECTORIES;
        } else if (op == "GetShortPathNameA" && subject == Key(kInstallDir)) {
            e->longInstallForm = true;
        } else if (op == "GetShortPathNameA" && (subject == Key("C:\\WINDOWS") || subject == Key(SystemDir(s)))) {
            // The guard compares the long forms all the same.
        } else if (IsOneOf(op, {"GetShortPathNameA", "RegOpenKeyExA", "RegQueryValueExA", "RegEnumValueA",
                                "GetEnvironmentVariableA", "ExpandEnvironmentStringsA", "GetTempPathA"})) {
            // A shared folder that cannot be told: the install directory is
            // not removed as a whole (what is the product's by name goes).
            e->mayStay.push_back(Key(kInstallDir));
        } else if (op == "RegCloseKey") {
            e->releaseFailed = op;
        } else if (op == "GetFileAttributesA") {
            // One mark of the installer's directory fails; the other still tells.
        } else if (IsOneOf(op, {"ImpersonateSelf", "OpenThreadToken", "OpenProcessToken", "AllocateAndInitializeSid",
                                "LocalAlloc", "InitializeSecurityDescriptor", "InitializeAcl", "AddAccessAllowedAce",
                                "SetSecurityDescriptorDacl", "SetSecurityDescriptorGroup", "SetSecurityDescriptorOwner",
                                "IsValidSecurityDescriptor", "AccessCheck"})) {
            // Without its own token the thread cannot pass the access check
            // either, and a descriptor without owner or group fails it.
            e->outcome = NOT_ADMINISTRATOR;
        } else if (IsOneOf(op, {"LocalFree", "FreeSid", "CloseHandle", "RevertToSelf"})) {
            e->releaseFailed = op;  // after the answer: it stands
        } else {
            *why = op + " before the confirmation";
            return false;
        }
        if (e->outcome != REMOVED) e->library = PRODUCT_LIBRARY;  // nothing has changed
        return true;
    }
    if (at == confirm) {
        e->outcome = DECLINED;  // a box that cannot be shown gives no Yes
        e->library = PRODUCT_LIBRARY;
        return true;
    }
    if (at < launch) {  // the boot-time list put right (95/98), the OpenGL restore
        // The copy of the backup begins with its opening, the allocation of
        // its stream before the backup is opened (before the staged copy
        // is); what comes before it compares the library with the backup.
        const size_t staging = FindCall(log, confirm, "CreateFileA", StagedKey(s));
        const size_t copyStart =
            staging < launch ? FindCallBefore(log, FindCallBefore(log, staging, "CreateFileA"), "HeapAlloc") : launch;
        if (op == "GetFileAttributesA" && subject == LibraryKey(s)) {
            // The access test of the library: it cannot be seen, or not as
            // writable.
            e->outcome = RESTORE_IN_USE;
            e->library = PRODUCT_LIBRARY;
        } else if (op == "GetFileAttributesA" && subject == BackupKey()) {
            // The backup cannot be seen: the product's library goes, nothing
            // replaces it, and the backup stays for a restore by hand.
            e->library = NO_LIBRARY;
            e->mayStay.push_back(BackupKey());
        } else if (op == "GetFileAttributesA") {
            // Nothing left by an earlier run to look for.
        } else if (op == "DeleteFileA" && subject == StagedKey(s)) {
            // No staged copy was left over.
        } else if (at < copyStart && IsStreamOrHeapCall(op)) {
            // The library and the backup cannot be compared: they are taken
            // to differ, and the restore runs as it would.
        } else if (op == "CloseHandle" && subject == BackupKey()) {
            // The backup has been read whole: closing it decides nothing.
        } else if (IsOneOf(op, {"GetTempFileNameA", "CreateFileA", "HeapAlloc", "SetFilePointer", "ReadFile",
                                "WriteFile", "CloseHandle"})) {
            e->outcome = RESTORE_IN_USE;  // the copy of the backup failed
            e->library = PRODUCT_LIBRARY;
        } else if (op == "DeleteFileA" && subject == LibraryKey(s)) {
            e->outcome = RESTORE_ERROR;
            e->library = PRODUCT_LIBRARY;
        } else if (op == "MoveFileA") {
            e->outcome = RESTORE_IN_USE;  // the library is gone, the copy could not take its name
            e->library = NO_LIBRARY;
        } else if (op == "DeleteFileA") {
            e->mayStay.push_back(subject);  // one of the product's OpenGL files
        } else {
            *why = op + " in the OpenGL restore";
            return false;
        }
        return true;
    }
    if (at == launch) {
        e->launched = false;
        return true;
    }
    if (at == appletDeletion) {
        e->mayStay.push_back(subject);
        // A platform that reports the applet gone is believed.
        e->successBox = error == ERROR_FILE_NOT_FOUND;
        e->appletEntry = e->uninstallerEntry = e->successBox ? ABSENT : PRESENT;
        return true;
    }
    if (at > appletDeletion && at < finalBox) {  // entering the applet and the uninstaller for the restart
        // On NT one call enters each file; on the 95/98 family the first
        // entry is made once the new wininit.ini has taken the old one's name.
        // Only the entry whose making failed may be missing.
        bool first;
        if (s.family == SimWindowsNT) {
            first = subject == AppletKey(s);
            (first ? e->appletEntry : e->uninstallerEntry) = op == "MoveFileExA" ? ABSENT : EITHER;
        } else {
            size_t firstMade = appletDeletion;
            do firstMade = FindCall(log, firstMade + 1, "MoveFileA", "");
            while (firstMade < finalBox && Key(log[firstMade].subject) == Key(kWininit));
            first = at <= firstMade;
            (first ? e->appletEntry : e->uninstallerEntry) = EITHER;
        }
        if (op == "DeleteFileA") e->mayBeLeftBehind = subject;
        return true;
    }
    if (at == finalBox) return true;  // a box that cannot be shown changes nothing else
    // The product's keys, the driver directory, the renderer libraries
    // and, after the final box, the install directory.
    if (IsStreamOrHeapCall(op)) {
        // The library cannot be compared with the backup: the backup stays.
        e->mayStay.push_back(BackupKey());
    } else if (op == "RegOpenKeyExA" && subject == Key(kProductKey)) {
        // Whether the product's key is gone cannot be told: the backup stays.
        e->mayStay.push_back(BackupKey());
    } else if (op.compare(0, 3, "Reg") == 0) {
        e->keysMayStay = true;
        if (op == "RegCloseKey") e->releaseFailed = op;
    } else if (op == "DeleteFileA" || op == "RemoveDirectoryA") {
        e->mayStay.push_back(subject);
    } else if (op == "FindFirstFileA" || op == "FindNextFileA") {
        e->mayStay.push_back(SearchedDirectory(subject));
    } else if (op == "SetFileAttributesA") {
        // The files are not read-only: they go all the same.
    } else {
        *why = op + " in the removal";
        return false;
    }
    return true;
}

// The streams may run out of room: the restore's copy needs the backup's
// size, each boot-time entry a whole new wininit.ini.
struct DiskNeeds {
    long long restore, firstEntry, secondEntry;
};


DiskNeeds NeedsOf(const Setting& s) {
    DiskNeeds needs{s.noRename ? 0 : (long long)strlen(kOriginalOpenGL), 0, 0};
    if (s.heldApplet && s.family == SimWindows98) {
        needs.firstEntry = (long long)(strlen(kOldWininit) + AppletEntry(s).size());
        needs.secondEntry = needs.firstEntry + (long long)UninstallerEntry(false).size();
    }
    return needs;
}

Expectation ExpectDiskSpace(const Setting& s, long long space) {
    Expectation e = CleanExpectation(s);
    DiskNeeds needs = NeedsOf(s);
    if (space < needs.restore) {
        e.outcome = RESTORE_IN_USE;
        e.library = PRODUCT_LIBRARY;
        e.appletEntry = e.uninstallerEntry = ABSENT;
        return e;
    }
    if (s.heldApplet && s.family == SimWindows98) {
        // A write that runs out of room has used what room there was.
        long long left = space - needs.restore;
        int entries = left >= needs.firstEntry + needs.secondEntry ? 2 : left >= needs.firstEntry ? 1 : 0;
        e.appletEntry = entries >= 1 ? PRESENT : ABSENT;
        e.uninstallerEntry = entries == 2 ? PRESENT : ABSENT;
    }
    return e;
}

// ---- Checks ----

struct Box {
    const char* title;
    std::string text;
    UINT style;
};

std::vector<Box> ExpectedBoxes(const Expectation& e) {
    const Box confirm{kConfirmTitle, kConfirmText, 0x2024};
    switch (e.outcome) {
    case REMOVED:
        return {confirm,
                e.successBox ? Box{kSuccessTitle, kSuccessText, 0x40} : Box{kRestartTitle, kRestartText, 0x40}};
    case NO_DIRECTORIES: return {Box{kFatalTitle, kNoDirectoriesText, 0x2030}};
    case NOT_ADMINISTRATOR: return {Box{kPrivilegesTitle, kPrivilegesText, 0x2030}};
    case DECLINED: return {confirm};
    case RESTORE_IN_USE: return {confirm, Box{kFatalTitle, kInUseText, 0x2030}};
    case RESTORE_ERROR: return {confirm, Box{kRestoreErrorTitle, kRestoreErrorText, 0x10}};
    }
    return {};
}

const char* OutcomeName(Outcome outcome) {
    static const char* const kNames[] = {"removal",  "no directories", "not an administrator",
                                         "declined", "restore in use", "restore error"};
    return kNames[outcome];
}


std::vector<std::string> Check(const Setting& s, const Before& before, const Observed& o, const Expectation& e,
                               const Injection& injection, const std::string& cleanSubject) {
    std::vector<std::string> v;
    const std::string what = OutcomeName(e.outcome);
    if (!injection.op.empty()) {
        if (!o.injectedCallMade)
            v.push_back("the injected call was not made: the run went another way before it");
        else if (o.injectedSubject != cleanSubject)
            v.push_back("the injected call acted on " + o.injectedSubject + ", not " + cleanSubject);
    }

    // Exit code and message boxes.
    int code = e.outcome == NOT_ADMINISTRATOR                                 ? -1
               : (e.outcome == NO_DIRECTORIES || e.outcome == RESTORE_IN_USE) ? 1
                                                                              : 0;
    bool exits = e.outcome == NO_DIRECTORIES || e.outcome == RESTORE_IN_USE || e.outcome == RESTORE_ERROR;
    if (o.result != code || o.exited != exits)
        v.push_back("expected " + what + ": exit code " + std::to_string(code) + (exits ? " by ExitProcess" : "") +
                    ", got " + std::to_string(o.result) + (o.exited ? " by ExitProcess" : ""));
    std::vector<Box> boxes = ExpectedBoxes(e);
    bool boxesMatch = boxes.size() == o.boxes.size();
    for (size_t i = 0; boxesMatch && i < boxes.size(); ++i)
        boxesMatch = o.boxes[i].owner == nullptr && o.boxes[i].title == boxes[i].title &&
                     o.boxes[i].text == boxes[i].text && o.boxes[i].style == boxes[i].style;
    if (!boxesMatch) {
        std::string seen, wanted;
        for (const SimMessageBox& box : o.boxes) seen += " \"" + box.title + "\"";
        for (const Box& box : boxes) wanted += std::string(" \"") + box.title + "\"";
        v.push_back("expected " + what + ": message boxes" + wanted + ", got" + (seen.empty() ? " none" : seen) +
                    " (or their text, style or owner differ)");
    }

    // The installer's uninstaller.
    std::string shortForm = e.longInstallForm ? kInstallDir : kInstallDirShort;
    // The program path holds a blank: it stands in quotes.
    std::string command = "\"" + std::string(kInstallDir) + "\\uninstal.000\" /S " + shortForm + "\\install.log";
    size_t launches = e.outcome == REMOVED && e.launched ? 1 : 0;
    if (o.launches.size() != launches)
        v.push_back(std::to_string(o.launches.size()) + " programs started, expected " + std::to_string(launches));
    else if (launches && (o.launches[0].commandLine != command || o.launches[0].show != SW_SHOW))
        v.push_back("started " + o.launches[0].commandLine + ", expected " + command);

    // The OpenGL library and its backup: never partial, never lost.
    const std::string library = ContentOf(o.tree, LibraryKey(s));
    const std::string backup = ContentOf(o.tree, BackupKey());
    const char* expectedLibrary = e.library == PRODUCT_LIBRARY    ? kProductOpenGL
                                  : e.library == ORIGINAL_LIBRARY ? kOriginalOpenGL
                                                                  : "<absent>";
    if (library != expectedLibrary)
        v.push_back("opengl32.dll holds \"" + Shown(library) + "\", expected \"" + expectedLibrary + "\"");
    if (library != kOriginalOpenGL && backup != kOriginalOpenGL)
        v.push_back("the platform's OpenGL library is lost: opengl32.dll holds \"" + Shown(library) +
                    "\" and the backup \"" + Shown(backup) + "\"");

    // Other programs' files stay as they were; nothing new is left behind.
    Names productKeys = ProductKeys(s);
    const std::string wininitKey = Key(kWininit);
    for (const auto& entry : before.tree) {
        if (Contains(productKeys, entry.first) || entry.first == wininitKey) continue;
        auto after = o.tree.find(entry.first);
        if (after == o.tree.end())
            v.push_back("deleted what is not the product's: " + entry.first);
        else if (!(after->second == entry.second))
            v.push_back("changed what is not the product's: " + entry.first);
    }
    for (const auto& entry : o.tree) {
        if (before.tree.count(entry.first) || entry.first == e.mayBeLeftBehind) continue;
        v.push_back("left behind: " + entry.first);
    }
    // The product's files go or stay; none is altered (but the library).
    for (const std::string& key : productKeys) {
        auto was = before.tree.find(key), now = o.tree.find(key);
        if (key == LibraryKey(s) || was == before.tree.end() || now == o.tree.end()) continue;
        if (!(was->second == now->second)) v.push_back("altered the product's " + key);
    }

    // The registry: other products' keys stay; nothing is written.
    for (const auto& entry : o.registry) {
        auto was = before.registry.find(entry.first);
        if (was == before.registry.end() || was->second != entry.second)
            v.push_back("registry entry written: " + entry.first);
    }
    for (const char* key : kForeignKeys)
        for (const auto& entry : before.registry)
            if (entry.first.compare(0, strlen(key), key) == 0 && !o.registry.count(entry.first))
                v.push_back("deleted what is not the product's: " + entry.first);
    // Only the rights check has something to say there (a failed access check).
    if (!o.output.empty() && e.outcome != NOT_ADMINISTRATOR)
        v.push_back("wrote to the standard output: " + Shown(o.output));

    // wininit.ini and the system's list of deletions at restart.
    auto wininitEntry = o.tree.find(wininitKey);
    if (wininitEntry == o.tree.end() || wininitEntry->second.directory) {
        v.push_back("wininit.ini is gone");
    } else {
        Names entries;
        CheckWininit(kOldWininit, wininitEntry->second.content, &entries, &v);
        // The 95/98 family's list is wininit.ini, NT's its own.
        bool removed = e.outcome == REMOVED, nt = s.family == SimWindowsNT;
        Presence applet = removed ? e.appletEntry : ABSENT, uninstaller = removed ? e.uninstallerEntry : ABSENT;
        // wininit.ini asks for the short form again when it enters a file:
        // a failed first query leaves the long form to the launch alone.
        CheckEntries(nt ? ABSENT : applet, nt ? ABSENT : uninstaller, entries, "wininit.ini", AppletEntry(s),
                     UninstallerEntry(false), &v);
        Names pending;
        for (const std::string& path : o.pending) pending.push_back("NUL=" + path + "\r\n");
        CheckEntries(nt ? applet : ABSENT, nt ? uninstaller : ABSENT, pending,
                     "the system's list of deletions at restart", AppletEntry(s), UninstallerEntry(e.longInstallForm),
                     &v);
    }

    if (e.outcome == REMOVED) {
        // As far as the failure allows, the product is gone.
        Names allowed = CleanRemains(s);
        allowed.insert(allowed.end(), e.mayStay.begin(), e.mayStay.end());
        for (const std::string& key : productKeys) {
            if (!o.tree.count(key)) continue;
            bool may = false;
            for (const std::string& a : allowed) may = may || key == a || IsBelow(key, a) || IsBelow(a, key);
            if (!may) v.push_back("the product's " + key + " stayed");
        }
        if (!e.keysMayStay)
            for (const char* key : {kProductKey, kLtxKey})
                if (o.registry.count(key)) v.push_back(std::string("the product's key stayed: ") + key);
        bool appletGone = !o.tree.count(AppletKey(s));
        if (!e.successBox && appletGone) v.push_back("\"Uninstall Information\" although the applet is gone");
        if (e.successBox && !appletGone && !Contains(e.mayStay, AppletKey(s)))
            v.push_back("\"Success!\" although the applet stays");
    } else {
        // Nothing has changed, but what the failed restore may leave.
        Tree expected = before.tree;
        if (e.library == NO_LIBRARY) expected.erase(LibraryKey(s));
        for (const auto& entry : expected) {
            auto now = o.tree.find(entry.first);
            if (now == o.tree.end())
                v.push_back("expected " + what + " with nothing changed, but " + entry.first + " is gone");
            else if (!(now->second == entry.second))
                v.push_back("expected " + what + " with nothing changed, but " + entry.first + " changed");
        }
        if (o.registry != before.registry)
            v.push_back("expected " + what + " with nothing changed, but the registry changed");
    }

    // Nothing held. A release call that failed may leave its one object.
    const struct {
        const char* what;
        int count;
        const char* release;
    } held[] = {
        {"file handles", o.fileHandles, nullptr},
        {"heap blocks", o.heapBlocks, nullptr},
        {"searches", o.searches, nullptr},
        {"registry handles", o.registryHandles, "RegCloseKey"},
        {"tokens", o.tokens, "CloseHandle"},
        {"local blocks", o.localBlocks, "LocalFree"},
        {"security identifiers", o.sids, "FreeSid"},
    };
    for (const auto& h : held) {
        int allowed = h.release && e.releaseFailed == h.release ? 1 : 0;
        if (h.count > allowed) v.push_back(std::to_string(h.count) + " " + h.what + " left held");
    }
    if (o.impersonating && e.releaseFailed != "RevertToSelf") v.push_back("the thread still impersonates");
    return v;
}

// ---- The campaign ----

void PrintTo(const Setting& value, std::ostream* out) { *out << value.name; }

class UninstallFaults : public ::testing::TestWithParam<Setting> {};

TEST_P(UninstallFaults, EveryCallFailingInTurnKeepsTheMachineSound) {
    const Setting& s = GetParam();
    Campaign campaign(s.name);

    // The clean run: what it must do, and which calls it makes.
    std::string description = Describe(s.name, Injection());
    campaign.Begin(description);
    Before before = Arrange(s);
    Observed clean = Execute(s, Injection());
    const std::vector<SimCall> log = SimCallLog();
    if (Campaign::Selected(description))
        campaign.End(Check(s, before, clean, CleanExpectation(s), Injection(), ""));
    else
        campaign.Leave();
    for (const std::string& op : SimCalledOperations()) {
        int logged = 0;
        for (const SimCall& call : log) logged += call.op == op;
        ASSERT_EQ(SimCallCount(op.c_str()), logged) << op;
    }

    // Each call failing alone.
    std::map<std::string, int> occurrences;
    for (size_t at = 0; at < log.size(); ++at) {
        const SimCall& call = log[at];
        int occurrence = ++occurrences[call.op];
        if (CannotFail(call.op)) continue;
        for (DWORD error : ErrorsFor(call.op)) {
            Injection injection;
            injection.op = call.op;
            injection.occurrence = occurrence;
            injection.error = error;
            injection.subject = call.subject;
            description = Describe(s.name, injection);
            if (!Campaign::Selected(description)) continue;
            campaign.Begin(description);
            Expectation e;
            std::string why;
            if (!ExpectFailure(s, log, at, error, &e, &why)) {
                campaign.End({"no known step makes this call: " + why});
                continue;
            }
            before = Arrange(s);
            Observed o = Execute(s, injection);
            campaign.End(Check(s, before, o, e, injection, call.subject));
        }
    }

    // The disk running full after each byte count up to all the run writes.
    DiskNeeds needs = NeedsOf(s);
    for (long long space = 0; space <= needs.restore + needs.firstEntry + needs.secondEntry; ++space) {
        Injection injection;
        injection.diskSpace = space;
        description = Describe(s.name, injection);
        if (!Campaign::Selected(description)) continue;
        campaign.Begin(description);
        before = Arrange(s);
        Observed o = Execute(s, injection);
        campaign.End(Check(s, before, o, ExpectDiskSpace(s, space), injection, ""));
    }
    campaign.Finish();
}

INSTANTIATE_TEST_SUITE_P(Settings, UninstallFaults, ::testing::ValuesIn(kSettings),
                         [](const ::testing::TestParamInfo<Setting>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += isalnum((unsigned char)*c) ? *c : '_';
                             return name;
                         });

}  // namespace
