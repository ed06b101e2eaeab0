// The Control Panel applet loaded through the simulated platform: its
// settings, its localization library, and its answers to the Control
// Panel's messages.
#include "applet/applet.h"
#include "machine.h"

#include <string.h>
#include <string>
#include <vector>

namespace {

const char kAppletPath[] = "C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL";
const char kLocalizationPath[] = "C:\\WINDOWS\\SYSTEM\\VANTRELL-LOC.DLL";
const char kProductKey[] = "Software\\Quillon Software\\Vantrell";

// The applet's own strings, as its resource script gives them.
const char kName[] = "Quillon Vantrell";
const char kDescription[] = "Configure settings for Quillon Vantrell driver.";
const char kLocalizedName[] = "Quillon-Vantrell-Treiber";
const char kLocalizedDescription[] = "Einstellungen f\xfcr den Quillon-Vantrell-Treiber festlegen.";

class AppletTest : public MachineTest {
protected:
    void SetUp() override {
        MachineTest::SetUp();
        memset(&AppletSettings, 0, sizeof AppletSettings);  // as at a fresh load
        applet = AddApplet(kAppletPath);
    }

    HMODULE AddApplet(const char* path) {
        HMODULE module = SimAddModule(path);
        SimSetModuleString(module, 1, kName);
        SimSetModuleString(module, 2, kDescription);
        SimSetModuleString(module, 3, kProductKey);
        appletIcon = SimAddModuleIcon(module, 100);
        return module;
    }

    HMODULE AddLocalization(const char* path = kLocalizationPath) {
        HMODULE module = SimAddModule(path);
        SimSetModuleString(module, 1, kLocalizedName);
        SimSetModuleString(module, 2, kLocalizedDescription);
        // Not looked up here: the settings key is always the applet's own.
        SimSetModuleString(module, 3, "Software\\Translated");
        localizedIcon = SimAddModuleIcon(module, 100);
        return module;
    }

    static void SetSettings(const char* location, const char* fileName, const char* arguments) {
        if (location) SimRegSetString(HKEY_LOCAL_MACHINE, kProductKey, "InstallLocation", location);
        if (fileName) SimRegSetString(HKEY_LOCAL_MACHINE, kProductKey, "FileName", fileName);
        if (arguments) SimRegSetString(HKEY_LOCAL_MACHINE, kProductKey, "Switch", arguments);
    }

    void Attach() { ASSERT_EQ(TRUE, DllEntryPoint(applet, DLL_PROCESS_ATTACH, nullptr)); }
    void Detach() { ASSERT_EQ(TRUE, DllEntryPoint(applet, DLL_PROCESS_DETACH, nullptr)); }

    static NEWCPLINFOA NewInquire(LPARAM index, LONG* result) {
        NEWCPLINFOA info;
        memset(&info, 0xCC, sizeof info);  // what the host's stack may hold
        *result = CPlApplet(nullptr, CPL_NEWINQUIRE, index, (LPARAM)&info);
        return info;
    }

    HMODULE applet = nullptr;
    HICON appletIcon = nullptr;
    HICON localizedIcon = nullptr;
};

std::string CaseName(const char* what) {
    std::string name;
    for (const char* p = what; *p; ++p) name += isalnum((unsigned char)*p) ? *p : '_';
    return name;
}

// ---- Settings ----

struct SettingsCase {
    const char* what;
    const char* location;  // 0 = value absent
    const char* fileName;
    const char* arguments;
    const char* expectedLocation;
    const char* expectedFileName;
    const char* expectedArguments;
};

const std::string kOverlong(300, 'L');

const SettingsCase kSettingsCases[] = {
    {"all three", "C:\\VANT\\", "VCONFIG.EXE", "-cpl", "C:\\VANT\\", "VCONFIG.EXE", "-cpl"},
    {"location without trailing backslash", "C:\\VANT", "VCONFIG.EXE", "-cpl", "C:\\VANT\\", "VCONFIG.EXE", "-cpl"},
    {"no key", 0, 0, 0, "", "", ""},
    {"only the file name", 0, "VCONFIG.EXE", 0, "", "VCONFIG.EXE", ""},
    {"empty location stays empty", "", "VCONFIG.EXE", "-cpl", "", "VCONFIG.EXE", "-cpl"},
    {"over-long location", kOverlong.c_str(), "VCONFIG.EXE", "-cpl", "", "VCONFIG.EXE", "-cpl"},
    {"over-long switch", "C:\\VANT\\", "VCONFIG.EXE", kOverlong.c_str(), "C:\\VANT\\", "VCONFIG.EXE", ""},
};

class AppletSettingsTest : public AppletTest, public ::testing::WithParamInterface<SettingsCase> {};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.what; }

