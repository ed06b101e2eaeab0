// Windows benchmarks: the uninstaller's operations, built from the same
// sources and with the same options as the deliverables, side by side with
// the platform's own operation on the same data. Each repetition builds the
// data afresh (not timed) before each side runs; the sides take turns in a
// rotating order, and the report gives medians, ratios ours/platform and
// the cost per entry. Beside the platform's operations run floors: the same
// files, or keys, deleted by the names they were made with, without any
// listing, which no removal of an unknown tree can beat.
//
//   wine_bench.exe <work directory> [full] [reps=<n>] [cases=<name>,...]
//
// By default the repetitions are few and the platform's side of the largest
// trees is left out, so that the run fits a few minutes even where Wine runs
// under an emulator; full runs every side at every size with more
// repetitions.
//
// The work directory (a Windows path) is created and emptied; the registry
// cases work below HKEY_CURRENT_USER\Software\VantrellBench. Results go to
// standard output as a Markdown table; each timing goes to standard error.
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/registry.h"
#include "uninstaller/uninstall.h"

namespace {

enum { MAX_SIDES = 5, MAX_REPS = 15 };

LARGE_INTEGER frequency;
char work[MAX_PATH];  // the work directory, with a trailing backslash
int full = 0;
int repsOverride = 0;
const char* only = 0;  // comma-separated case names

double Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

void Fail(const char* what) {
    fprintf(stderr, "wine_bench: %s (error %lu)\n", what, (unsigned long)GetLastError());
    fflush(stderr);
    ExitProcess(2);
}

void Path(char* out, const char* relative) {
    if (_snprintf(out, MAX_PATH, "%s%s", work, relative) >= MAX_PATH) Fail("path too long");
    out[MAX_PATH - 1] = 0;
}

int Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Writes bytes to a new file (replacing one that exists).
void WriteWhole(const char* path, const char* bytes, DWORD length) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) Fail(path);
    DWORD written = 0;
    while (length > 0) {
        DWORD piece = length < 1048576 ? length : 1048576;
        if (!WriteFile(file, bytes, piece, &written, 0) || written != piece) Fail("write");
        bytes += piece;
        length -= piece;
    }
    CloseHandle(file);
}

long long FileSize(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

// A benchmark case: data built before each timed run, and the sides that
// run on it.
struct Side {
    const char* name;
    int (*run)(long size);  // 1 when the operation did all of its work
};

struct Case {
    const char* name;
    const char* label;
    long size;     // entries, or bytes
    long entries;  // entries the operation handles (0: a copy, reported in MB/s)
    int reps;      // repetitions by default
    int fullReps;  // repetitions with full
    int oursOnly;  // by default the platform's side is left out
    void (*prepare)(long size);
    Side sides[MAX_SIDES];
};

// Directory trees -----------------------------------------------------------

// Deep trees: chains of this many levels, each level holding a file and the
// next level's directory; a chain is 2 * CHAIN_DEPTH entries.
enum { CHAIN_DEPTH = 50 };

char treeDir[MAX_PATH];  // ...\tree\ (trailing backslash)

void MakeDirectory(const char* path) {
    if (!CreateDirectoryA(path, 0)) Fail(path);
}

void MakeFile(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) Fail(path);
    CloseHandle(file);
}

void PrepareWide(long entries) {
    if (Exists(treeDir)) RemoveDirectoryTree(treeDir);
    MakeDirectory(treeDir);
    char path[MAX_PATH];
    for (long i = 0; i < entries; ++i) {
        sprintf(path, "%sf%06ld.txt", treeDir, i);
        MakeFile(path);
    }
}

void PrepareDeep(long entries) {
    if (Exists(treeDir)) RemoveDirectoryTree(treeDir);
    MakeDirectory(treeDir);
    char dir[MAX_PATH], file[MAX_PATH];
    for (long chain = 0; chain < entries / (2 * CHAIN_DEPTH); ++chain) {
        int length = sprintf(dir, "%sc%04ld", treeDir, chain);
        for (int level = 0; level < CHAIN_DEPTH; ++level) {
            MakeDirectory(dir);
            sprintf(file, "%s\\f.txt", dir);
            MakeFile(file);
            length += sprintf(dir + length, "\\d");
        }
    }
}

