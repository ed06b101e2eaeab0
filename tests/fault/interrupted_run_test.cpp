// Runs cut short. For every platform call of a clean run, the run stops
// right after that call, as a power loss or a killed process stops it (what
// the streams still held in their buffers in the process's memory is
// lost), and the uninstaller is then
// run again to its end on the machine left behind. At the stop and after
// the second run the platform's OpenGL library exists whole (in the system
// directory or as the backup), wininit.ini is whole, and nothing that is
// not the product's has changed; after the second run the product is gone
// as far as a clean run removes it. The stop after the last call is a
// complete run followed by a second one.
#include "fault_report.h"
#include "uninstall_machine.h"

#include <string>
#include <vector>

namespace {

using namespace uninstall_machine;

// The product's own work files, which a stop may leave for the next run.
Names WorkFileKeys(const Setting& s) {
    return {StagedKey(s), Key("C:\\WINDOWS\\wininit.vtn"), Key("C:\\WINDOWS\\wininit.vto")};
}

std::string WholeWininitOrWhy(const Tree& tree, const Setting& s, bool afterStop) {
    std::string wininit = ContentOf(tree, Key(kWininit));
    std::string aside = ContentOf(tree, Key("C:\\WINDOWS\\wininit.vto"));
    std::string text = wininit;
    if (wininit == "<absent>") {
        // The one moment without it: between the two renames that put the
        // new file in place, when the old one stands aside whole (the next
        // run puts it back).
        if (!afterStop || aside == "<absent>") return "wininit.ini is gone";
        text = aside;
    }
    Names entries;
    std::vector<std::string> violations;
    CheckWininit(kOldWininit, text, &entries, &violations);
    for (const std::string& entry : entries)
        if (entry != AppletEntry(s) && entry != UninstallerEntry(false))
            violations.push_back("wininit.ini names another file: " + Shown(entry));
    std::string why;
    for (const std::string& v : violations) why += (why.empty() ? "" : "; ") + v;
    return why;
}

// The invariants of every moment: the platform's library, wininit.ini,
// and other programs' files and keys.
void CheckSound(const Setting& s, const Before& before, bool afterStop, const char* when,
                std::vector<std::string>* v) {
    Tree tree = CaptureTree();
    std::string library = ContentOf(tree, LibraryKey(s)), backup = ContentOf(tree, BackupKey());
    if (library != kOriginalOpenGL && backup != kOriginalOpenGL)
        v->push_back(std::string(when) + ": the platform's OpenGL library is lost: opengl32.dll holds \"" +
                     Shown(library) + "\", the backup \"" + Shown(backup) + "\"");
    std::string why = WholeWininitOrWhy(tree, s, afterStop);
    if (!why.empty()) v->push_back(std::string(when) + ": " + why);

    Names productKeys = ProductKeys(s), work = WorkFileKeys(s);
    for (const auto& entry : before.tree) {
        if (Contains(productKeys, entry.first) || entry.first == Key(kWininit)) continue;
        auto now = tree.find(entry.first);
        if (now == tree.end())
            v->push_back(std::string(when) + ": deleted what is not the product's: " + entry.first);
        else if (!(now->second == entry.second))
            v->push_back(std::string(when) + ": changed what is not the product's: " + entry.first);
    }
    for (const auto& entry : tree)
        if (!before.tree.count(entry.first) && !(afterStop && Contains(work, entry.first)))
            v->push_back(std::string(when) + ": left behind: " + entry.first);
    Registry registry = CaptureRegistry();
    for (const auto& entry : before.registry) {
        bool foreign = false;
        for (const char* key : kForeignKeys) foreign = foreign || entry.first.compare(0, strlen(key), key) == 0;
        if (foreign && !registry.count(entry.first))
            v->push_back(std::string(when) + ": deleted what is not the product's: " + entry.first);
    }
    for (const auto& entry : registry)
        if (!before.registry.count(entry.first) || before.registry.at(entry.first) != entry.second)
            v->push_back(std::string(when) + ": registry entry written: " + entry.first);
}

// After the second run: what a clean run leaves, the library where it
// belongs, a closing box, and nothing held.
void CheckFinished(const Setting& s, int result, std::vector<std::string>* v) {
    if (result != 0 || SimExited()) v->push_back("the second run ended with exit code " + std::to_string(result));
    const std::vector<SimMessageBox>& boxes = SimMessageBoxes();
    std::string last = boxes.empty() ? "none" : boxes.back().title;
    if (boxes.size() != 2 || (last != kSuccessTitle && last != kRestartTitle))
        v->push_back("the second run's last box is \"" + last + "\" after " + std::to_string(boxes.size()) + " boxes");

    Tree tree = CaptureTree();
    std::string library = ContentOf(tree, LibraryKey(s));
    const char* wanted = s.noRename ? kProductOpenGL : kOriginalOpenGL;
    if (library != wanted) v->push_back("opengl32.dll holds \"" + Shown(library) + "\", expected \"" + wanted + "\"");
    Names allowed = CleanRemains(s);
    for (const std::string& key : ProductKeys(s)) {
        if (!tree.count(key)) continue;
        bool may = false;
        for (const std::string& a : allowed) may = may || key == a || IsBelow(key, a) || IsBelow(a, key);
        if (!may) v->push_back("the product's " + key + " stayed");
    }
    Registry registry = CaptureRegistry();
    for (const char* key : {kProductKey, kLtxKey})
        if (registry.count(key)) v->push_back(std::string("the product's key stayed: ") + key);
    // The restart list holds the two files only, and NT's its own list.
    Names pending;
    for (const SimPendingDeletion& deletion : SimPendingDeletions()) pending.push_back("NUL=" + deletion.path + "\r\n");
    for (const std::string& entry : pending)
        if (entry != AppletEntry(s) && entry != UninstallerEntry(false))
            v->push_back("entered for deletion at restart: " + Shown(entry));
    if (s.heldApplet) {
        Names entries;
        std::vector<std::string> ignored;
        CheckWininit(kOldWininit, ContentOf(tree, Key(kWininit)), &entries, &ignored);
        const Names& list = s.family == SimWindowsNT ? pending : entries;
        if (!Contains(list, AppletEntry(s)) || !Contains(list, UninstallerEntry(false)))
            v->push_back("the held applet and the uninstaller are not both entered for the restart");
    }
    const struct {
        const char* what;
        int count;
    } held[] = {{"file handles", SimOpenFileHandles()}, {"heap blocks", SimHeapBlocks()},
                {"searches", SimOpenSearches()},   {"registry handles", SimRegOpenHandles()},
                {"local blocks", SimLocalBlocks()}, {"security identifiers", SimLiveSids()}};
    for (const auto& h : held)
        if (h.count) v->push_back(std::to_string(h.count) + " " + h.what + " left held by the second run");
}

void PrintTo(const Setting& value, std::ostream* out) { *out << value.name; }

class InterruptedRuns : public ::testing::TestWithParam<Setting> {};

TEST_P(InterruptedRuns, RunAgainAfterAStopAtAnyCallLosesNothing) {
    const Setting& s = GetParam();
    Campaign campaign((std::string(s.name) + ", cut short and run again").c_str());

    Arrange(s);
    RunUninstaller(CommandLine(s).c_str());
    const std::vector<SimCall> log = SimCallLog();
    ASSERT_GT(log.size(), 20u);

    for (size_t calls = 1; calls <= log.size(); ++calls) {
        const SimCall& last = log[calls - 1];
        std::string description = std::string(s.name) + ": stopped after call " + std::to_string(calls) + " (" +
                                  last.op + (last.subject.empty() ? "" : " [" + last.subject + "]") + ")";
        if (!Campaign::Selected(description)) continue;
        campaign.Begin(description);
        std::vector<std::string> v;
        Before before = Arrange(s);
        SimStopAfterCalls((long long)calls);
        int first = RunUninstaller(CommandLine(s).c_str());
        bool stopped = SimStopped();
        SimStopAfterCalls(-1);
        if (!stopped && calls < log.size())
            v.push_back("the run ended (exit code " + std::to_string(first) + ") before its stop");
        SimEndProcess();
        CheckSound(s, before, true, "at the stop", &v);

        SimAnswerMessageBoxes({IDYES});
        int second = RunUninstaller(CommandLine(s).c_str());
        CheckSound(s, before, false, "after the second run", &v);
        CheckFinished(s, second, &v);
        SimEndProcess();
        campaign.End(v);
    }
    campaign.Finish();
}

INSTANTIATE_TEST_SUITE_P(Settings, InterruptedRuns, ::testing::ValuesIn(kSettings),
                         [](const ::testing::TestParamInfo<Setting>& info) {
                             std::string name;
                             for (const char* c = info.param.name; *c; ++c)
                                 name += isalnum((unsigned char)*c) ? *c : '_';
                             return name;
                         });

}  // namespace