TEST_P(AppletSettingsTest, ReadOnLoad) {
    const SettingsCase& c = GetParam();
    if (c.location || c.fileName || c.arguments) SetSettings(c.location, c.fileName, c.arguments);
    Attach();

    EXPECT_STREQ(kProductKey, AppletSettings.KeyPath);
    EXPECT_STREQ(c.expectedLocation, AppletSettings.InstallLocation);
    EXPECT_STREQ(c.expectedFileName, AppletSettings.FileName);
    EXPECT_STREQ(c.expectedArguments, AppletSettings.Switch);
    EXPECT_EQ(applet, AppletSettings.ResourceModule);
    EXPECT_EQ(0, SimRegOpenHandles());
}

INSTANTIATE_TEST_SUITE_P(Cases, AppletSettingsTest, ::testing::ValuesIn(kSettingsCases),
                         [](const ::testing::TestParamInfo<SettingsCase>& info) { return CaseName(info.param.what); });

TEST_F(AppletTest, WithoutItsKeyPathStringTheAppletStillLoadsWithEmptySettings) {
    HMODULE bare = SimAddModule("C:\\WINDOWS\\SYSTEM\\BARE.CPL");
    SetSettings("C:\\VANT\\", "VCONFIG.EXE", "-cpl");
    EXPECT_EQ(TRUE, DllEntryPoint(bare, DLL_PROCESS_ATTACH, nullptr));
    EXPECT_STREQ("", AppletSettings.KeyPath);
    EXPECT_STREQ("", AppletSettings.FileName);
    EXPECT_EQ(0, SimRegOpenHandles());
}

TEST_F(AppletTest, SettingsAreReadOncePerLoad) {
    SetSettings("C:\\VANT\\", "VCONFIG.EXE", "-cpl");
    Attach();
    SetSettings("D:\\OTHER\\", "OTHER.EXE", "-x");
    EXPECT_EQ(0, CPlApplet(nullptr, CPL_DBLCLK, 0, 0));
    ASSERT_EQ(1u, SimLaunches().size());
    EXPECT_EQ("C:\\VANT\\VCONFIG.EXE -cpl", SimLaunches()[0].commandLine);
}

TEST_F(AppletTest, ThreadNoticesDoNothing) {
    SetSettings("C:\\VANT\\", "VCONFIG.EXE", "-cpl");
    for (DWORD reason : {DWORD(DLL_THREAD_ATTACH), DWORD(DLL_THREAD_DETACH)})
        EXPECT_EQ(TRUE, DllEntryPoint(applet, reason, nullptr)) << reason;
    EXPECT_EQ(0, SimCallCount("RegOpenKeyA"));
    EXPECT_EQ(0, SimCallCount("LoadLibraryA"));
    EXPECT_EQ(0, SimCallCount("FreeLibrary"));
}

// ---- Localization library ----

struct LocalizationCase {
    const char* what;
    std::string appletPath;
    std::string localizationPath;  // where a localization library exists; empty: none
    std::vector<std::string> requests;  // LoadLibraryA paths expected
    bool loaded;
    UINT codePage = 1252;
};

std::string PathOfLength(size_t length, const char* ending) {
    std::string path = "C:\\";
    path += std::string(length - 3 - strlen(ending), 'D');
    return path + ending;
}

