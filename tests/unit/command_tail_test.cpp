// The command-line tail that the program's entry hands to WinMain.
#include "uninstaller/uninstall.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct TailCase {
    const char* commandLine;
    const char* tail;
};

TEST(CommandLineTailTest, Cases) {
    const TailCase cases[] = {
        {"UNINSTAL.EXE -norename", "-norename"},
        {"UNINSTAL.EXE", ""},
        {"  \t UNINSTAL.EXE \t -norename", "-norename"},
        {"\"C:\\Program Files\\Vantrell\\uninstal.exe\" -norename", "-norename"},
        {"\"C:\\Program Files\\Vantrell\\uninstal.exe\"-norename", "-norename"},
        {"UNINSTAL.EXE -norename  ", "-norename  "},  // trailing blanks stay
        {"UNINSTAL.EXE -norename extra", "-norename extra"},
        {"\"C:\\Program Files\\unterminated -norename", ""},
        {"\"\" -x", "-x"},
        {"", ""},
        {"   ", ""},
    };
    for (const TailCase& c : cases) EXPECT_EQ(std::string(c.tail), CommandLineTail(c.commandLine)) << c.commandLine;
    EXPECT_STREQ("", CommandLineTail(nullptr));
}

}  // namespace
