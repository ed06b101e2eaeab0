// Fault injection over the applet as the Control Panel drives it: the
// library's load, every message, its unload. A clean session names every
// platform call each step makes; then each call is made to fail in turn,
// alone, with each error that can make a difference, with and without a
// localization library. Each session is checked against what that call's
// failure must lead to (a setting, the icon or a text left empty, the
// program not started, the library not used) and against what no failure
// may do: refuse the load, show a message, read past a record, load
// another library, or leave anything held.
#include "applet/applet.h"
#include "fault_report.h"
#include "tests/unit/machine.h"

#include <string.h>
#include <map>
#include <string>
#include <vector>

namespace {

const char kAppletPath[] = "C:\\WINDOWS\\SYSTEM\\VANTRELL.CPL";
const char kLocalizationPath[] = "C:\\WINDOWS\\SYSTEM\\VANTRELL-LOC.DLL";
const char kProductKey[] = "Software\\Quillon Software\\Vantrell";
const char kName[] = "Quillon Vantrell";
const char kDescription[] = "Configure settings for Quillon Vantrell driver.";
const char kLocalizedName[] = "Quillon-Vantrell-Treiber";
const char kLocalizedDescription[] = "Einstellungen f\xfcr den Quillon-Vantrell-Treiber festlegen.";

// What the Control Panel does with the library, in order.
enum Step { ATTACH, INIT, GET_COUNT, INQUIRE, NEW_INQUIRE, SELECT, DOUBLE_CLICK, STOP, EXIT, DETACH, STEP_COUNT };
const char* const kStepNames[STEP_COUNT] = {"load",       "CPL_INIT",   "CPL_GETCOUNT", "CPL_INQUIRE", "CPL_NEWINQUIRE",
                                            "CPL_SELECT", "CPL_DBLCLK", "CPL_STOP",     "CPL_EXIT",    "unload"};

struct Variant {
    const char* name;
    bool localizationLibrary;  // VANTRELL-LOC.DLL lies beside the applet
};
const Variant kVariants[] = {{"applet with localization library", true},
                             {"applet without localization library", false}};

struct Machine {
    HMODULE applet, localization;
    HICON appletIcon, localizedIcon;
};

Machine Arrange(const Variant& variant) {
    SimReset(SimulatedDrivesRoot());
    memset(&AppletSettings, 0, sizeof AppletSettings);  // as at a fresh load
    Machine m{};
    m.applet = SimAddModule(kAppletPath);
    SimSetModuleString(m.applet, 1, kName);
    SimSetModuleString(m.applet, 2, kDescription);
    SimSetModuleString(m.applet, 3, kProductKey);
    m.appletIcon = SimAddModuleIcon(m.applet, 100);
    if (variant.localizationLibrary) {
        m.localization = SimAddModule(kLocalizationPath);
        SimSetModuleString(m.localization, 1, kLocalizedName);
        SimSetModuleString(m.localization, 2, kLocalizedDescription);
        m.localizedIcon = SimAddModuleIcon(m.localization, 100);
    }
    SimRegSetString(HKEY_LOCAL_MACHINE, kProductKey, "InstallLocation", "C:\\VANT");
    SimRegSetString(HKEY_LOCAL_MACHINE, kProductKey, "FileName", "VCONFIG.EXE");
    SimRegSetString(HKEY_LOCAL_MACHINE, kProductKey, "Switch", "-cpl");
    return m;
}

struct Session {
    LONG results[STEP_COUNT];
    CPLINFO info;
    unsigned char newInfo[sizeof(NEWCPLINFOA) + 16];  // the record and a guard behind it
    std::string location, fileName, arguments, keyPath;
    HMODULE resourceModule, localizationModule;  // after the load
    std::vector<size_t> stepStarts;              // where each step's calls begin in the call log
    std::vector<SimLaunch> launches;
    size_t boxes;
    std::vector<std::string> loadRequests;
    int localizationReferences, registryHandles, fileHandles, heapBlocks;
    bool injectedCallMade;
    std::string injectedSubject;
};

const unsigned char kGuard = 0xA5;

Session Drive(const Machine& m, const Injection& injection) {
    if (!injection.op.empty()) SimFailCall(injection.op.c_str(), injection.error, injection.occurrence);
    Session s;
    memset(&s.info, 0xCC, sizeof s.info);
    memset(s.newInfo, kGuard, sizeof s.newInfo);
    for (int step = 0; step < STEP_COUNT; ++step) {
        s.stepStarts.push_back(SimCallLog().size());
        LONG& result = s.results[step];
        switch (step) {
        case ATTACH:
            result = DllEntryPoint(m.applet, DLL_PROCESS_ATTACH, nullptr);
            s.location = AppletSettings.InstallLocation;
            s.fileName = AppletSettings.FileName;
            s.arguments = AppletSettings.Switch;
            s.keyPath = AppletSettings.KeyPath;
            s.resourceModule = AppletSettings.ResourceModule;
            s.localizationModule = AppletSettings.LocalizationModule;
            break;
        case INIT: result = CPlApplet(nullptr, CPL_INIT, 0, 0); break;
        case GET_COUNT: result = CPlApplet(nullptr, CPL_GETCOUNT, 0, 0); break;
        case INQUIRE: result = CPlApplet(nullptr, CPL_INQUIRE, 0, (LPARAM)&s.info); break;
        case NEW_INQUIRE: result = CPlApplet(nullptr, CPL_NEWINQUIRE, 0, (LPARAM)s.newInfo); break;
        case SELECT: result = CPlApplet(nullptr, CPL_SELECT, 0, 0); break;
        case DOUBLE_CLICK: result = CPlApplet(nullptr, CPL_DBLCLK, 0, 0); break;
        case STOP: result = CPlApplet(nullptr, CPL_STOP, 0, 0); break;
        case EXIT: result = CPlApplet(nullptr, CPL_EXIT, 0, 0); break;
        case DETACH: result = DllEntryPoint(m.applet, DLL_PROCESS_DETACH, nullptr); break;
        }
    }
    SimClearFailures();
    s.launches = SimLaunches();
    s.boxes = SimMessageBoxes().size();
    s.loadRequests = SimLoadLibraryRequests();
    s.localizationReferences = m.localization ? SimModuleReferences(m.localization) : 0;
    s.registryHandles = SimRegOpenHandles();
    s.fileHandles = SimOpenFileHandles();
    s.heapBlocks = SimHeapBlocks();
    s.injectedCallMade = false;
    int seen = 0;
    for (const SimCall& call : SimCallLog()) {
        if (call.op == injection.op && ++seen == injection.occurrence) {
            s.injectedCallMade = true;
            s.injectedSubject = call.subject;
            break;
        }
    }
    return s;
}

// What a session must show.
struct Expectation {
    std::string location = "C:\\VANT\\", fileName = "VCONFIG.EXE", arguments = "-cpl";
    bool keyPath = true;
    bool requested = true;  // the localization library beside the applet was asked for
    bool localized;         // and its resources are used
    bool icon = true, name = true, description = true;
    bool launched = true;
    bool stillLoaded = false;    // the localization library's release failed
    bool handleMayStay = false;  // a registry key's close failed
};

Expectation CleanExpectation(const Variant& variant) {
    Expectation e;
    e.localized = variant.localizationLibrary;
    return e;
}

// What the failure of a call of op (its nth call within step, acting on
// subject) must lead to. False (with why) for a call of no known role.
bool ExpectFailure(const Variant& variant, Step step, const std::string& op, int nth, const std::string& subject,
                   Expectation* e, std::string* why) {
    *e = CleanExpectation(variant);
    if (step == ATTACH) {
        if (op == "LoadStringA") {  // the settings key: no settings at all
            e->keyPath = false;
            e->location = e->fileName = e->arguments = "";
        } else if (op == "RegOpenKeyA" && nth >= 1 && nth <= 3) {  // one read per setting, in order
            (nth == 1 ? e->location : nth == 2 ? e->fileName : e->arguments) = "";
        } else if (op == "RegQueryValueExA" && subject == "InstallLocation") {
            e->location = "";
        } else if (op == "RegQueryValueExA" && subject == "FileName") {
            e->fileName = "";
        } else if (op == "RegQueryValueExA" && subject == "Switch") {
            e->arguments = "";
        } else if (op == "RegCloseKey") {
            e->handleMayStay = true;
        } else if (op == "GetModuleFileNameA" || op == "lstrcatA") {
            // The library's name cannot be made: none is looked for.
            e->requested = false;
            e->localized = false;
        } else if (op == "LoadLibraryA") {
            e->localized = false;
        } else {
            *why = op + " in the load";
            return false;
        }
        return true;
    }
    if (step == NEW_INQUIRE) {
        if (op == "LoadIconA") {
            e->icon = false;
        } else if (op == "LoadStringA" && subject == "1") {
            e->name = false;
        } else if (op == "LoadStringA" && subject == "2") {
            e->description = false;
        } else {
            *why = op + " in CPL_NEWINQUIRE";
            return false;
        }
        return true;
    }
    if (step == DOUBLE_CLICK && op == "WinExec") {
        e->launched = false;  // not reported
        return true;
    }
    if (step == DETACH && op == "FreeLibrary") {
        e->stillLoaded = true;
        return true;
    }
    *why = op + " in " + kStepNames[step];
    return false;
}

std::vector<std::string> Check(const Machine& m, const Session& s, const Expectation& e, const Injection& injection,
                               const std::string& cleanSubject) {
    std::vector<std::string> v;
    if (!injection.op.empty()) {
        if (!s.injectedCallMade)
            v.push_back("the injected call was not made: the session went another way before it");
        else if (s.injectedSubject != cleanSubject)
            v.push_back("the injected call acted on " + s.injectedSubject + ", not " + cleanSubject);
    }
    static const LONG kResults[STEP_COUNT] = {TRUE, 1, 1, 0, 0, 0, 0, 0, 0, TRUE};
    for (int step = 0; step < STEP_COUNT; ++step)
        if (s.results[step] != kResults[step])
            v.push_back(std::string(kStepNames[step]) + " answered " + std::to_string(s.results[step]) + ", expected " +
                        std::to_string(kResults[step]));

    // The settings, and where the resources come from.
    if (s.keyPath != (e.keyPath ? kProductKey : "")) v.push_back("settings key \"" + s.keyPath + "\"");
    if (s.location != e.location)
        v.push_back("InstallLocation \"" + s.location + "\", expected \"" + e.location + "\"");
    if (s.fileName != e.fileName) v.push_back("FileName \"" + s.fileName + "\", expected \"" + e.fileName + "\"");
    if (s.arguments != e.arguments) v.push_back("Switch \"" + s.arguments + "\", expected \"" + e.arguments + "\"");
    HMODULE resources = e.localized ? m.localization : m.applet;
    if (s.resourceModule != resources || s.localizationModule != (e.localized ? m.localization : nullptr))
        v.push_back(std::string("resources taken from the ") +
                    (s.resourceModule == m.applet         ? "applet"
                     : s.resourceModule == m.localization ? "localization library"
                                                          : "wrong module") +
                    ", expected the " + (e.localized ? "localization library" : "applet"));
    std::vector<std::string> requests;
    if (e.requested) requests.push_back(kLocalizationPath);
    if (s.loadRequests != requests) {
        std::string seen;
        for (const std::string& path : s.loadRequests) seen += " " + path;
        v.push_back("libraries asked for:" + (seen.empty() ? std::string(" none") : seen) + ", expected " +
                    (e.requested ? kLocalizationPath : "none"));
    }

    // The records.
    if (s.info.idIcon != 100 || s.info.idName != 1 || s.info.idInfo != 2 || s.info.lData != 0)
        v.push_back("CPL_INQUIRE record holds other ids");
    NEWCPLINFOA info;
    memcpy(&info, s.newInfo, sizeof info);
    HICON icon = e.icon ? (e.localized ? m.localizedIcon : m.appletIcon) : nullptr;
    std::string name = e.name ? (e.localized ? kLocalizedName : kName) : "";
    std::string description = e.description ? (e.localized ? kLocalizedDescription : kDescription) : "";
    if (info.dwSize != sizeof(NEWCPLINFOA) || info.dwFlags != 0 || info.dwHelpContext != 0 || info.lData != 0 ||
        info.szHelpFile[0] != 0)
        v.push_back("CPL_NEWINQUIRE record's fixed fields are wrong");
    if (info.hIcon != icon)
        v.push_back(std::string("CPL_NEWINQUIRE icon ") + (info.hIcon ? "set" : "empty") + ", expected " +
                    (icon ? "the resource module's" : "empty"));
    if (memchr(info.szName, 0, sizeof info.szName) == nullptr || name != info.szName)
        v.push_back("CPL_NEWINQUIRE name is not \"" + name + "\"");
    if (memchr(info.szInfo, 0, sizeof info.szInfo) == nullptr || description != info.szInfo)
        v.push_back("CPL_NEWINQUIRE description is not \"" + description + "\"");
    for (size_t i = sizeof(NEWCPLINFOA); i < sizeof s.newInfo; ++i)
        if (s.newInfo[i] != kGuard) {
            v.push_back("CPL_NEWINQUIRE wrote past its record");
            break;
        }

    // The configuration program: started, not waited for, never reported.
    // Without its location the program would be searched for: no start.
    std::string command = e.location + e.fileName + " " + e.arguments;
    bool launched = e.launched && !e.location.empty();
    if (s.launches.size() != (launched ? 1u : 0u))
        v.push_back(std::to_string(s.launches.size()) + " programs started, expected " + (launched ? "1" : "0"));
    else if (launched && (s.launches[0].commandLine != command || s.launches[0].show != SW_SHOW))
        v.push_back("started \"" + s.launches[0].commandLine + "\", expected \"" + command + "\"");
    if (s.boxes) v.push_back("the applet showed a message box");

    // Nothing held after the unload.
    int references = e.localized && e.stillLoaded ? 1 : 0;
    if (s.localizationReferences != references)
        v.push_back("localization library loaded " + std::to_string(s.localizationReferences) +
                    " times after the unload, expected " + std::to_string(references));
    if (s.registryHandles > (e.handleMayStay ? 1 : 0))
        v.push_back(std::to_string(s.registryHandles) + " registry handles left held");
    if (s.fileHandles || s.heapBlocks) v.push_back("file handles or heap blocks left held");
    return v;
}

void PrintTo(const Variant& value, std::ostream* out) { *out << value.name; }

class AppletFaults : public ::testing::TestWithParam<Variant> {};

TEST_P(AppletFaults, EveryCallFailingInTurnLeavesTheAppletSound) {
    const Variant& variant = GetParam();
    Campaign campaign(variant.name);

    std::string description = Describe(variant.name, Injection());
    campaign.Begin(description);
    Machine m = Arrange(variant);
    Session clean = Drive(m, Injection());
    const std::vector<SimCall> log = SimCallLog();
    if (Campaign::Selected(description))
        campaign.End(Check(m, clean, CleanExpectation(variant), Injection(), ""));
    else
        campaign.Leave();

    std::map<std::string, int> occurrences;
    std::map<std::pair<int, std::string>, int> withinStep;
    int step = 0;
    for (size_t at = 0; at < log.size(); ++at) {
        while (step + 1 < STEP_COUNT && at >= clean.stepStarts[step + 1]) ++step;
        const SimCall& call = log[at];
        int occurrence = ++occurrences[call.op];
        int nth = ++withinStep[{step, call.op}];
        if (CannotFail(call.op)) continue;
        for (DWORD error : ErrorsFor(call.op)) {
            Injection injection;
            injection.op = call.op;
            injection.occurrence = occurrence;
            injection.error = error;
            injection.subject = call.subject;
            description = Describe(std::string(variant.name) + ", " + kStepNames[step], injection);
            if (!Campaign::Selected(description)) continue;
            campaign.Begin(description);
            Expectation e;
            std::string why;
            if (!ExpectFailure(variant, (Step)step, call.op, nth, call.subject, &e, &why)) {
                campaign.End({"no known role of this call: " + why});
                continue;
            }
            m = Arrange(variant);
            Session s = Drive(m, injection);
            campaign.End(Check(m, s, e, injection, call.subject));
        }
    }
    campaign.Finish();
}

INSTANTIATE_TEST_SUITE_P(Variants, AppletFaults, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                             return std::string(info.param.localizationLibrary ? "WithLocalization"
                                                                               : "WithoutLocalization");
                         });

}  // namespace
