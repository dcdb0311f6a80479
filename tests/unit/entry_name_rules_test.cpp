#include "install/entry_name_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct NameCase {
    const char* name;
    bool contained;
};

const NameCase kNameCases[] = {
    // Ordinary names, including ones that only look odd.
    {"Velmora.EXE", true},
    {"data/maps/1.map", true},
    {"data\\maps\\1.map", true},
    {"docs/", true},
    {"벨모라/도움말.txt", true},
    {"a..b", true},
    {".hidden", true},
    {"..hidden", true},
    {"b..", true},
    {"./a", true},
    {"/leading", true},        // lands right after the install folder's "\"
    {"\\leading", true},
    {"a//b", true},
    {"", true},                // the install folder itself
    {"CONFIG.SYS", true},
    {"console.log", true},
    {"COM10", true},
    {"LPT", true},
    {"a.CON", true},
    {"NULL", true},
    // Parent components, with either separator and mixed.
    {"..", false},
    {"../x", false},
    {"..\\x", false},
    {"a/../b", false},
    {"a\\..\\b", false},
    {"a/..\\..\\b", false},
    {"a/..", false},
    {"a/../", false},
    {".. /x", false},          // Windows trims the blank
    {"a/. ./b", false},
    {"...", false},            // only dots: refused with ".."
    {"a/.../b", false},
    // Drives and streams.
    {"C:", false},
    {"C:\\Windows\\x.dll", false},
    {"c:x", false},
    {"name:stream", false},
    {"a/b.txt::$DATA", false},
    // Leading pairs: a UNC or device path once joined.
    {"\\\\server\\share\\x", false},
    {"//x", false},
    {"\\/x", false},
    {"/\\x", false},
    // Device names as any component.
    {"CON", false},
    {"con.txt", false},
    {"a/NUL/b", false},
    {"a\\prn", false},
    {"Aux.tar.gz", false},
    {"NUL  ", false},
    {"nul .txt", false},
    {"COM1", false},
    {"lpt9.log", false},
    {"com0", false},
    {"CONIN$", false},
    {"conout$.txt", false},
    {"COM¹", false},
    {"LPT³.txt", false},
};

TEST(IsEntryNameContained, RefusesEveryWayOut) {
    for (const NameCase& c : kNameCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsEntryNameContained(c.name), c.contained);
    }
    EXPECT_FALSE(IsEntryNameContained(nullptr));
}

TEST(ComposeEntryTarget, InstallFolderThenName) {
    char out[kEntryPathCapacity];
    EXPECT_TRUE(ComposeEntryTarget("C:\\Velmora\\", "a/b/c.txt", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\Velmora\\a/b/c.txt");
    EXPECT_TRUE(ComposeEntryTarget("C:\\", "/x", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\/x");
}

TEST(ComposeEntryTarget, LongNamesAndTargetsAreRefused) {
    char out[kEntryPathCapacity];
    const std::string dir = "C:\\V\\";  // 5 bytes
    struct Case {
        size_t nameLength;
        bool fits;
    };
    const Case kCases[] = {{250, true}, {251, false}, {255, false}, {256, false}};
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.nameLength);
        std::string name(c.nameLength, 'n');
        EXPECT_EQ(ComposeEntryTarget(dir.c_str(), name.c_str(), out, sizeof(out)), c.fits);
        if (!c.fits) {
            EXPECT_STREQ(out, "");
        }
    }
    // A 256-byte name is refused even where a larger buffer would take it.
    char large[1024];
    EXPECT_TRUE(ComposeEntryTarget("", std::string(255, 'n').c_str(), large, sizeof(large)));
    EXPECT_FALSE(ComposeEntryTarget("", std::string(256, 'n').c_str(), large, sizeof(large)));
}

struct LeafCase {
    const char* path;
    const char* leaf;
};

const LeafCase kLeafCases[] = {
    {"C:\\V\\a/b/c.txt", "c.txt"},
    {"C:\\V\\docs/", ""},
    {"C:\\V\\docs\\", ""},
    {"C:\\V\\a\\b/c", "c"},
    {"plain", "plain"},
    {"", ""},
};

TEST(LeafOf, TextAfterTheLastSeparator) {
    for (const LeafCase& c : kLeafCases) {
        SCOPED_TRACE(c.path);
        EXPECT_STREQ(LeafOf(c.path), c.leaf);
    }
}

TEST(DataCopyPaths, Compositions) {
    char out[kDataPathCapacity];
    EXPECT_TRUE(ComposeDataSourceDir("C:\\Downloads\\velmora_setup.exe", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\Downloads\\data\\");
    EXPECT_TRUE(ComposeDataSourceDir("D:\\setup_x.exe", out, sizeof(out)));
    EXPECT_STREQ(out, "D:\\data\\");
    EXPECT_FALSE(ComposeDataSourceDir("setup_x.exe", out, sizeof(out)));

    EXPECT_TRUE(ComposeSubFolder("C:\\src\\", ".config", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\src\\.config\\");
    EXPECT_TRUE(ComposeFilePath("C:\\게임\\", "지도.dat", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\게임\\지도.dat");
    EXPECT_TRUE(ComposeSearchPattern("C:\\src\\", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\src\\*.*");
}

TEST(DataCopyPaths, PathsBeyondTheBufferAreRefused) {
    char out[kDataPathCapacity];
    const std::string folder = "C:\\" + std::string(250, 'f') + "\\";  // 254 bytes
    EXPECT_TRUE(ComposeFilePath(folder.c_str(), "12345", out, sizeof(out)));   // 259
    EXPECT_FALSE(ComposeFilePath(folder.c_str(), "123456", out, sizeof(out)));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(ComposeSubFolder(folder.c_str(), "1234", out, sizeof(out)));
    EXPECT_FALSE(ComposeSubFolder(folder.c_str(), "12345", out, sizeof(out)));
    EXPECT_TRUE(ComposeSearchPattern(folder.c_str(), out, sizeof(out)));
    const std::string deeper = folder + "ffff\\";  // 259 bytes
    EXPECT_FALSE(ComposeSearchPattern(deeper.c_str(), out, sizeof(out)));
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
