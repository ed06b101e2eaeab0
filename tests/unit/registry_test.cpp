// Registry helpers: reading a setting, and deleting a key with everything
// below it on a platform that refuses to delete a key with subkeys.
#include "common/registry.h"
#include "machine.h"

#include <algorithm>
#include <string.h>
#include <string>
#include <vector>

namespace {

const char kQuillon[] = "Software\\Quillon Software";
const char kProduct[] = "Software\\Quillon Software\\Vantrell";

// Stores data as it is, without the terminator SimRegSetString adds.
void SetRawValue(const char* path, const char* name, const std::string& data) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)data.data(), (DWORD)data.size()));
    RegCloseKey(key);
}

// ---- Reading ----

struct ReadCase {
    const char* what;
    const char* raw;     // value stored as these bytes; 0 = no value
    size_t rawLength;    // bytes of raw stored (a terminator counts)
    bool keyExists;
    DWORD size;          // the caller's buffer size
    int expectedResult;
    const char* expectedText;
};

const ReadCase kReadCases[] = {
    {"a setting", "C:\\VANT\\", 9, true, 260, 1, "C:\\VANT\\"},
    {"missing key", 0, 0, false, 260, 0, ""},
    {"missing value", 0, 0, true, 260, 0, ""},
    {"value filling the buffer exactly", "1234567", 8, true, 8, 1, "1234567"},
    {"value one byte too long", "12345678", 9, true, 8, 0, ""},
    {"value far too long", "a setting much longer than the buffer", 38, true, 8, 0, ""},
    {"value without terminator, with room for one", "abc", 3, true, 8, 1, "abc"},
    {"long value without terminator, with room for one", "abcdef", 6, true, 8, 1, "abcdef"},
    {"value without terminator, without room", "abcdefgh", 8, true, 8, 0, ""},
    {"empty value", "", 1, true, 260, 1, ""},
    {"value of no bytes", "", 0, true, 260, 1, ""},
    {"buffer of 1 byte, empty value", "", 1, true, 1, 1, ""},
    {"buffer of 1 byte, value too long", "a", 2, true, 1, 0, ""},
    {"buffer of 2 bytes, value fits", "a", 2, true, 2, 1, "a"},
    {"buffer of 3 bytes, value too long", "abc", 4, true, 3, 0, ""},
    {"buffer of 3 bytes, value without terminator fits", "ab", 2, true, 3, 1, "ab"},
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.what; }

class RegReadStringTest : public MachineTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(RegReadStringTest, ReadsOrLeavesEmptyWithinTheBuffer) {
    const ReadCase& c = GetParam();
    if (c.raw) {
        SetRawValue(kProduct, "InstallLocation", std::string(c.raw, c.rawLength));
    } else if (c.keyExists) {
        SimRegSetString(HKEY_LOCAL_MACHINE, kProduct, "Other", "x");
    }
    const size_t kCanary = 16;
    std::vector<char> buffer(c.size + kCanary, 'X');  // stale content, then canary bytes
    int result = RegReadString(kProduct, "InstallLocation", buffer.data(), c.size);

    EXPECT_EQ(c.expectedResult, result);
    EXPECT_STREQ(c.expectedText, buffer.data());
    for (size_t i = c.size; i < buffer.size(); ++i) ASSERT_EQ('X', buffer[i]) << "overrun at byte " << i;
    EXPECT_EQ(0, SimRegOpenHandles());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegReadStringTest, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) {
                             std::string name;
                             for (const char* p = info.param.what; *p; ++p)
                                 name += isalnum((unsigned char)*p) ? *p : '_';
                             return name;
                         });

using RegReadStringFailureTest = MachineTest;