int TreeGone() {
    char plain[MAX_PATH];
    strcpy(plain, treeDir);
    plain[strlen(plain) - 1] = 0;
    return !Exists(plain);
}

int TreeOurs(long) {
    RemoveDirectoryTree(treeDir);
    return TreeGone();
}

int TreeShell(long) {
    // The list of names ends with an empty name.
    char from[MAX_PATH + 2];
    memset(from, 0, sizeof from);
    strcpy(from, treeDir);
    from[strlen(from) - 1] = 0;
    SHFILEOPSTRUCTA operation;
    memset(&operation, 0, sizeof operation);
    operation.wFunc = FO_DELETE;
    operation.pFrom = from;
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    int result = SHFileOperationA(&operation);
    return result == 0 && !operation.fAnyOperationsAborted && TreeGone();
}

// The floor: the same files deleted by the names they were made with and
// the directories removed deepest first, with no listing and no attribute
// calls.
int TreeFloorWide(long entries) {
    char path[MAX_PATH];
    for (long i = 0; i < entries; ++i) {
        sprintf(path, "%sf%06ld.txt", treeDir, i);
        if (!DeleteFileA(path)) return 0;
    }
    strcpy(path, treeDir);
    path[strlen(path) - 1] = 0;
    return RemoveDirectoryA(path) && TreeGone();
}

int TreeFloorDeep(long entries) {
    char dir[MAX_PATH], file[MAX_PATH];
    for (long chain = 0; chain < entries / (2 * CHAIN_DEPTH); ++chain) {
        int length = sprintf(dir, "%sc%04ld", treeDir, chain);
        for (int level = 1; level < CHAIN_DEPTH; ++level) length += sprintf(dir + length, "\\d");
        for (int level = CHAIN_DEPTH - 1; level >= 0; --level) {
            sprintf(file, "%s\\f.txt", dir);
            if (!DeleteFileA(file) || !RemoveDirectoryA(dir)) return 0;
            length -= level ? 2 : 0;
            dir[length] = 0;
        }
    }
    strcpy(dir, treeDir);
    dir[strlen(dir) - 1] = 0;
    return RemoveDirectoryA(dir) && TreeGone();
}

// Registry -------------------------------------------------------------------

HKEY benchKey;  // HKEY_CURRENT_USER\Software\VantrellBench
typedef LONG(WINAPI* RegDeleteTreeFunction)(HKEY, LPCSTR);
RegDeleteTreeFunction regDeleteTree;

// Wide: the key Tree with count values and count subkeys, each subkey
// empty. Deep: Tree holding chains of CHAIN_DEPTH keys, count keys in all,
// each key with one value and the next level's key.
const char kValueData[] = "C:\\Program Files\\Vantrell\\value";

void SetBenchValue(HKEY key, const char* name) {
    if (RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)kValueData, sizeof kValueData) != ERROR_SUCCESS)
        Fail("RegSetValueExA");
}

void PrepareKeyWide(long count) {
    SHDeleteKeyA(benchKey, "Tree");
    HKEY key;
    if (RegCreateKeyA(benchKey, "Tree", &key) != ERROR_SUCCESS) Fail("RegCreateKeyA");
    char name[32];
    for (long i = 0; i < count; ++i) {
        sprintf(name, "v%06ld", i);
        SetBenchValue(key, name);
        HKEY sub;
        sprintf(name, "k%06ld", i);
        if (RegCreateKeyA(key, name, &sub) != ERROR_SUCCESS) Fail("RegCreateKeyA");
        RegCloseKey(sub);
    }
    RegCloseKey(key);
}