const LocalizationCase kLocalizationCases[] = {
    {"beside the applet", kAppletPath, kLocalizationPath, {kLocalizationPath}, true},
    {"absent", kAppletPath, "", {kLocalizationPath}, false},
    {"elsewhere only", kAppletPath, "C:\\WINDOWS\\VANTRELL-LOC.DLL", {kLocalizationPath}, false},
    {"lower-case applet path", "c:\\windows\\system\\vantrell.cpl", kLocalizationPath,
     {"c:\\windows\\system\\vantrell-LOC.DLL"}, true},
    {"two-letter extension", "C:\\CPL\\VANT.CP", "C:\\CPL\\VAN-LOC.DLL", {"C:\\CPL\\VAN-LOC.DLL"}, true},
    {"four-letter extension", "C:\\CPL\\VANTRELL.CPLX", "C:\\CPL\\VANTRELL.-LOC.DLL",
     {"C:\\CPL\\VANTRELL.-LOC.DLL"}, true},
    {"no extension", "C:\\CPL\\VANTRELL", "C:\\CPL\\VANT-LOC.DLL", {"C:\\CPL\\VANT-LOC.DLL"}, true},
    // The longest path whose library name still fits 255 characters.
    {"path of 251 characters", PathOfLength(251, ".CPL"), PathOfLength(255, "-LOC.DLL"),
     {PathOfLength(255, "-LOC.DLL")}, true},
    {"path of 252 characters", PathOfLength(252, ".CPL"), "", {}, false},
    {"path of 255 characters", PathOfLength(255, ".CPL"), "", {}, false},
    {"path of 256 characters", PathOfLength(256, ".CPL"), "", {}, false},
    {"path of 300 characters", PathOfLength(300, ".CPL"), "", {}, false},
    {"path of 3 characters", "C:X", "", {}, false},
    // Nothing would be left but the suffix, which the load would search for.
    {"path of 4 characters", "C:XY", "", {}, false},
    // By character: 0x95 0x5C is one character in code page 932, two in 1252.
    {"double-byte extension", "C:\\CPL\\VANTRELL.\x95\x5C\x95\x5C", "C:\\CPL\\VANTREL-LOC.DLL",
     {"C:\\CPL\\VANTREL-LOC.DLL"}, true, 932},
    {"the same bytes in a single-byte code page", "C:\\CPL\\VANTRELL.\x95\x5C\x95\x5C", "C:\\CPL\\VANTRELL.-LOC.DLL",
     {"C:\\CPL\\VANTRELL.-LOC.DLL"}, true, 1252},
    // On NT the ANSI path spells each Cyrillic letter '?': a library
    // planted under that name is never loaded.
    {"a character the code page lacks", "C:\\CPL\\\xD0\x92\xD0\xB0\xD0\xBD\\VANTRELL.CPL",
     "C:\\CPL\\???\\VANTRELL-LOC.DLL", {}, false},
};

class LocalizationTest : public AppletTest, public ::testing::WithParamInterface<LocalizationCase> {};

void PrintTo(const LocalizationCase& c, std::ostream* os) { *os << c.what; }

TEST_P(LocalizationTest, LoadedFromTheAppletsPathWithItsLastFourCharactersReplaced) {
    const LocalizationCase& c = GetParam();
    SimSetCodePage(c.codePage);
    SimSetModulePath(applet, c.appletPath.c_str());
    HMODULE localization = c.localizationPath.empty() ? nullptr : AddLocalization(c.localizationPath.c_str());
    Attach();

    EXPECT_EQ(c.requests, SimLoadLibraryRequests());
    EXPECT_EQ(c.loaded ? localization : nullptr, AppletSettings.LocalizationModule);
    EXPECT_EQ(c.loaded ? localization : applet, AppletSettings.ResourceModule);
    // The key path is always the applet's own.
    EXPECT_STREQ(kProductKey, AppletSettings.KeyPath);
}

INSTANTIATE_TEST_SUITE_P(Cases, LocalizationTest, ::testing::ValuesIn(kLocalizationCases),
                         [](const ::testing::TestParamInfo<LocalizationCase>& info) {
                             return CaseName(info.param.what);
                         });

TEST_F(AppletTest, FailedModulePathQueryMeansNoLocalization) {
    AddLocalization();
    SimFailCall("GetModuleFileNameA", ERROR_INVALID_HANDLE);
    Attach();
    EXPECT_TRUE(SimLoadLibraryRequests().empty());
    EXPECT_EQ(applet, AppletSettings.ResourceModule);
}

// The name cannot be completed: no library is asked for by the bare path,
// which the platform would complete with ".DLL" to another library.
TEST_F(AppletTest, FailedNameCompositionMeansNoLocalization) {
    AddLocalization();
    SimFailCall("lstrcatA", ERROR_ACCESS_DENIED);
    Attach();
    EXPECT_TRUE(SimLoadLibraryRequests().empty());
    EXPECT_EQ(nullptr, AppletSettings.LocalizationModule);
    EXPECT_EQ(applet, AppletSettings.ResourceModule);
}

TEST_F(AppletTest, FailedLibraryLoadMeansNoLocalization) {
    AddLocalization();
    SimFailCall("LoadLibraryA", ERROR_NOT_ENOUGH_MEMORY);
    Attach();
    EXPECT_EQ(nullptr, AppletSettings.LocalizationModule);
    EXPECT_EQ(applet, AppletSettings.ResourceModule);
}

