// Host benchmarks: the uninstaller's operations over the simulated Windows,
// each measured side by side with the host's own way of doing the same work
// on the same data. Every iteration builds its data untimed and times the
// operation alone (manual time); repetitions of all benchmarks are
// interleaved, and the summary at the end gives medians, the ratio of ours
// to the host's, and the cost per entry at each size.
//
// BENCH_WORK names the directory that holds the simulated drives (default:
// $TMPDIR or /tmp, then vantrell-bench-<pid>); it is wiped before and after.
#include <benchmark/benchmark.h>

#include "common/crt.h"
#include "common/registry.h"
#include "sim.h"
#include "uninstaller/uninstall.h"

#include <chrono>
#include <errno.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

std::string workRoot;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A fresh simulated machine for each run of an operation, so that nothing
// the simulation records (calls, attributes) piles up from run to run.
// Each kind of benchmark has a directory of its own.
void FreshMachine(const char* kind) { SimReset(workRoot + "/" + kind); }

// Directory trees ----------------------------------------------------------

const char kTree[] = "C:\\TREE\\";
// Deep trees: chains of this many levels, each level holding a file and the
// next level's directory; a chain is 2 * kChainDepth entries.
const int kChainDepth = 50;

enum Shape { kWide, kDeep };

void HostMkdir(const std::string& path) {
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        perror(path.c_str());
        abort();
    }
}

void HostTouch(const std::string& path) {
    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) {
        perror(path.c_str());
        abort();
    }
    close(fd);
}

// Builds the tree below C:\TREE\ straight on the host (not timed): entries
// files and directories in all, the top directory not counted.
void BuildTree(Shape shape, int entries) {
    FreshMachine("tree");
    std::string top = SimHostPath("C:\\TREE");
    std::error_code ignored;
    std::filesystem::remove_all(top, ignored);
    HostMkdir(top);
    char name[32];
    if (shape == kWide) {
        for (int i = 0; i < entries; ++i) {
            snprintf(name, sizeof name, "/f%06d.txt", i);
            HostTouch(top + name);
        }
        return;
    }
    for (int chain = 0; chain < entries / (2 * kChainDepth); ++chain) {
        snprintf(name, sizeof name, "/c%04d", chain);
        std::string dir = top + name;
        for (int level = 0; level < kChainDepth; ++level) {
            HostMkdir(dir);
            HostTouch(dir + "/f.txt");
            dir += "/d";
        }
    }
}

void TreeOurs(benchmark::State& state, Shape shape, int entries) {
    for (auto _ : state) {
        BuildTree(shape, entries);
        Clock::time_point start = Clock::now();
        RemoveDirectoryTree(kTree);
        state.SetIterationTime(Seconds(start));
        if (SimExists(kTree)) state.SkipWithError("the tree was not removed");
    }
    state.counters["entries"] = entries;
}

void TreeHost(benchmark::State& state, Shape shape, int entries) {
    for (auto _ : state) {
        BuildTree(shape, entries);
        std::string top = SimHostPath("C:\\TREE");
        Clock::time_point start = Clock::now();
        std::error_code error;
        std::uintmax_t removed = std::filesystem::remove_all(top, error);
        state.SetIterationTime(Seconds(start));
        if (error || removed != (std::uintmax_t)entries + 1) state.SkipWithError("the tree was not removed");
    }
    state.counters["entries"] = entries;
}

// Registry -----------------------------------------------------------------

const char kKeyParent[] = "Software\\Bench";
const char kKeyPath[] = "Software\\Bench\\Tree";