void PrepareKeyDeep(long count) {
    SHDeleteKeyA(benchKey, "Tree");
    HKEY tree;
    if (RegCreateKeyA(benchKey, "Tree", &tree) != ERROR_SUCCESS) Fail("RegCreateKeyA");
    char name[32];
    for (long chain = 0; chain < count / CHAIN_DEPTH; ++chain) {
        HKEY parent = tree;
        sprintf(name, "c%04ld", chain);
        for (int level = 0; level < CHAIN_DEPTH; ++level) {
            HKEY key;
            if (RegCreateKeyA(parent, level ? "d" : name, &key) != ERROR_SUCCESS) Fail("RegCreateKeyA");
            SetBenchValue(key, "v");
            if (parent != tree) RegCloseKey(parent);
            parent = key;
        }
        RegCloseKey(parent);
    }
    RegCloseKey(tree);
}

int KeyGone() {
    HKEY key;
    if (RegOpenKeyA(benchKey, "Tree", &key) != ERROR_SUCCESS) return 1;
    RegCloseKey(key);
    return 0;
}

int KeyOurs(long) {
    RegDeleteKeyTree(benchKey, "Tree");
    return KeyGone();
}

int KeyShell(long) { return SHDeleteKeyA(benchKey, "Tree") == ERROR_SUCCESS && KeyGone(); }

int KeyDeleteTree(long) { return regDeleteTree(benchKey, "Tree") == ERROR_SUCCESS && KeyGone(); }

// The floor: each key deleted by the name it was made with, subkeys before
// their key, with no listing and no opening; a key without subkeys takes
// its values with it. Wide in the order of the names, and in the reverse
// order: the registry keeps subkeys in a sorted array, so the order
// decides where in the array each deletion works.
int KeyFloorWide(long count, int lastFirst) {
    HKEY tree;
    if (RegOpenKeyA(benchKey, "Tree", &tree) != ERROR_SUCCESS) return 0;
    char name[32];
    for (long i = 0; i < count; ++i) {
        sprintf(name, "k%06ld", lastFirst ? count - 1 - i : i);
        if (RegDeleteKeyA(tree, name) != ERROR_SUCCESS) break;
    }
    RegCloseKey(tree);
    return RegDeleteKeyA(benchKey, "Tree") == ERROR_SUCCESS && KeyGone();
}

int KeyFloorWideFirst(long count) { return KeyFloorWide(count, 0); }
int KeyFloorWideLast(long count) { return KeyFloorWide(count, 1); }

int KeyFloorDeep(long count) {
    HKEY tree;
    if (RegOpenKeyA(benchKey, "Tree", &tree) != ERROR_SUCCESS) return 0;
    char path[2 * CHAIN_DEPTH + 16];
    int done = 1;
    for (long chain = 0; done && chain < count / CHAIN_DEPTH; ++chain) {
        int length = sprintf(path, "c%04ld", chain);
        for (int level = 1; level < CHAIN_DEPTH; ++level) length += sprintf(path + length, "\\d");
        for (int level = CHAIN_DEPTH - 1; done && level >= 0; --level) {
            done = RegDeleteKeyA(tree, path) == ERROR_SUCCESS;
            length -= level ? 2 : 0;
            path[length] = 0;
        }
    }
    RegCloseKey(tree);
    return done && RegDeleteKeyA(benchKey, "Tree") == ERROR_SUCCESS && KeyGone();
}

// Single calls, to see where the time of a removal goes: on the deep key
// tree, 1000 of each call the removal makes, none of them deleting.
int CallsRefusedDelete(long count) {
    HKEY tree;
    if (RegOpenKeyA(benchKey, "Tree", &tree) != ERROR_SUCCESS) return 0;
    char name[32];
    int refused = 0;
    for (long i = 0; i < count; ++i) {
        sprintf(name, "c%04ld", i % (count / CHAIN_DEPTH));
        refused += RegDeleteKeyA(tree, name) != ERROR_SUCCESS;
    }
    RegCloseKey(tree);
    return refused == count;
}