TEST_F(RegReadStringFailureTest, QueryFailureLeavesEmptyAndClosesTheKey) {
    SimRegSetString(HKEY_LOCAL_MACHINE, kProduct, "Switch", "-cpl");
    SimFailCall("RegQueryValueExA", ERROR_ACCESS_DENIED);
    char buffer[260] = "stale";
    EXPECT_EQ(0, RegReadString(kProduct, "Switch", buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(0, SimRegOpenHandles());
}

TEST_F(RegReadStringFailureTest, ZeroSizeWritesNothing) {
    SimRegSetString(HKEY_LOCAL_MACHINE, kProduct, "Switch", "-cpl");
    char buffer[4] = {'X', 'X', 'X', 'X'};
    EXPECT_EQ(0, RegReadString(kProduct, "Switch", buffer, 0));
    EXPECT_EQ(0, memcmp(buffer, "XXXX", 4));
}

// ---- Tree deletion ----

// The product's tree: three levels with values at every level, siblings
// before and after the subkeys that matter, and neighbours that must stay.
struct Entry {
    const char* path;   // below kQuillon
    const char* value;  // 0 = the key itself
};

const Entry kTree[] = {
    {"Vantrell", 0},
    {"Vantrell", "InstallLocation"},
    {"Vantrell", "FileName"},
    {"Vantrell", "Switch"},
    {"Vantrell\\Display", 0},
    {"Vantrell\\Display", "Width"},
    {"Vantrell\\Display", "Height"},
    {"Vantrell\\Display", "Depth"},
    {"Vantrell\\Display\\Modes", 0},
    {"Vantrell\\Display\\Modes", "Default"},
    {"Vantrell\\Display\\Modes", "Alternate"},
    {"Vantrell\\Display\\Zeta", 0},
    {"Vantrell\\Display\\Zeta", "Last"},
    {"Vantrell\\Renderer", 0},
    {"Vantrell\\Renderer", "Name"},
};

const Entry kNeighbours[] = {
    {"Other Product", "Keep"},
    {"Vantrell Extras", "Keep"},
    {"LtxCplCmd", "Command"},
};

std::string Below(const char* path) { return std::string(kQuillon) + "\\" + path; }

bool EntryExists(const Entry& e) {
    std::string path = Below(e.path);
    return e.value ? SimRegValueExists(HKEY_LOCAL_MACHINE, path.c_str(), e.value)
                   : SimRegKeyExists(HKEY_LOCAL_MACHINE, path.c_str());
}

void ArrangeTree() {
    for (const Entry& e : kTree) {
        std::string path = Below(e.path);
        if (e.value)
            SimRegSetString(HKEY_LOCAL_MACHINE, path.c_str(), e.value, "data");
        else
            SimRegCreateKey(HKEY_LOCAL_MACHINE, path.c_str());
    }
    for (const Entry& e : kNeighbours) SimRegSetString(HKEY_LOCAL_MACHINE, Below(e.path).c_str(), e.value, "x");
}

// A loop that never ends is cut off here, so that it fails the test
// instead of hanging it.
const int kCallLimit = 1000;

void ArmLoopBackstops() {
    SimFailCallsFrom("RegEnumValueA", ERROR_NO_MORE_ITEMS, kCallLimit);
    SimFailCallsFrom("RegEnumKeyA", ERROR_NO_MORE_ITEMS, kCallLimit);
}

void ExpectLoopsEnded() {
    EXPECT_LT(SimCallCount("RegEnumValueA"), kCallLimit);
    EXPECT_LT(SimCallCount("RegEnumKeyA"), kCallLimit);
}

void DeleteProductTree() {
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuillon, 0, KEY_ALL_ACCESS, &parent));
    RegDeleteKeyTree(parent, "Vantrell");
    RegCloseKey(parent);
}

const std::string kLongName(300, 'N');

const std::vector<std::string> kAllKeys = {"Vantrell", "Vantrell\\Display", "Vantrell\\Display\\Modes",
                                           "Vantrell\\Display\\Zeta", "Vantrell\\Renderer"};

// Each case on both families: NT refuses to delete a key that has subkeys,
// the 95/98 family deletes the tree below it in the same call.
struct DeleteCase {
    const char* what;
    void (*arrange)();
    std::vector<std::string> survivorsNT;  // "path" for a key, "path|value" for a value
    std::vector<std::string> survivors98;
};