// A key with count values and count subkeys, each subkey empty.
void BuildKey(int count) {
    FreshMachine("registry");
    // NT, where a key with subkeys must be emptied first; the 95/98 family
    // deletes the tree in one call.
    SimSetFamily(SimWindowsNT);
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kKeyPath, &key) != ERROR_SUCCESS) abort();
    char name[32];
    const char data[] = "C:\\Program Files\\Vantrell\\value";
    for (int i = 0; i < count; ++i) {
        snprintf(name, sizeof name, "v%06d", i);
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)data, sizeof data);
        HKEY sub;
        snprintf(name, sizeof name, "k%06d", i);
        if (RegCreateKeyA(key, name, &sub) != ERROR_SUCCESS) abort();
        RegCloseKey(sub);
    }
    RegCloseKey(key);
}

void RegistryOurs(benchmark::State& state, int count) {
    for (auto _ : state) {
        BuildKey(count);
        HKEY parent;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kKeyParent, &parent) != ERROR_SUCCESS) abort();
        Clock::time_point start = Clock::now();
        RegDeleteKeyTree(parent, "Tree");
        state.SetIterationTime(Seconds(start));
        RegCloseKey(parent);
        if (SimRegKeyExists(HKEY_LOCAL_MACHINE, kKeyPath)) state.SkipWithError("the key was not deleted");
    }
    state.counters["entries"] = 2 * count;
}

// wininit.ini --------------------------------------------------------------

const char kWininit[] = "C:\\WINDOWS\\wininit.ini";
const char kCopyOfWininit[] = "C:\\WINDOWS\\wininit.cpy";
const int kWininitLines = 100000;

// A long section first and the [rename] section last: every line is
// examined before the entry goes in at the end.
const std::string& WininitText() {
    static std::string text;
    if (text.empty()) {
        text = "[boot]\r\n";
        char line[80];
        for (int i = 1; i < kWininitLines - 2; ++i) {
            snprintf(line, sizeof line, "setting%06d=the value of setting %d\r\n", i, i);
            text += line;
        }
        text += "[rename]\r\nNUL=C:\\OLD\\FIRST.DLL\r\n";
    }
    return text;
}

void PutWininit() {
    FreshMachine("wininit");
    std::ofstream file(SimHostPath(kWininit), std::ios::binary | std::ios::trunc);
    file.write(WininitText().data(), (std::streamsize)WininitText().size());
}

void BootDeleteOurs(benchmark::State& state) {
    for (auto _ : state) {
        PutWininit();
        Clock::time_point start = Clock::now();
        bool done = ScheduleDeleteAtBoot(kWininit, "C:\\WINDOWS\\SYSTEM\\", "VANTRELL.CPL");
        state.SetIterationTime(Seconds(start));
        if (!done) state.SkipWithError("ScheduleDeleteAtBoot failed");
    }
    state.counters["entries"] = kWininitLines;
}

// The floor: the same file read and written once, through the same
// streams, in blocks.
void BootDeleteFloor(benchmark::State& state) {
    std::vector<char> block(65536);
    for (auto _ : state) {
        PutWininit();
        Clock::time_point start = Clock::now();
        KitFile* in = KitOpen(kWininit, KIT_OPEN_READ);
        KitFile* out = KitOpen(kCopyOfWininit, KIT_OPEN_WRITE);
        size_t total = 0, length;
        while (in && out && (length = KitRead(block.data(), 1, block.size(), in)) > 0)
            total += KitWrite(block.data(), 1, length, out);
        if (in) KitClose(in);
        if (out) KitClose(out);
        DeleteFileA(kCopyOfWininit);
        state.SetIterationTime(Seconds(start));
        if (total != WininitText().size()) state.SkipWithError("the copy is short");
    }
    state.counters["entries"] = kWininitLines;
}

// File copy ----------------------------------------------------------------

const char kSource[] = "C:\\DATA\\source.bin";
const char kDestination[] = "C:\\DATA\\copy.bin";

void PutSource(long long bytes) {
    FreshMachine("copy");
    std::string host = SimHostPath(kSource);
    SimCreateDirectory("C:\\DATA");
    std::vector<char> block(1 << 20);
    unsigned state = 12345;
    for (char& c : block) c = (char)((state = state * 1103515245u + 12345u) >> 16);
    std::ofstream file(host, std::ios::binary | std::ios::trunc);
    for (long long left = bytes; left > 0; left -= (long long)block.size())
        file.write(block.data(), (std::streamsize)std::min<long long>(left, (long long)block.size()));
}

