// The uninstaller's record of directories: each directory the platform
// answers is kept with its trailing backslash, or not at all.
#include "machine.h"

#include "uninstaller/paths_record.h"

#include <string.h>
#include <string>

namespace {

struct AnswerCase {
    const char* what;
    std::string answer;
    std::string kept;  // empty: not kept, and the record is incomplete
};

class PathsRecordTest : public MachineTest {};

TEST_F(PathsRecordTest, DirectoryAnswersAreKeptWithTheirBackslashOrNotAtAll) {
    const std::string d258 = "C:\\" + std::string(255, 'w');
    const AnswerCase cases[] = {
        {"short", "C:\\WINDOWS", "C:\\WINDOWS\\"},
        {"with its backslash", "C:\\WINDOWS\\", "C:\\WINDOWS\\"},
        {"258 characters: room for the backslash", d258, d258 + "\\"},
        {"259 characters ending with a backslash", d258 + "\\", d258 + "\\"},
        {"259 characters: no room for the backslash", d258 + "w", ""},
        {"260 characters: does not fit", d258 + "ww", ""},
    };
    for (bool system : {false, true}) {
        for (const AnswerCase& c : cases) {
            SimReset(SimulatedDrivesRoot());
            if (system)
                SimSetSystemDirectory(c.answer.c_str());
            else
                SimSetWindowsDirectory(c.answer.c_str());
            memset(&UninstallPaths, 'Z', sizeof UninstallPaths);  // stale content must not show
            int complete = FillUninstallPaths(SimMainModule());
            const char* field = system ? UninstallPaths.SystemDir : UninstallPaths.WindowsDir;
            ASSERT_TRUE(memchr(field, 0, PATH_BUFFER_SIZE)) << c.what;
            EXPECT_EQ(c.kept, field) << (system ? "system: " : "Windows: ") << c.what;
            EXPECT_EQ(!c.kept.empty(), complete != 0) << c.what;
            if (!system) {
                std::string wininit = c.kept + "wininit.ini";
                EXPECT_EQ(!c.kept.empty() && wininit.size() < PATH_BUFFER_SIZE ? wininit : "",
                          UninstallPaths.WininitPath)
                    << c.what;
            }
        }
    }
}

}  // namespace