int CallsOpenClose(long count) {
    HKEY tree;
    if (RegOpenKeyA(benchKey, "Tree", &tree) != ERROR_SUCCESS) return 0;
    char name[32];
    int opened = 0;
    for (long i = 0; i < count; ++i) {
        sprintf(name, "c%04ld", i % (count / CHAIN_DEPTH));
        HKEY key;
        if (RegOpenKeyA(tree, name, &key) == ERROR_SUCCESS) {
            ++opened;
            RegCloseKey(key);
        }
    }
    RegCloseKey(tree);
    return opened == count;
}

int CallsEnum(long count) {
    HKEY tree;
    if (RegOpenKeyA(benchKey, "Tree", &tree) != ERROR_SUCCESS) return 0;
    char name[256];
    int listed = 0;
    for (long i = 0; i < count; ++i) listed += RegEnumKeyA(tree, (DWORD)(i % (count / CHAIN_DEPTH)), name, sizeof name) == ERROR_SUCCESS;
    RegCloseKey(tree);
    return listed == count;
}

// Every directory of the deep tree listed once, as the removal lists it,
// without deleting anything.
int ListDeep(long entries) {
    char dir[MAX_PATH], pattern[MAX_PATH];
    for (long chain = 0; chain < entries / (2 * CHAIN_DEPTH); ++chain) {
        int length = sprintf(dir, "%sc%04ld", treeDir, chain);
        for (int level = 0; level < CHAIN_DEPTH; ++level) {
            sprintf(pattern, "%s\\*.*", dir);
            WIN32_FIND_DATAA found;
            HANDLE search = FindFirstFileA(pattern, &found);
            if (search == INVALID_HANDLE_VALUE) return 0;
            int seen = 1;
            while (FindNextFileA(search, &found)) ++seen;
            FindClose(search);
            if (seen != (level < CHAIN_DEPTH - 1 ? 4 : 3)) return 0;
            length += sprintf(dir + length, "\\d");
        }
    }
    return 1;
}

// File copy --------------------------------------------------------------------

char copySource[MAX_PATH], copyDestination[MAX_PATH];

void PrepareCopy(long bytes) {
    if (FileSize(copySource) != bytes) {
        char* data = (char*)malloc((size_t)bytes);
        if (!data) Fail("malloc");
        unsigned state = 12345;
        for (long i = 0; i < bytes; ++i) data[i] = (char)((state = state * 1103515245u + 12345u) >> 16);
        WriteWhole(copySource, data, (DWORD)bytes);
        free(data);
    }
    if (Exists(copyDestination) && !DeleteFileA(copyDestination)) Fail("DeleteFileA");
}

int CopyOurs(long bytes) { return CopyFileChunked(copySource, copyDestination) && FileSize(copyDestination) == bytes; }

int CopyPlatform(long bytes) { return CopyFileA(copySource, copyDestination, FALSE) && FileSize(copyDestination) == bytes; }

// wininit.ini ---------------------------------------------------------------------

char wininitDir[MAX_PATH], wininitPath[MAX_PATH], wininitCopy[MAX_PATH];
char* wininitText;
DWORD wininitLength;
const char kEntry[] = "NUL=C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL\r\n";

// A long section first and the [rename] section last: every line is
// examined before the entry goes in at the end.
void PrepareWininit(long lines) {
    if (!wininitText) {
        wininitText = (char*)malloc((size_t)lines * 64 + 64);
        if (!wininitText) Fail("malloc");
        int length = sprintf(wininitText, "[boot]\r\n");
        for (long i = 1; i < lines - 2; ++i)
            length += sprintf(wininitText + length, "setting%06ld=the value of setting %ld\r\n", i, i);
        length += sprintf(wininitText + length, "[rename]\r\nNUL=C:\\OLD\\FIRST.DLL\r\n");
        wininitLength = (DWORD)length;
    }
    WriteWhole(wininitPath, wininitText, wininitLength);
}

int WininitOurs(long) {
    return ScheduleDeleteAtBoot(wininitPath, "C:\\WINDOWS\\SYSTEM\\", "VANTRELL.CPL") &&
           FileSize(wininitPath) == (long long)wininitLength + (long long)(sizeof kEntry - 1);
}

