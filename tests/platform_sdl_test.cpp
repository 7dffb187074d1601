// The real platform's own-path role, on this very test program.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(PlatformExecutablePath, NamesThisProgramWholeOrNotAtAll) {
    char path[4200];
    int length = platformExecutablePath(path, sizeof path);
    ASSERT_GT(length, 0);
    std::filesystem::path self(path);
    EXPECT_EQ(int(std::string(path).size()), length);
    EXPECT_TRUE(self.is_absolute());
    EXPECT_EQ(self.filename(), "platform_sdl_tests");
    EXPECT_TRUE(std::filesystem::equivalent(self, "/proc/self/exe"));

    // A buffer one byte too small gets nothing rather than a cut path.
    char tight[4200];
    EXPECT_EQ(platformExecutablePath(tight, length), 0);
    EXPECT_EQ(tight[0], '\0');
    EXPECT_EQ(platformExecutablePath(tight, length + 1), length);
}
