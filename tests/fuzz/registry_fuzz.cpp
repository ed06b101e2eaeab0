// Registry tree deletion (RegDeleteKeyTree, RegDeleteSubtree,
// RegDeleteAllValues) over trees built from the input, with entries whose
// deletion the platform refuses and any number of injected failures. Every
// run must end within a number of registry calls linear in the tree, close
// every handle it opened, touch nothing outside its key, and delete
// exactly what the platform lets go: everything but refused entries, the
// keys above them, and names too long to enumerate (which the platform
// never makes). After injected failures a second run must get that far.
// Each input runs on both families: NT refuses to delete a key with
// subkeys, the 95/98 family deletes the tree below it in the same call
// (unless a key in it is refused), which takes names too long to
// enumerate with it.
// RegCloseKey is not made to fail: a close that fails leaves its handle
// open whatever the caller does.
//
// Input: the operation and the name it is given, the failures, then
// commands that build the tree (create a key, set a value, refuse the
// deletion of a key or a value), each with a path of a few names.
#include "fuzz_support.h"

#include "common/registry.h"
#include "sim.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const char kRoot[] = "Software\\Fuzz";  // below HKEY_LOCAL_MACHINE
const char kTarget[] = "Target";         // the key the operations work on
const char kOutside[] = "Outside";       // a sibling that must stay
const size_t kNameBufferSize = 256;      // the helpers' name buffers

const char* const kNames[] = {"A", "a", "B", "Sub", "SUB", "Display", "Modes", "x y", "Target", "", "\xE9t\xE9"};
const size_t kNameCount = sizeof kNames / sizeof kNames[0];

const char* const kOperations[] = {"RegOpenKeyA", "RegEnumKeyA", "RegEnumValueA", "RegDeleteValueA", "RegDeleteKeyA"};
const DWORD kErrors[] = {ERROR_ACCESS_DENIED, ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS, ERROR_KEY_DELETED,
                         ERROR_INVALID_HANDLE, ERROR_FILE_NOT_FOUND};

enum Operation { KEY_TREE, SUBTREE, ALL_VALUES };

// The fuzzer's own picture of the tree: keys and values by their
// upper-case paths ("SOFTWARE\FUZZ\TARGET\A", value "...\A|NAME").
struct Model {
    std::set<std::string> keys;                 // upper-case paths
    std::map<std::string, std::string> values;  // upper-case key path + '|' + upper-case name -> key path
    std::set<std::string> refusedKeys, refusedValues;
};

std::string Upper(const std::string& s) { return UpperAscii(s); }

void AddKeyPath(Model& model, const std::string& path) {
    std::string prefix;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        prefix += (prefix.empty() ? "" : "\\") + path.substr(start, end - start);
        if (prefix.size() >= sizeof kRoot - 1) model.keys.insert(Upper(prefix));  // from kRoot down
        start = end + 1;
    }
}

std::string ValueId(const std::string& keyPath, const std::string& name) { return Upper(keyPath) + "|" + Upper(name); }

std::string LastName(const std::string& upperPath) { return upperPath.substr(upperPath.rfind('\\') + 1); }

std::string Parent(const std::string& upperPath) { return upperPath.substr(0, upperPath.rfind('\\')); }

bool Below(const std::string& path, const std::string& key) {
    return path.size() > key.size() && path.compare(0, key.size(), key) == 0 && path[key.size()] == '\\';
}

// Reads the tree below kRoot through the platform's own enumeration, with
// buffers large enough for any name.
void Snapshot(HKEY key, const std::string& path, std::set<std::string>* out) {
    out->insert(Upper(path));
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key, i, name, &length, 0, 0, 0, 0) != ERROR_SUCCESS) break;
        out->insert(ValueId(path, name));
    }
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof name) == ERROR_SUCCESS; ++i) {
        HKEY sub;
        std::string subPath = path + "\\" + name;
        FUZZ_CHECK(RegOpenKeyA(key, name, &sub) == ERROR_SUCCESS, "cannot open " + subPath);
        Snapshot(sub, subPath, out);
        RegCloseKey(sub);
    }
}

std::set<std::string> Snapshot() {
    std::set<std::string> entries;
    HKEY root;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kRoot, &root) != ERROR_SUCCESS) return entries;
    Snapshot(root, kRoot, &entries);
    RegCloseKey(root);
    return entries;
}

