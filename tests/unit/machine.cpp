#include "machine.h"

#include "uninstaller/uninstall.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

const char kOriginalOpenGL[] = "the platform's own OpenGL library";
const char kProductOpenGL[] = "the product's OpenGL library";

std::string SimulatedDrivesRoot() {
    const char* base = getenv("TMPDIR");
    return std::string(base && *base ? base : "/tmp") + "/vantrell-unit-" + std::to_string(getpid());
}

void MachineTest::SetUp() { SimReset(SimulatedDrivesRoot()); }

// Each test runs in a process of its own: its drives go with it.
void MachineTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(SimulatedDrivesRoot(), ignored);
}

ProductLayout InstallProduct(SimFamily family, const char* installDir, const char* installDirShort) {
    ProductLayout layout;
    layout.windowsDir = "C:\\WINDOWS";
    layout.systemDir = family == SimWindowsNT ? "C:\\WINDOWS\\SYSTEM32" : "C:\\WINDOWS\\SYSTEM";
    layout.installDir = installDir;
    layout.installDirShort = installDirShort;
    SimSetFamily(family);
    SimSetWindowsDirectory(layout.windowsDir.c_str());
    SimSetSystemDirectory(layout.systemDir.c_str());
    SimCreateDirectory(layout.systemDir.c_str());
    SimCreateDirectory(installDir);
    SimAddShortName(installDir, installDirShort);

    std::string install = installDir;
    std::string uninstaller = install + "UNINSTAL.EXE";
    SimWriteFile(uninstaller.c_str(), "uninstaller");
    SimSetInUse(uninstaller.c_str(), ERROR_ACCESS_DENIED);
    SimSetModulePath(SimMainModule(), uninstaller.c_str());
    SimSetCommandLine(("\"" + uninstaller + "\"").c_str());
    for (const char* name : {"uninstal.000", "install.log", "opengl32.fxa", "opengl32.fxb"})
        SimWriteFile((install + name).c_str(), name);
    SimWriteFile((install + "opengl32.sav").c_str(), kOriginalOpenGL);

    std::string system = layout.systemDir + "\\";
    SimWriteFile((system + "opengl32.dll").c_str(), kProductOpenGL);
    for (const char* name : {"vtl_d3d.dll", "vtl_sw.dll", "tavrix.vxd", "lentix.dll", "VANTRELL.CPL",
                             "corelay\\corelay.sys", "corelay\\lib\\corelay.cfg"})
        SimWriteFile((system + name).c_str(), name);

    const char* product = "Software\\Quillon Software\\Vantrell";
    SimRegSetString(HKEY_LOCAL_MACHINE, product, "InstallLocation", installDir);
    SimRegSetString(HKEY_LOCAL_MACHINE, product, "FileName", "VCONFIG.EXE");
    SimRegSetString(HKEY_LOCAL_MACHINE, product, "Switch", "-cpl");
    SimRegSetString(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\Vantrell\\Display\\Modes", "Default", "1");
    SimRegSetString(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\LtxCplCmd", "Command", "x");
    SimRegSetString(HKEY_LOCAL_MACHINE, "Software\\Quillon Software\\Other Product", "Keep", "yes");
    return layout;
}

int RunUninstaller(const char* commandLine) {
    SimSetCommandLine(commandLine);
    int result = 0;
    SIM_RUN_TRAPPING_EXIT(result, WinMain(SimMainModule(), nullptr, (LPSTR)CommandLineTail(commandLine), SW_SHOW));
    return result;
}
