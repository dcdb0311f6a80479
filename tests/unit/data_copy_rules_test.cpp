// The data copy's walk: where the data folder lies, which listed items it passes over, and its
// paths joined with ComposePath.
#include "install/data_copy_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "fw/path_text.h"

namespace {

TEST(DataCopyPaths, Compositions) {
    char out[kPathCapacity];
    EXPECT_TRUE(ComposeDataSourceDir("C:\\Downloads\\velmora_setup.exe", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\Downloads\\data\\");
    EXPECT_TRUE(ComposeDataSourceDir("D:\\setup_x.exe", out, sizeof(out)));
    EXPECT_STREQ(out, "D:\\data\\");
    EXPECT_FALSE(ComposeDataSourceDir("setup_x.exe", out, sizeof(out)));

    // The walk's joins: a sub-folder, a file, the listing pattern.
    EXPECT_TRUE(ComposePath(out, sizeof(out), {"C:\\src\\", ".config", "\\"}));
    EXPECT_STREQ(out, "C:\\src\\.config\\");
    EXPECT_TRUE(ComposePath(out, sizeof(out), {"C:\\게임\\", "지도.dat"}));
    EXPECT_STREQ(out, "C:\\게임\\지도.dat");
    EXPECT_TRUE(ComposePath(out, sizeof(out), {"C:\\src\\", "*.*"}));
    EXPECT_STREQ(out, "C:\\src\\*.*");
}

TEST(DataCopyPaths, PathsBeyondTheBufferAreRefused) {
    char out[kPathCapacity];
    const std::string folder = "C:\\" + std::string(250, 'f') + "\\";  // 254 bytes
    EXPECT_TRUE(ComposePath(out, sizeof(out), {folder.c_str(), "12345"}));   // 259
    EXPECT_FALSE(ComposePath(out, sizeof(out), {folder.c_str(), "123456"}));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(ComposePath(out, sizeof(out), {folder.c_str(), "1234", "\\"}));
    EXPECT_FALSE(ComposePath(out, sizeof(out), {folder.c_str(), "12345", "\\"}));
    EXPECT_TRUE(ComposePath(out, sizeof(out), {folder.c_str(), "*.*"}));
    const std::string deeper = folder + "ffff\\";  // 259 bytes
    EXPECT_FALSE(ComposePath(out, sizeof(out), {deeper.c_str(), "*.*"}));
    const std::string setup = "C:\\" + std::string(250, 's') + "\\s.exe";  // folder of 253
    EXPECT_TRUE(ComposeDataSourceDir(setup.c_str(), out, sizeof(out)));     // + "\data\" = 259
    EXPECT_FALSE(ComposeDataSourceDir(setup.c_str(), out, sizeof(out) - 1));
}

TEST(IsSelfOrParentItem, OnlyTheTwoListingItems) {
    EXPECT_TRUE(IsSelfOrParentItem("."));
    EXPECT_TRUE(IsSelfOrParentItem(".."));
    EXPECT_FALSE(IsSelfOrParentItem(".git"));
    EXPECT_FALSE(IsSelfOrParentItem("..."));
    EXPECT_FALSE(IsSelfOrParentItem(""));
}

}  // namespace