// The floor: the same file read whole and written once to a new file beside
// it, which is then deleted.
int WininitFloor(long) {
    static char block[65536];
    HANDLE in = CreateFileA(wininitPath, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (in == INVALID_HANDLE_VALUE) return 0;
    HANDLE out = CreateFileA(wininitCopy, GENERIC_WRITE, 0, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, 0);
    if (out == INVALID_HANDLE_VALUE) {
        CloseHandle(in);
        return 0;
    }
    DWORD total = 0, got = 0, written = 0;
    while (ReadFile(in, block, sizeof block, &got, 0) && got > 0) {
        if (!WriteFile(out, block, got, &written, 0) || written != got) break;
        total += got;
    }
    CloseHandle(in);
    CloseHandle(out);
    return DeleteFileA(wininitCopy) && total == wininitLength;
}

// Running and reporting ---------------------------------------------------------

int CompareDoubles(const void* a, const void* b) {
    double x = *(const double*)a, y = *(const double*)b;
    return x < y ? -1 : x > y;
}

double Median(double* values, int count) {
    double sorted[MAX_REPS];
    memcpy(sorted, values, sizeof(double) * count);
    qsort(sorted, count, sizeof(double), CompareDoubles);
    return count % 2 ? sorted[count / 2] : (sorted[count / 2 - 1] + sorted[count / 2]) / 2;
}

void FormatTime(char* out, double seconds) {
    if (seconds >= 1)
        sprintf(out, "%.2f s", seconds);
    else
        sprintf(out, "%.2f ms", seconds * 1e3);
}

void FormatUnit(char* out, const Case& c, double seconds) {
    if (c.entries)
        sprintf(out, "%.2f us", seconds / (double)c.entries * 1e6);
    else
        sprintf(out, "%.0f MB/s", (double)c.size / seconds / 1e6);
}

void RunCase(const Case& c) {
    int sides = 0;
    while (sides < MAX_SIDES && c.sides[sides].name) ++sides;
    int allSides = sides;
    if (c.oursOnly && !full) sides = 1;
    int reps = repsOverride ? repsOverride : full || !c.reps ? c.fullReps : c.reps;
    if (reps > MAX_REPS) reps = MAX_REPS;
    double times[MAX_SIDES][MAX_REPS];
    double started = Now();
    for (int rep = 0; rep < reps; ++rep) {
        // Each side takes each place in the order in turn.
        for (int turn = 0; turn < sides; ++turn) {
            int side = (rep + turn) % sides;
            double preparing = Now();
            c.prepare(c.size);
            fprintf(stderr, "%s\tprepare\trep %d\t%.6f s\n", c.name, rep, Now() - preparing);
            double start = Now();
            int done = c.sides[side].run(c.size);
            double elapsed = Now() - start;
            if (!done) {
                fprintf(stderr, "wine_bench: %s: %s did not do its work\n", c.name, c.sides[side].name);
                fflush(stderr);
                ExitProcess(3);
            }
            times[side][rep] = elapsed;
            fprintf(stderr, "%s\t%s\trep %d\t%.6f s\n", c.name, c.sides[side].name, rep, elapsed);
        }
    }
    fflush(stderr);
    double ours = Median(times[0], reps);
    for (int side = sides; side < allSides; ++side) {
        char oursTime[32], oursUnit[32];
        FormatTime(oursTime, ours);
        FormatUnit(oursUnit, c, ours);
        printf("| %s | %s | %s | not run | | %s | |\n", c.label, c.sides[side].name, oursTime, oursUnit);
    }
    for (int side = 1; side < sides; ++side) {
        double theirs = Median(times[side], reps);
        char oursTime[32], theirsTime[32], oursUnit[32], theirsUnit[32];
        FormatTime(oursTime, ours);
        FormatTime(theirsTime, theirs);
        FormatUnit(oursUnit, c, ours);
        FormatUnit(theirsUnit, c, theirs);
        printf("| %s | %s | %s | %s | %.2fx | %s | %s |\n", c.label, c.sides[side].name, oursTime, theirsTime,
               ours / theirs, oursUnit, theirsUnit);
    }
    fflush(stdout);
    fprintf(stderr, "%s: %d repetitions in %.1f s\n", c.name, reps, Now() - started);
}

// Whether name is one of the comma-separated names of list.
int Listed(const char* list, const char* name) {
    size_t length = strlen(name);
    for (const char* at = list; *at;) {
        const char* end = strchr(at, ',');
        size_t itemLength = end ? (size_t)(end - at) : strlen(at);
        if (itemLength == length && strncmp(at, name, length) == 0) return 1;
        if (!end) break;
        at = end + 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: wine_bench <work directory> [full] [reps=<n>] [cases=<name>,...]\n");
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "full") == 0) full = 1;
        if (strncmp(argv[i], "reps=", 5) == 0) repsOverride = atoi(argv[i] + 5);
        if (strncmp(argv[i], "cases=", 6) == 0) only = argv[i] + 6;
    }
    QueryPerformanceFrequency(&frequency);
    strcpy(work, argv[1]);
    if (work[strlen(work) - 1] != '\\') strcat(work, "\\");
    if (Exists(work)) RemoveDirectoryTree(work);
    MakeDirectory(work);
    Path(treeDir, "tree\\");
    Path(copySource, "source.bin");
    Path(copyDestination, "copy.bin");
    Path(wininitDir, "windows");
    MakeDirectory(wininitDir);
    Path(wininitPath, "windows\\wininit.ini");
    Path(wininitCopy, "windows\\wininit.cpy");

    if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\VantrellBench", &benchKey) != ERROR_SUCCESS) Fail("bench key");
    regDeleteTree = (RegDeleteTreeFunction)(void*)GetProcAddress(GetModuleHandleA("advapi32.dll"), "RegDeleteTreeA");

    typedef const char* (*WineVersion)(void);
    WineVersion wineVersion = (WineVersion)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
    DWORD version = GetVersion();
    fprintf(stderr, "platform: Windows %lu.%lu%s%s; RegDeleteTreeA %s\n", (unsigned long)(version & 0xFF),
            (unsigned long)((version >> 8) & 0xFF), wineVersion ? ", Wine " : "", wineVersion ? wineVersion() : "",
            regDeleteTree ? "present" : "absent");

    // The platform's side that a default run may leave out comes last.
    const Side treeWideSides[MAX_SIDES] = {{"RemoveDirectoryTree", TreeOurs},
                                           {"deletion by name (floor)", TreeFloorWide},
                                           {"SHFileOperationA", TreeShell}};
    const Side treeDeepSides[MAX_SIDES] = {{"RemoveDirectoryTree", TreeOurs},
                                           {"deletion by name (floor)", TreeFloorDeep},
                                           {"SHFileOperationA", TreeShell}};
    const char* deleteTree = regDeleteTree ? "RegDeleteTreeA" : 0;
    // RegDeleteTreeA last: a side without a name ends the list.
    const Side keyWideSides[MAX_SIDES] = {{"RegDeleteKeyTree", KeyOurs},
                                          {"SHDeleteKeyA", KeyShell},
                                          {"RegDeleteKeyA by name, first first (floor)", KeyFloorWideFirst},
                                          {"RegDeleteKeyA by name, last first (floor)", KeyFloorWideLast},
                                          {deleteTree, KeyDeleteTree}};
    const Side keyDeepSides[MAX_SIDES] = {{"RegDeleteKeyTree", KeyOurs},
                                          {"SHDeleteKeyA", KeyShell},
                                          {"RegDeleteKeyA by name (floor)", KeyFloorDeep},
                                          {deleteTree, KeyDeleteTree}};
    const Side callSides[MAX_SIDES] = {{"RegDeleteKeyA, refused", CallsRefusedDelete},
                                       {"RegOpenKeyA + RegCloseKey", CallsOpenClose},
                                       {"RegEnumKeyA", CallsEnum}};
    const Side listingSides[MAX_SIDES] = {{"listing every directory", ListDeep},
                                          {"RemoveDirectoryTree", TreeOurs},
                                          {"deletion by name (floor)", TreeFloorDeep}};
    const Side copySides[MAX_SIDES] = {{"CopyFileChunked", CopyOurs}, {"CopyFileA", CopyPlatform}};
    const Side wininitSides[MAX_SIDES] = {{"ScheduleDeleteAtBoot", WininitOurs}, {"read + write", WininitFloor}};
    // By default: few repetitions, and the platform's side (or the whole
    // case) left out where one run takes many minutes under emulation. The
    // wide tree of 100000 files is made with full only: Wine looks for
    // another case of each new name through the whole directory, so making
    // a directory of n files costs n * n / 2 entries read.
    Case cases[] = {
        {"tree-wide-1000", "tree, wide, 1000 entries", 1000, 1000, 5, 7, 0, PrepareWide, {}},
        {"tree-wide-10000", "tree, wide, 10000 entries", 10000, 10000, 1, 5, 0, PrepareWide, {}},
        {"tree-wide-100000", "tree, wide, 100000 entries", 100000, 100000, 0, 3, 0, PrepareWide, {}},
        {"tree-deep-1000", "tree, deep, 1000 entries", 1000, 1000, 3, 7, 0, PrepareDeep, {}},
        {"tree-deep-10000", "tree, deep, 10000 entries", 10000, 10000, 1, 5, 1, PrepareDeep, {}},
        {"tree-deep-100000", "tree, deep, 100000 entries", 100000, 100000, 1, 3, 1, PrepareDeep, {}},
        {"registry-wide-1000", "key, wide, 1000 subkeys + 1000 values", 1000, 2000, 5, 7, 0, PrepareKeyWide, {}},
        {"registry-wide-10000", "key, wide, 10000 subkeys + 10000 values", 10000, 20000, 3, 5, 0, PrepareKeyWide, {}},
        {"registry-deep-1000", "key, deep, 1000 keys + 1000 values", 1000, 2000, 5, 7, 0, PrepareKeyDeep, {}},
        {"registry-deep-10000", "key, deep, 10000 keys + 10000 values", 10000, 20000, 3, 5, 0, PrepareKeyDeep, {}},
        // Where the time goes; only when named in cases=.
        {"calls-1000", "1000 calls on the deep key tree", 1000, 1000, 0, 3, 0, PrepareKeyDeep, {}},
        {"listing-deep-1000", "listing the deep tree, 1000 entries", 1000, 1000, 0, 3, 0, PrepareDeep, {}},
        {"copy-1MB", "copy, 1 MB", 1L << 20, 0, 11, 15, 0, PrepareCopy, {}},
        {"copy-256MB", "copy, 256 MB", 256L << 20, 0, 3, 5, 0, PrepareCopy, {}},
        {"wininit-100000", "wininit.ini, 100000 lines", 100000, 100000, 5, 7, 0, PrepareWininit, {}},
    };
    for (Case& c : cases) {
        int deep = strstr(c.name, "deep") != 0;
        const Side* sides = strncmp(c.name, "calls", 5) == 0     ? callSides
                            : strncmp(c.name, "listing", 7) == 0 ? listingSides
                            : strncmp(c.name, "tree", 4) == 0    ? (deep ? treeDeepSides : treeWideSides)
                            : strncmp(c.name, "registry", 8) == 0 ? (deep ? keyDeepSides : keyWideSides)
                            : strncmp(c.name, "copy", 4) == 0     ? copySides
                                                                  : wininitSides;
        memcpy(c.sides, sides, sizeof c.sides);
    }

    printf("| Case | Platform's operation | Ours (median) | Platform (median) | Ours / platform | Ours per entry | "
           "Platform per entry |\n|---|---|---|---|---|---|---|\n");
    fflush(stdout);
    for (const Case& c : cases) {
        if (only ? !Listed(only, c.name) : !full && !c.reps) continue;
        RunCase(c);
    }

    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VantrellBench");
    RegCloseKey(benchKey);
    RemoveDirectoryTree(work);
    return 0;
}