std::set<std::string> ModelEntries(const Model& model) {
    std::set<std::string> entries;
    entries.insert(model.keys.begin(), model.keys.end());
    for (const auto& value : model.values) entries.insert(value.first);
    return entries;
}

int RegistryCalls() {
    int calls = 0;
    for (const char* op : {"RegOpenKeyA", "RegEnumKeyA", "RegEnumValueA", "RegDeleteValueA", "RegDeleteKeyA",
                           "RegCloseKey", "RegQueryValueExA"})
        calls += SimCallCount(op);
    return calls;
}

// What stays once the platform has let go of all it will: a key below
// the target stays when its deletion is refused, when its name is too long
// to enumerate (and everything below it with it), or when something below
// it stays; a value stays in a key that stays when its deletion is refused
// or its name is too long to enumerate.
std::set<std::string> ExpectedSurvivors(const Model& model, Operation operation, const std::string& target,
                                        bool targetNamed) {
    std::set<std::string> survivors = ModelEntries(model);
    if (!targetNamed || !model.keys.count(target)) return survivors;
    auto tooLong = [](const std::string& name) { return name.size() >= kNameBufferSize; };
    // Keys in scope, deepest first: a key's fate needs its subkeys' fates.
    std::vector<std::string> keys;
    for (const std::string& key : model.keys)
        if (Below(key, target)) keys.push_back(key);
    std::sort(keys.begin(), keys.end(), [](const std::string& a, const std::string& b) {
        return std::count(a.begin(), a.end(), '\\') > std::count(b.begin(), b.end(), '\\');
    });
    std::set<std::string> unreachable;  // below a name too long to enumerate
    for (const std::string& key : keys) {
        for (const std::string& other : keys)
            if (Below(other, key) && tooLong(LastName(key))) unreachable.insert(other);
    }
    auto valueGoes = [&](const std::string& id, const std::string& key) {
        return !model.refusedValues.count(id) && !tooLong(id.substr(key.size() + 1));
    };
    // Values of the target itself.
    for (const auto& value : model.values)
        if (value.second == target && valueGoes(value.first, target)) survivors.erase(value.first);
    if (operation == ALL_VALUES) return survivors;
    std::set<std::string> staying;
    for (const std::string& key : keys) {
        if (unreachable.count(key)) {
            staying.insert(key);
            continue;
        }
        bool stays = model.refusedKeys.count(key) || tooLong(LastName(key));
        for (const std::string& sub : staying)
            if (Parent(sub) == key) stays = true;
        if (stays) {
            staying.insert(key);
            if (tooLong(LastName(key))) continue;  // never opened: its values stay
            for (const auto& value : model.values)
                if (value.second == key && valueGoes(value.first, key)) survivors.erase(value.first);
        } else {
            survivors.erase(key);
            for (const auto& value : model.values)
                if (value.second == key) survivors.erase(value.first);
        }
    }
    if (operation == KEY_TREE) {
        bool stays = model.refusedKeys.count(target) > 0;
        for (const std::string& sub : staying)
            if (Parent(sub) == target) stays = true;
        if (!stays) {
            survivors.erase(target);
            for (const auto& value : model.values)
                if (value.second == target) survivors.erase(value.first);
        }
    }
    return survivors;
}

// The 95/98 family: a key that is reached and has no refused key in its
// tree goes whole, names too long to enumerate included; one that has is
// opened, its subkeys that can be named are reached in turn, and it stays
// with its values deleted one by one.
void Reach98(const Model& model, const std::string& key, std::set<std::string>& survivors) {
    auto tooLong = [](const std::string& name) { return name.size() >= kNameBufferSize; };
    bool refusedBelow = false;
    for (const std::string& refused : model.refusedKeys)
        if (refused == key || Below(refused, key)) refusedBelow = true;
    if (!refusedBelow) {
        for (const std::string& k : model.keys)
            if (k == key || Below(k, key)) survivors.erase(k);
        for (const auto& value : model.values)
            if (value.second == key || Below(value.second, key)) survivors.erase(value.first);
        return;
    }
    for (const std::string& k : model.keys)
        if (Parent(k) == key && Below(k, key) && !tooLong(LastName(k))) Reach98(model, k, survivors);
    for (const auto& value : model.values)
        if (value.second == key && !model.refusedValues.count(value.first) &&
            !tooLong(value.first.substr(key.size() + 1)))
            survivors.erase(value.first);
}

