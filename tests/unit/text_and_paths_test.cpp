#include "common/paths.h"
#include "common/text.h"

#include <gtest/gtest.h>
#include <string.h>
#include <string>

TEST(TextTest, SmokeCompose) {
    char out[8];
    EXPECT_EQ(1, ComposeText(out, sizeof out, "ab", "cd", "e"));
    EXPECT_STREQ("abcde", out);
}