const DeleteCase kDeleteCases[] = {
    {"everything", [] {}, {}, {}},
    {"refused value deep down",
     [] { SimRegRefuseDelete(HKEY_LOCAL_MACHINE, Below("Vantrell\\Display\\Modes").c_str(), "Default"); },
     // The platform removes a key with its values once it has no subkeys.
     {},
     {}},
    {"refused key deep down",
     [] { SimRegRefuseDelete(HKEY_LOCAL_MACHINE, Below("Vantrell\\Display\\Modes").c_str(), 0); },
     {"Vantrell", "Vantrell\\Display", "Vantrell\\Display\\Modes"},
     {"Vantrell", "Vantrell\\Display", "Vantrell\\Display\\Modes"}},
    {"refused top key",
     [] { SimRegRefuseDelete(HKEY_LOCAL_MACHINE, kProduct, 0); },
     {"Vantrell"},
     {"Vantrell"}},
    {"every value deletion refused", [] { SimFailCall("RegDeleteValueA", ERROR_ACCESS_DENIED, 0); }, {}, {}},
    {"every key deletion refused",
     [] { SimFailCall("RegDeleteKeyA", ERROR_ACCESS_DENIED, 0); },
     kAllKeys,
     kAllKeys},
    {"first deletion refused once",
     // The key is opened and its subkeys go one by one; then it goes too.
     [] { SimFailCall("RegDeleteKeyA", ERROR_ACCESS_DENIED, 1); },
     {},
     {}},
    {"first deletion refused, the key cannot be opened",
     [] {
         SimFailCall("RegDeleteKeyA", ERROR_ACCESS_DENIED, 1);
         SimFailCall("RegOpenKeyA", ERROR_ACCESS_DENIED, 1);
     },
     {"Vantrell", "Vantrell|InstallLocation", "Vantrell|FileName", "Vantrell|Switch", "Vantrell\\Display",
      "Vantrell\\Display|Width", "Vantrell\\Display|Height", "Vantrell\\Display|Depth", "Vantrell\\Display\\Modes",
      "Vantrell\\Display\\Modes|Default", "Vantrell\\Display\\Modes|Alternate", "Vantrell\\Display\\Zeta",
      "Vantrell\\Display\\Zeta|Last", "Vantrell\\Renderer", "Vantrell\\Renderer|Name"},
     {"Vantrell", "Vantrell|InstallLocation", "Vantrell|FileName", "Vantrell|Switch", "Vantrell\\Display",
      "Vantrell\\Display|Width", "Vantrell\\Display|Height", "Vantrell\\Display|Depth", "Vantrell\\Display\\Modes",
      "Vantrell\\Display\\Modes|Default", "Vantrell\\Display\\Modes|Alternate", "Vantrell\\Display\\Zeta",
      "Vantrell\\Display\\Zeta|Last", "Vantrell\\Renderer", "Vantrell\\Renderer|Name"}},
    {"subkey that cannot be opened",
     // On NT: Vantrell is opened, then its first subkey, Display. On the
     // 95/98 family nothing is opened: the first deletion takes the tree.
     [] { SimFailCall("RegOpenKeyA", ERROR_ACCESS_DENIED, 2); },
     {"Vantrell", "Vantrell\\Display", "Vantrell\\Display|Width", "Vantrell\\Display|Height",
      "Vantrell\\Display|Depth", "Vantrell\\Display\\Modes", "Vantrell\\Display\\Modes|Default",
      "Vantrell\\Display\\Modes|Alternate", "Vantrell\\Display\\Zeta", "Vantrell\\Display\\Zeta|Last"},
     {}},
    {"a deletion that reports the key missing",
     // A key the platform reports missing is not looked into: on NT it is
     // stepped past and the rest goes around it; on the 95/98 family the
     // top key's second deletion takes it all the same.
     [] {
         SimFailCall("RegDeleteKeyA", ERROR_ACCESS_DENIED, 1);
         SimFailCall("RegDeleteKeyA", ERROR_FILE_NOT_FOUND, 2);
     },
     {"Vantrell", "Vantrell\\Display", "Vantrell\\Display|Width", "Vantrell\\Display|Height",
      "Vantrell\\Display|Depth", "Vantrell\\Display\\Modes", "Vantrell\\Display\\Modes|Default",
      "Vantrell\\Display\\Modes|Alternate", "Vantrell\\Display\\Zeta", "Vantrell\\Display\\Zeta|Last"},
     {}},
    {"value name longer than the name buffer",
     [] { SimRegSetString(HKEY_LOCAL_MACHINE, Below("Vantrell\\Display").c_str(), kLongName.c_str(), "x"); },
     {},
     {}},
    {"subkey name longer than the name buffer",
     [] { SimRegCreateKey(HKEY_LOCAL_MACHINE, Below(("Vantrell\\Display\\" + kLongName).c_str()).c_str()); },
     {"Vantrell", "Vantrell\\Display", "Vantrell\\Display\\" + kLongName},
     // The name is never needed: the tree goes whole.
     {}},
    {"subkey name longer than the name buffer beside a refused key",
     [] {
         SimRegCreateKey(HKEY_LOCAL_MACHINE, Below(("Vantrell\\Display\\" + kLongName).c_str()).c_str());
         SimRegRefuseDelete(HKEY_LOCAL_MACHINE, Below("Vantrell\\Renderer").c_str(), 0);
     },
     {"Vantrell", "Vantrell\\Display", "Vantrell\\Display\\" + kLongName, "Vantrell\\Renderer"},
     // Display has nothing refused below it and goes whole.
     {"Vantrell", "Vantrell\\Renderer"}},
};