long long HostSize(const char* path) {
    struct stat st;
    return stat(SimHostPath(path).c_str(), &st) == 0 ? (long long)st.st_size : -1;
}

void CopyOurs(benchmark::State& state, long long bytes) {
    PutSource(bytes);
    for (auto _ : state) {
        DeleteFileA(kDestination);
        Clock::time_point start = Clock::now();
        int copied = CopyFileChunked(kSource, kDestination);
        state.SetIterationTime(Seconds(start));
        if (!copied || HostSize(kDestination) != bytes) state.SkipWithError("the copy failed");
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void CopyHost(benchmark::State& state, long long bytes) {
    PutSource(bytes);
    std::string from = SimHostPath(kSource), to = SimHostPath(kDestination);
    for (auto _ : state) {
        DeleteFileA(kDestination);
        Clock::time_point start = Clock::now();
        std::error_code error;
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
        state.SetIterationTime(Seconds(start));
        if (error || HostSize(kDestination) != bytes) state.SkipWithError("the copy failed");
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

// Registration and summary -------------------------------------------------

// Iterations per repetition: enough to time the small sizes, one for the
// large ones (whose data take longest to build).
int IterationsFor(long long size) { return size <= 1000 ? 10 : size <= 10000 ? 3 : 1; }

struct Pair {
    std::string label;  // case and size
    std::string ours, theirs;
    long long entries;  // 0: report bytes instead
    long long bytes;
};
std::vector<Pair> pairs;

// repetitions: 0 keeps --benchmark_repetitions.
template <class F>
void Add(const std::string& name, int iterations, F&& function, int repetitions = 0) {
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name.c_str(), std::forward<F>(function));
    b->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(iterations);
    if (repetitions) b->Repetitions(repetitions);
}

void RegisterAll() {
    const int sizes[] = {1000, 10000, 100000};
    for (Shape shape : {kWide, kDeep}) {
        const char* shapeName = shape == kWide ? "wide" : "deep";
        for (int n : sizes) {
            std::string base = std::string("tree/") + shapeName + "/" + std::to_string(n);
            // The largest trees take seconds to build: three repetitions.
            int repetitions = n >= 100000 ? 3 : 0;
            Add(base + "/ours", IterationsFor(n), [shape, n](benchmark::State& s) { TreeOurs(s, shape, n); },
                repetitions);
            Add(base + "/host", IterationsFor(n), [shape, n](benchmark::State& s) { TreeHost(s, shape, n); },
                repetitions);
            pairs.push_back(Pair{std::string("RemoveDirectoryTree, ") + shapeName + ", " + std::to_string(n) +
                                     " entries (vs std::filesystem::remove_all)",
                                 base + "/ours", base + "/host", n, 0});
        }
    }
    for (int n : {1000, 10000}) {
        std::string base = "registry/" + std::to_string(n);
        Add(base + "/ours", IterationsFor(n), [n](benchmark::State& s) { RegistryOurs(s, n); });
        pairs.push_back(Pair{"RegDeleteKeyTree, " + std::to_string(n) + " subkeys and " + std::to_string(n) +
                                 " values (simulated registry)",
                             base + "/ours", "", 2LL * n, 0});
    }
    Add("wininit/100000/ours", 3, BootDeleteOurs);
    Add("wininit/100000/floor", 3, BootDeleteFloor);
    pairs.push_back(Pair{"ScheduleDeleteAtBoot, wininit.ini of 100000 lines (vs read + write of the file)",
                         "wininit/100000/ours", "wininit/100000/floor", kWininitLines, 0});
    for (long long mb : {1LL, 256LL}) {
        long long bytes = mb << 20;
        std::string base = "copy/" + std::to_string(mb) + "MB";
        int iterations = mb == 1 ? 20 : 1;
        Add(base + "/ours", iterations, [bytes](benchmark::State& s) { CopyOurs(s, bytes); });
        Add(base + "/host", iterations, [bytes](benchmark::State& s) { CopyHost(s, bytes); });
        pairs.push_back(Pair{"CopyFileChunked, " + std::to_string(mb) + " MB (vs std::filesystem::copy_file)",
                             base + "/ours", base + "/host", 0, bytes});
    }
}

// Keeps the median of every benchmark's repetitions (seconds per iteration).
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medians;
    std::map<std::string, double> spreads;  // coefficient of variation of the repetitions
    std::map<std::string, std::string> errors;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) errors[run.run_name.function_name] = run.error_message;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && run.iterations > 0)
                medians[run.run_name.function_name] = run.real_accumulated_time / (double)run.iterations;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "cv")
                spreads[run.run_name.function_name] = run.real_accumulated_time;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string Time(double seconds) {
    char text[32];
    if (seconds >= 1)
        snprintf(text, sizeof text, "%.2f s", seconds);
    else if (seconds >= 1e-3)
        snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    else
        snprintf(text, sizeof text, "%.1f µs", seconds * 1e6);
    return text;
}

