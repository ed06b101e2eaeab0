// Shared fixture for unit tests: a fresh simulated machine per test, and a
// product installed on it as its installer would have left it.
#ifndef TESTS_UNIT_MACHINE_H
#define TESTS_UNIT_MACHINE_H

#include <gtest/gtest.h>

#include "sim.h"

#include <string>

class MachineTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The directory under which this test process keeps its simulated drives.
std::string SimulatedDrivesRoot();

struct ProductLayout {
    std::string windowsDir;  // without trailing backslash
    std::string systemDir;
    std::string installDir;  // long form, trailing backslash
    std::string installDirShort;
};

// Places the product on the machine: install directory with the uninstaller,
// the installer's uninstaller and log and the OpenGL backup and variants;
// in the system directory the product's opengl32.dll, renderer libraries,
// helper driver, stereo library, applet and corelay\ tree; the product's
// registry keys and a sibling key that must stay. The running uninstaller
// is in use. NT puts the system directory at SYSTEM32.
ProductLayout InstallProduct(SimFamily family, const char* installDir = "C:\\Program Files\\Vantrell\\",
                             const char* installDirShort = "C:\\PROGRA~1\\VANTRE~1\\");

// Runs the uninstaller's entry on the command line as the program's entry
// would, returning WinMain's result or the exit code of ExitProcess.
int RunUninstaller(const char* commandLine);

extern const char kOriginalOpenGL[];
extern const char kProductOpenGL[];

#endif