struct FamilyCase {
    SimFamily family;
    const DeleteCase* c;
};

void PrintTo(const FamilyCase& f, std::ostream* os) {
    *os << (f.family == SimWindowsNT ? "NT: " : "95/98: ") << f.c->what;
}

std::vector<FamilyCase> AllFamilyCases() {
    std::vector<FamilyCase> cases;
    for (const DeleteCase& c : kDeleteCases)
        for (SimFamily family : {SimWindowsNT, SimWindows98}) cases.push_back(FamilyCase{family, &c});
    return cases;
}

class RegDeleteKeyTreeTest : public MachineTest, public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(RegDeleteKeyTreeTest, DeletesAllThePlatformLetsGoAndEnds) {
    const DeleteCase& c = *GetParam().c;
    SimSetFamily(GetParam().family);
    const std::vector<std::string>& survivors = GetParam().family == SimWindowsNT ? c.survivorsNT : c.survivors98;
    ArrangeTree();
    c.arrange();
    ArmLoopBackstops();

    DeleteProductTree();

    ExpectLoopsEnded();
    for (const Entry& e : kTree) {
        std::string id = e.value ? std::string(e.path) + "|" + e.value : e.path;
        bool expected = false;
        for (const std::string& s : survivors) expected = expected || s == id;
        EXPECT_EQ(expected, EntryExists(e)) << id;
    }
    for (const std::string& s : survivors) {
        if (s.find('|') != std::string::npos) continue;
        EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, Below(s.c_str()).c_str())) << s;
    }
    if (std::find(survivors.begin(), survivors.end(), "Vantrell\\Display\\" + kLongName) == survivors.end()) {
        EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, Below(("Vantrell\\Display\\" + kLongName).c_str()).c_str()));
    }
    for (const Entry& e : kNeighbours) EXPECT_TRUE(EntryExists(e)) << e.path;
    EXPECT_EQ(0, SimRegOpenHandles());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegDeleteKeyTreeTest, ::testing::ValuesIn(AllFamilyCases()),
                         [](const ::testing::TestParamInfo<FamilyCase>& info) {
                             std::string name = info.param.family == SimWindowsNT ? "NT_" : "W98_";
                             for (const char* p = info.param.c->what; *p; ++p)
                                 name += isalnum((unsigned char)*p) ? *p : '_';
                             return name;
                         });

// The calls a deletion makes: a key without subkeys costs its deletion
// alone, and only a key that has subkeys is opened and listed.
struct CallCase {
    const char* what;
    SimFamily family;
    int leaves;     // empty subkeys of the key, each with a value
    int opens, enumKeys, deletes, enumValues, closes;
};

const CallCase kCallCases[] = {
    // One deletion refused, the key opened, each leaf listed and deleted,
    // the list found empty, the key deleted with its values.
    {"NT, 3 leaves", SimWindowsNT, 3, 1, 4, 5, 0, 1},
    {"NT, 100 leaves", SimWindowsNT, 100, 1, 101, 102, 0, 1},
    {"NT, no subkeys", SimWindowsNT, 0, 0, 0, 1, 0, 0},
    {"95/98, 100 leaves", SimWindows98, 100, 0, 0, 1, 0, 0},
};

void PrintTo(const CallCase& c, std::ostream* os) { *os << c.what; }

class RegDeleteKeyTreeCallsTest : public MachineTest, public ::testing::WithParamInterface<CallCase> {};