TEST_F(AppletTest, DetachFreesTheLocalizationLibraryOnce) {
    HMODULE localization = AddLocalization();
    Attach();
    EXPECT_EQ(1, SimModuleReferences(localization));
    Detach();
    EXPECT_EQ(0, SimModuleReferences(localization));
    Detach();  // a second notice has nothing left to free
    EXPECT_EQ(1, SimCallCount("FreeLibrary"));
}

TEST_F(AppletTest, DetachWithoutLocalizationFreesNothing) {
    Attach();
    Detach();
    EXPECT_EQ(0, SimCallCount("FreeLibrary"));
}

// ---- Messages ----

struct MessageCase {
    UINT message;
    LONG expected;
};

// Messages that only answer: no launch, the records left alone.
const MessageCase kPlainMessages[] = {
    {CPL_INIT, 1}, {CPL_GETCOUNT, 1}, {CPL_SELECT, 0}, {CPL_STOP, 0}, {CPL_EXIT, 0},
    {0, 0}, {CPL_STARTWPARMSA, 0}, {CPL_STARTWPARMSW, 0}, {11, 0}, {CPL_SETUP, 0}, {0xFFFF, 0}, {0x7FFFFFFF, 0},
};

class PlainMessageTest : public AppletTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(PlainMessageTest, AnswersAndDoesNothingElse) {
    SetSettings("C:\\VANT\\", "VCONFIG.EXE", "-cpl");
    Attach();
    unsigned char record[sizeof(NEWCPLINFOA)];
    memset(record, 0xCC, sizeof record);
    EXPECT_EQ(GetParam().expected, CPlApplet(nullptr, GetParam().message, 0, (LPARAM)record));
    for (unsigned char byte : record) ASSERT_EQ(0xCC, byte);
    EXPECT_TRUE(SimLaunches().empty());
}

INSTANTIATE_TEST_SUITE_P(Messages, PlainMessageTest, ::testing::ValuesIn(kPlainMessages),
                         [](const ::testing::TestParamInfo<MessageCase>& info) {
                             return "message_" + std::to_string(info.param.message);
                         });

TEST_F(AppletTest, InquireFillsTheIdsOfTheOneApplet) {
    AddLocalization();
    Attach();
    CPLINFO info;
    memset(&info, 0xCC, sizeof info);
    EXPECT_EQ(0, CPlApplet(nullptr, CPL_INQUIRE, 0, (LPARAM)&info));
    EXPECT_EQ(100, info.idIcon);
    EXPECT_EQ(1, info.idName);
    EXPECT_EQ(2, info.idInfo);
    EXPECT_EQ(0, info.lData);
}

struct NewInquireCase {
    const char* what;
    bool localized;
};

class NewInquireTest : public AppletTest, public ::testing::WithParamInterface<NewInquireCase> {};

void PrintTo(const NewInquireCase& c, std::ostream* os) { *os << c.what; }

TEST_P(NewInquireTest, FillsTheRecordFromTheResourceModule) {
    if (GetParam().localized) AddLocalization();
    Attach();
    LONG result;
    NEWCPLINFOA info = NewInquire(0, &result);

    EXPECT_EQ(0, result);
    EXPECT_EQ(sizeof(NEWCPLINFOA), info.dwSize);
    EXPECT_EQ(0u, info.dwFlags);
    EXPECT_EQ(0u, info.dwHelpContext);
    EXPECT_EQ(0, info.lData);
    EXPECT_EQ(GetParam().localized ? localizedIcon : appletIcon, info.hIcon);
    EXPECT_STREQ(GetParam().localized ? kLocalizedName : kName, info.szName);
    EXPECT_STREQ(GetParam().localized ? kLocalizedDescription : kDescription, info.szInfo);
    EXPECT_EQ(0, info.szHelpFile[0]);
}

INSTANTIATE_TEST_SUITE_P(Cases, NewInquireTest,
                         ::testing::Values(NewInquireCase{"own", false}, NewInquireCase{"localized", true}),
                         [](const ::testing::TestParamInfo<NewInquireCase>& info) { return CaseName(info.param.what); });

TEST_F(AppletTest, NewInquireCutsLongTextsToTheirFields) {
    HMODULE localization = AddLocalization();
    const std::string name(40, 'N'), description(100, 'D');
    SimSetModuleString(localization, 1, name.c_str());
    SimSetModuleString(localization, 2, description.c_str());
    Attach();
    LONG result;
    NEWCPLINFOA info = NewInquire(0, &result);
    EXPECT_EQ(0, result);
    EXPECT_EQ(name.substr(0, 31), info.szName);
    EXPECT_EQ(description.substr(0, 63), info.szInfo);
}