std::set<std::string> ExpectedSurvivors98(const Model& model, Operation operation, const std::string& target,
                                          bool targetNamed) {
    std::set<std::string> survivors = ModelEntries(model);
    if (!targetNamed || !model.keys.count(target)) return survivors;
    if (operation == KEY_TREE) {
        Reach98(model, target, survivors);
        return survivors;
    }
    for (const auto& value : model.values)
        if (value.second == target && !model.refusedValues.count(value.first) &&
            value.first.size() - target.size() - 1 < kNameBufferSize)
            survivors.erase(value.first);
    if (operation == ALL_VALUES) return survivors;
    for (const std::string& k : model.keys)
        if (Parent(k) == target && Below(k, target) && LastName(k).size() < kNameBufferSize)
            Reach98(model, k, survivors);
    return survivors;
}

std::string Describe(const std::set<std::string>& entries) {
    std::string text;
    for (const std::string& e : entries) text += "\n    " + Printable(e, 80);
    return text;
}

struct Failure {
    const char* op;
    DWORD error;
    int occurrence;
    bool persists;
};

// Runs the operation with the failures armed; returns the registry calls
// it made.
int Run(Operation operation, const std::string& targetName, const std::vector<Failure>& failures) {
    HKEY root = 0, target = 0;
    FUZZ_CHECK(RegOpenKeyA(HKEY_LOCAL_MACHINE, kRoot, &root) == ERROR_SUCCESS, "no root key");
    if (operation != KEY_TREE && RegOpenKeyA(root, targetName.c_str(), &target) != ERROR_SUCCESS) {
        RegCloseKey(root);
        return 0;
    }
    // Armed once the handles are open: from here on each call is the
    // helpers' own.
    for (const Failure& f : failures) {
        if (f.persists)
            SimFailCallsFrom(f.op, f.error, f.occurrence);
        else
            SimFailCall(f.op, f.error, f.occurrence);
    }
    int before = RegistryCalls();
    switch (operation) {
        case KEY_TREE: RegDeleteKeyTree(root, targetName.c_str()); break;
        case SUBTREE: RegDeleteSubtree(target); break;
        case ALL_VALUES: RegDeleteAllValues(target); break;
    }
    int calls = RegistryCalls() - before;
    SimClearFailures();
    if (target) RegCloseKey(target);
    RegCloseKey(root);
    return calls;
}

// A command that builds the tree.
struct Command {
    unsigned kind;
    std::string path;
    std::string valueName;
};