std::string Spread(const SummaryReporter& reporter, const std::string& name) {
    auto found = reporter.spreads.find(name);
    if (found == reporter.spreads.end()) return "";
    char text[16];
    snprintf(text, sizeof text, "%.0f%%", found->second * 100);
    return text;
}

void PrintSummary(const SummaryReporter& reporter) {
    printf("\n| Case | Ours (median) | Host (median) | Ours / host | Ours per entry | Host per entry | Spread (cv) ours / host |\n");
    printf("|---|---|---|---|---|---|---|\n");
    for (const Pair& pair : pairs) {
        auto ours = reporter.medians.find(pair.ours);
        auto theirs = pair.theirs.empty() ? reporter.medians.end() : reporter.medians.find(pair.theirs);
        if (ours == reporter.medians.end()) {
            printf("| %s | no result | | | | | |\n", pair.label.c_str());
            continue;
        }
        bool paired = theirs != reporter.medians.end();
        char ratio[32] = "", oursUnit[48] = "", theirsUnit[48] = "";
        if (paired) snprintf(ratio, sizeof ratio, "%.2f×", ours->second / theirs->second);
        if (pair.entries) {
            snprintf(oursUnit, sizeof oursUnit, "%.3f µs", ours->second / (double)pair.entries * 1e6);
            if (paired) snprintf(theirsUnit, sizeof theirsUnit, "%.3f µs", theirs->second / (double)pair.entries * 1e6);
        } else {
            snprintf(oursUnit, sizeof oursUnit, "%.0f MB/s", (double)pair.bytes / ours->second / 1e6);
            if (paired) snprintf(theirsUnit, sizeof theirsUnit, "%.0f MB/s", (double)pair.bytes / theirs->second / 1e6);
        }
        std::string spread = Spread(reporter, pair.ours);
        if (paired) spread += " / " + Spread(reporter, pair.theirs);
        printf("| %s | %s | %s | %s | %s | %s | %s |\n", pair.label.c_str(), Time(ours->second).c_str(),
               paired ? Time(theirs->second).c_str() : "", ratio, oursUnit, theirsUnit, spread.c_str());
    }
    for (const auto& error : reporter.errors) printf("ERROR in %s: %s\n", error.first.c_str(), error.second.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const char* work = getenv("BENCH_WORK");
    const char* tmp = getenv("TMPDIR");
    workRoot = work && *work ? work : std::string(tmp && *tmp ? tmp : "/tmp") + "/vantrell-bench-" + std::to_string(getpid());
    SimReset(workRoot);
    RegisterAll();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(workRoot, ignored);
    return reporter.errors.empty() ? 0 : 1;
}