TEST_F(AppletTest, NewInquireWithoutIconOrStringsLeavesThemEmpty) {
    SimAddModule(kLocalizationPath);  // a localization library with nothing in it
    Attach();
    LONG result;
    NEWCPLINFOA info = NewInquire(0, &result);
    EXPECT_EQ(0, result);
    EXPECT_EQ(nullptr, info.hIcon);
    EXPECT_STREQ("", info.szName);
    EXPECT_STREQ("", info.szInfo);
}

// The one-entry table is never read past: another index is not processed
// and its record stays as the host gave it.
class OtherIndexTest : public AppletTest, public ::testing::WithParamInterface<LPARAM> {};

TEST_P(OtherIndexTest, InquiriesFillNothing) {
    Attach();
    for (UINT message : {UINT(CPL_INQUIRE), UINT(CPL_NEWINQUIRE)}) {
        unsigned char record[sizeof(NEWCPLINFOA)];
        memset(record, 0xCC, sizeof record);
        EXPECT_NE(0, CPlApplet(nullptr, message, GetParam(), (LPARAM)record)) << message;
        for (unsigned char byte : record) ASSERT_EQ(0xCC, byte) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Indexes, OtherIndexTest, ::testing::Values(LPARAM(1), LPARAM(2), LPARAM(-1), LPARAM(0x10000)));

TEST_F(AppletTest, InquiriesWithoutARecordAreNotProcessed) {
    Attach();
    EXPECT_NE(0, CPlApplet(nullptr, CPL_INQUIRE, 0, 0));
    EXPECT_NE(0, CPlApplet(nullptr, CPL_NEWINQUIRE, 0, 0));
}

// ---- Double-click ----

struct LaunchCase {
    const char* what;
    const char* location;
    LPARAM parameter1;
    LPARAM parameter2;
};

const LaunchCase kLaunchCases[] = {
    {"settings as kept", "C:\\VANT\\", 0, 0},
    {"location without trailing backslash", "C:\\VANT", 0, 0},
    {"parameters ignored", "C:\\VANT\\", 7, 0x1234},
};

class DoubleClickTest : public AppletTest, public ::testing::WithParamInterface<LaunchCase> {};

void PrintTo(const LaunchCase& c, std::ostream* os) { *os << c.what; }

TEST_P(DoubleClickTest, StartsTheConfigurationProgram) {
    SetSettings(GetParam().location, "VCONFIG.EXE", "-cpl");
    Attach();
    EXPECT_EQ(0, CPlApplet(nullptr, CPL_DBLCLK, GetParam().parameter1, GetParam().parameter2));
    ASSERT_EQ(1u, SimLaunches().size());
    EXPECT_EQ("C:\\VANT\\VCONFIG.EXE -cpl", SimLaunches()[0].commandLine);
    EXPECT_EQ((UINT)SW_SHOW, SimLaunches()[0].show);
}

INSTANTIATE_TEST_SUITE_P(Cases, DoubleClickTest, ::testing::ValuesIn(kLaunchCases),
                         [](const ::testing::TestParamInfo<LaunchCase>& info) { return CaseName(info.param.what); });

TEST_F(AppletTest, EachDoubleClickStartsItAgain) {
    SetSettings("C:\\VANT\\", "VCONFIG.EXE", "-cpl");
    Attach();
    CPlApplet(nullptr, CPL_DBLCLK, 0, 0);
    CPlApplet(nullptr, CPL_DBLCLK, 0, 0);
    EXPECT_EQ(2u, SimLaunches().size());
}

TEST_F(AppletTest, FailedStartIsNotReported) {
    SetSettings("C:\\VANT\\", "VCONFIG.EXE", "-cpl");
    Attach();
    SimFailCall("WinExec", ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(0, CPlApplet(nullptr, CPL_DBLCLK, 0, 0));
    EXPECT_TRUE(SimMessageBoxes().empty());
}

// ---- Dialog procedure ----

TEST_F(AppletTest, DialogProcedurePassesEverythingToTheDefault) {
    SimSetDefDlgProcResult(1234);
    HWND dialog = (HWND)(uintptr_t)0x4242;
    EXPECT_EQ(1234, QVPDlgProc(dialog, 0x0110, 7, 9));
    ASSERT_EQ(1u, SimDefDlgProcCalls().size());
    const SimDialogCall& call = SimDefDlgProcCalls()[0];
    EXPECT_EQ(dialog, call.dialog);
    EXPECT_EQ(0x0110u, call.message);
    EXPECT_EQ(7u, call.wParam);
    EXPECT_EQ(9, call.lParam);
}

}  // namespace
