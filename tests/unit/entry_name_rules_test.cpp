#include "install/entry_name_rules.h"

#include <gtest/gtest.h>

#include "fw/path_text.h"

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

// An entry's target: the install folder immediately followed by the name.
TEST(EntryTarget, InstallFolderThenName) {
    char out[kEntryPathCapacity];
    EXPECT_TRUE(ComposePath(out, sizeof(out), {"C:\\Velmora\\", "a/b/c.txt"}));
    EXPECT_STREQ(out, "C:\\Velmora\\a/b/c.txt");
    EXPECT_TRUE(ComposePath(out, sizeof(out), {"C:\\", "/x"}));
    EXPECT_STREQ(out, "C:\\/x");
}

TEST(EntryTarget, LongNamesAndTargetsAreRefused) {
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
        EXPECT_EQ(ComposePath(out, sizeof(out), {dir.c_str(), name.c_str()}), c.fits);
        if (!c.fits) {
            EXPECT_STREQ(out, "");
        }
    }
    // The name alone fills the buffer at 256 bytes (the name reader refuses such names first).
    EXPECT_TRUE(ComposePath(out, sizeof(out), {"", std::string(255, 'n').c_str()}));
    EXPECT_FALSE(ComposePath(out, sizeof(out), {"", std::string(256, 'n').c_str()}));
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

}  // namespace