TEST_P(RegDeleteKeyTreeCallsTest, AsksForTheDeletionFirst) {
    const CallCase& c = GetParam();
    SimSetFamily(c.family);
    SimRegSetString(HKEY_LOCAL_MACHINE, kProduct, "InstallLocation", "C:\\VANT\\");
    for (int i = 0; i < c.leaves; ++i) {
        std::string leaf = std::string(kProduct) + "\\Leaf" + std::to_string(i);
        SimRegSetString(HKEY_LOCAL_MACHINE, leaf.c_str(), "Value", "x");
    }
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuillon, 0, KEY_ALL_ACCESS, &parent));
    int opensBefore = SimCallCount("RegOpenKeyA"), closesBefore = SimCallCount("RegCloseKey");
    RegDeleteKeyTree(parent, "Vantrell");
    EXPECT_EQ(c.opens, SimCallCount("RegOpenKeyA") - opensBefore);
    EXPECT_EQ(c.closes, SimCallCount("RegCloseKey") - closesBefore);
    RegCloseKey(parent);

    EXPECT_FALSE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kProduct));
    EXPECT_EQ(c.enumKeys, SimCallCount("RegEnumKeyA"));
    EXPECT_EQ(c.deletes, SimCallCount("RegDeleteKeyA"));
    EXPECT_EQ(c.enumValues, SimCallCount("RegEnumValueA"));
    EXPECT_EQ(0, SimCallCount("RegDeleteValueA"));
    EXPECT_EQ(0, SimRegOpenHandles());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegDeleteKeyTreeCallsTest, ::testing::ValuesIn(kCallCases),
                         [](const ::testing::TestParamInfo<CallCase>& info) {
                             std::string name;
                             for (const char* p = info.param.what; *p; ++p)
                                 name += isalnum((unsigned char)*p) ? *p : '_';
                             return name;
                         });

using RegDeleteTest = MachineTest;

TEST_F(RegDeleteTest, AllValuesGoExceptUndeletableOnesAndTheKeyStays) {
    const char* path = "Software\\Quillon Software\\Vantrell\\Display";
    // A name the 256-byte buffer cannot hold cannot be deleted by name.
    for (const char* name : {"First", kLongName.c_str(), "Refused", "Third", "Fourth"})
        SimRegSetString(HKEY_LOCAL_MACHINE, path, name, "x");
    SimRegCreateKey(HKEY_LOCAL_MACHINE, (std::string(path) + "\\Modes").c_str());
    SimRegRefuseDelete(HKEY_LOCAL_MACHINE, path, "Refused");
    ArmLoopBackstops();

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key));
    RegDeleteAllValues(key);
    RegCloseKey(key);

    ExpectLoopsEnded();
    EXPECT_TRUE(SimRegValueExists(HKEY_LOCAL_MACHINE, path, "Refused"));
    EXPECT_TRUE(SimRegValueExists(HKEY_LOCAL_MACHINE, path, kLongName.c_str()));
    for (const char* name : {"First", "Third", "Fourth"}) EXPECT_FALSE(SimRegValueExists(HKEY_LOCAL_MACHINE, path, name)) << name;
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, (std::string(path) + "\\Modes").c_str()));
    EXPECT_EQ(0, SimRegOpenHandles());
}

TEST_F(RegDeleteTest, SubtreeLeavesTheKeyItself) {
    ArrangeTree();
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, kProduct, &key));
    RegDeleteSubtree(key);
    RegCloseKey(key);

    for (const Entry& e : kTree) EXPECT_EQ(!e.value && !strcmp(e.path, "Vantrell"), EntryExists(e)) << e.path;
    EXPECT_EQ(0, SimRegOpenHandles());
}

TEST_F(RegDeleteTest, NameThatDoesNotExistChangesNothing) {
    ArrangeTree();
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(HKEY_LOCAL_MACHINE, kQuillon, &parent));
    RegDeleteKeyTree(parent, "Nonexistent");
    RegDeleteKeyTree(parent, "Vantrell\\Nonexistent");
    RegDeleteKeyTree(parent, "");  // would stand for the parent itself
    RegDeleteKeyTree(parent, nullptr);
    RegCloseKey(parent);
    // A missing name costs its deletion alone; the empty name and no name
    // no call.
    EXPECT_EQ(2, SimCallCount("RegDeleteKeyA"));
    EXPECT_EQ(1, SimCallCount("RegOpenKeyA"));  // the parent

    for (const Entry& e : kTree) EXPECT_TRUE(EntryExists(e)) << e.path;
    for (const Entry& e : kNeighbours) EXPECT_TRUE(EntryExists(e)) << e.path;
    EXPECT_TRUE(SimRegKeyExists(HKEY_LOCAL_MACHINE, kQuillon));
    EXPECT_EQ(0, SimRegOpenHandles());
}

}  // namespace