// Builds the tree on a fresh machine of the family, runs the operation and
// checks what it left.
void RunOnFamily(SimFamily family, Operation operation, const std::string& targetName,
                 const std::vector<Failure>& failures, const std::vector<Command>& commands) {
    FreshMachine();
    SimSetFamily(family);
    Model model;
    const std::string root = kRoot;
    AddKeyPath(model, root + "\\" + kTarget);
    AddKeyPath(model, root + "\\" + kOutside);
    SimRegCreateKey(HKEY_LOCAL_MACHINE, (root + "\\" + kTarget).c_str());
    SimRegSetString(HKEY_LOCAL_MACHINE, (root + "\\" + kOutside).c_str(), "Keep", "x");
    model.values[ValueId(root + "\\" + kOutside, "Keep")] = Upper(root + "\\" + kOutside);
    for (const Command& c : commands) {
        const std::string& path = c.path;
        const std::string& valueName = c.valueName;
        AddKeyPath(model, path);
        switch (c.kind % 4) {
            case 0:
                SimRegCreateKey(HKEY_LOCAL_MACHINE, path.c_str());
                break;
            case 1:
                SimRegSetString(HKEY_LOCAL_MACHINE, path.c_str(), valueName.c_str(), "data");
                model.values[ValueId(path, valueName)] = Upper(path);
                break;
            case 2:
                SimRegRefuseDelete(HKEY_LOCAL_MACHINE, path.c_str(), 0);
                model.refusedKeys.insert(Upper(path));
                break;
            case 3:
                SimRegRefuseDelete(HKEY_LOCAL_MACHINE, path.c_str(), valueName.c_str());
                model.values[ValueId(path, valueName)] = Upper(path);
                model.refusedValues.insert(ValueId(path, valueName));
                break;
        }
    }

    const std::set<std::string> initial = Snapshot();
    FUZZ_CHECK(initial == ModelEntries(model), "the tree was not built as modelled:" + Describe(initial) +
                                                   "\n  model:" + Describe(ModelEntries(model)));
    FUZZ_CHECK(SimRegOpenHandles() == 0, "handles open before the run");

    std::string targetPath = Upper(root + "\\" + targetName);
    bool named = !targetName.empty() && model.keys.count(targetPath);
    const std::set<std::string> expected = family == SimWindowsNT
                                               ? ExpectedSurvivors(model, operation, targetPath, named)
                                               : ExpectedSurvivors98(model, operation, targetPath, named);
    auto report = [&] {
        return std::string(family == SimWindowsNT ? "NT: " : "95/98: ") + "operation " + std::to_string(operation) +
               " on " + Printable(targetName) + ", " + std::to_string(failures.size()) +
               " failures, tree:" + Describe(initial);
    };

    // The calls a run may make: a few per entry for each time it is
    // enumerated, and an entry is enumerated again only after another one
    // went or was stepped past.
    const int callLimit = 16 * (int)initial.size() + 16;

    int calls = Run(operation, targetName, failures);
    FUZZ_CHECK(calls <= callLimit, report() + "\n  calls " + std::to_string(calls));
    FUZZ_CHECK(SimRegOpenHandles() == 0, report() + "\n  handles left open " + std::to_string(SimRegOpenHandles()));
    std::set<std::string> after = Snapshot();

    // Nothing appears; what the platform keeps in any case stays.
    for (const std::string& e : after) FUZZ_CHECK(initial.count(e), report() + "\n  appeared " + e);
    for (const std::string& e : expected)
        FUZZ_CHECK(after.count(e), report() + "\n  lost " + e + "\n  left:" + Describe(after));
    if (failures.empty()) {
        FUZZ_CHECK(after == expected, report() + "\n  left:" + Describe(after) + "\n  expected:" + Describe(expected));
        return;
    }
    // What the failures kept, a second run without them deletes.
    calls = Run(operation, targetName, std::vector<Failure>());
    FUZZ_CHECK(calls <= callLimit, report() + "\n  calls on the second run " + std::to_string(calls));
    FUZZ_CHECK(SimRegOpenHandles() == 0, report() + "\n  handles left open on the second run");
    std::set<std::string> again = Snapshot();
    FUZZ_CHECK(again == expected, report() + "\n  left after a second run:" + Describe(again) +
                                      "\n  expected:" + Describe(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    Operation operation = (Operation)input.Below(3);
    // The name RegDeleteKeyTree is given: the target, in another case,
    // empty (which would name the parent itself), a path into it, or one
    // that does not exist. The other two open the target by name.
    const char* const targetNames[] = {kTarget, "TARGET", "", "Target\\A", "Missing"};
    size_t pick = input.Below(5);
    std::string targetName = targetNames[operation == KEY_TREE ? pick : pick % 2];
    std::vector<Failure> failures(input.Below(8));
    for (Failure& f : failures) {
        f.op = kOperations[input.Below(sizeof kOperations / sizeof kOperations[0])];
        f.error = kErrors[input.Below(sizeof kErrors / sizeof kErrors[0])];
        f.occurrence = (int)input.Below(48) + 1;
        f.persists = input.Flag();
        // The platform reports ERROR_MORE_DATA only for an entry that is
        // there; past the last one an enumeration fails otherwise. A run of
        // them would stand for an endless list.
        if (f.error == ERROR_MORE_DATA && std::string(f.op).compare(0, 7, "RegEnum") == 0) f.persists = false;
    }

    const std::string root = kRoot;
    std::vector<Command> commands;
    for (int command = 0; command < 48 && !input.Empty(); ++command) {
        unsigned kind = input.Byte();
        std::string path = root + "\\" + ((kind & 0x80) ? kOutside : kTarget);
        size_t depth = input.Below(5);
        for (size_t i = 0; i < depth; ++i) {
            unsigned pick = input.Byte();
            std::string name = pick >= 250 ? std::string(250 + pick % 10 * 2, 'L') : kNames[pick % kNameCount];
            if (name.empty()) continue;  // an empty key name is no name
            path += "\\" + name;
        }
        // Keys created by an earlier command keep the case they were
        // created with; the model keeps the first spelling too.
        std::string valueName = kNames[input.Below(kNameCount)];
        if ((kind & 0x40) != 0) valueName = std::string(250 + input.Below(12), 'V');
        commands.push_back(Command{kind, path, valueName});
    }
    for (SimFamily family : {SimWindowsNT, SimWindows98}) RunOnFamily(family, operation, targetName, failures, commands);
    return 0;
}
