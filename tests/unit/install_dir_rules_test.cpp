#include "ui/install_dir_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char kSubdir[] = "\\Velmora";

struct FolderCase {
    const char* typed;
    bool accepted;
    const char* normalised;  // checked only when accepted
};

const FolderCase kFolderCases[] = {
    {"", false, ""},
    {"C:", false, ""},                                   // shorter than 3 bytes
    {"C: ", true, "C:\\"},                               // blank gives way to the root's "\"
    {"C:\\", true, "C:\\"},
    {"c:\\games", true, "c:\\games\\"},
    {"C:\\Program Files\\Velmora   ", true, "C:\\Program Files\\Velmora\\"},
    {"C:\\Games\\   ", true, "C:\\Games\\"},            // no second "\" after trimming
    {"C:\\Games\t", true, "C:\\Games\t\\"},             // only 0x20 is trimmed
    {"C:\\Games*", true, "C:\\Games*\\"},               // only emptiness and ":" are tested
    {"C:\\게임\\벨모라", true, "C:\\게임\\벨모라\\"},
    {"D:\\탄드렐 게임 ", true, "D:\\탄드렐 게임\\"},
    {"C:\\Games\\\\Velmora", false, ""},                 // empty component in the middle
    {"C:\\Games\\\\", false, ""},                        // at the end
    {"C:\\\\Games", false, ""},                          // right after the root
    {"C:\\Games\\D:\\x", false, ""},                     // colon after the root
    {"C:\\a:b", false, ""},
    {"C:/Games", false, ""},
    {"\\\\server\\share", false, ""},
    {" C:\\Games", false, ""},
    {"   ", false, ""},
    {"1:\\Games", false, ""},
    {"CC\\Games", false, ""},
    {"\\Velmora", false, ""},                            // default when no base folder was found
};

TEST(NormaliseInstallDir, AppliesTheFolderRules) {
    for (const FolderCase& c : kFolderCases) {
        SCOPED_TRACE(c.typed);
        char dir[kPathCapacity] = {};
        strcpy(dir, c.typed);
        EXPECT_EQ(NormaliseInstallDir(dir, sizeof(dir)), c.accepted);
        if (c.accepted) {
            EXPECT_STREQ(dir, c.normalised);
        }
    }
}

// "C:\" followed by 'a' up to |length| bytes, then |tail|.
std::string FolderOfLength(size_t length, const char* tail = "") {
    std::string text = "C:\\";
    text.append(length - text.size() - strlen(tail), 'a');
    return text + tail;
}

struct EdgeCase {
    size_t length;
    const char* tail;
    bool accepted;
    size_t normalisedLength;
};

const EdgeCase kEdgeCases[] = {
    {258, "", true, 259},     // the appended "\" takes the last text byte
    {259, "", false, 0},      // no room left for the "\"
    {259, "\\", true, 259},   // already closed
    {259, " ", true, 259},    // the blank makes room for the "\"
    {259, "  ", true, 258},
};

TEST(NormaliseInstallDir, BufferEdges) {
    for (const EdgeCase& c : kEdgeCases) {
        SCOPED_TRACE(c.length);
        SCOPED_TRACE(c.tail);
        char dir[kPathCapacity];
        std::string text = FolderOfLength(c.length, c.tail);
        memcpy(dir, text.c_str(), text.size() + 1);
        EXPECT_EQ(NormaliseInstallDir(dir, sizeof(dir)), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(strlen(dir), c.normalisedLength);
            EXPECT_EQ(dir[c.normalisedLength - 1], '\\');
        }
    }
}

TEST(NormaliseInstallDir, TextWithoutTerminatorIsRejectedUntouched) {
    char dir[kPathCapacity];
    memset(dir, 'a', sizeof(dir));
    memcpy(dir, "C:\\", 3);
    EXPECT_FALSE(NormaliseInstallDir(dir, sizeof(dir)));
    EXPECT_EQ(dir[sizeof(dir) - 1], 'a');
}

TEST(NormaliseInstallDir, SmallCapacity) {
    char dir[4] = "C: ";
    EXPECT_TRUE(NormaliseInstallDir(dir, sizeof(dir)));
    EXPECT_STREQ(dir, "C:\\");
    char tight[4] = "C:x";
    EXPECT_FALSE(NormaliseInstallDir(tight, sizeof(tight)));
}

TEST(ComposeDefaultInstallDir, BaseThenSubdir) {
    char out[kPathCapacity];
    EXPECT_TRUE(ComposeDefaultInstallDir("C:\\Users\\user\\AppData\\Local", kSubdir, out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\Users\\user\\AppData\\Local\\Velmora");
    EXPECT_TRUE(ComposeDefaultInstallDir("", kSubdir, out, sizeof(out)));
    EXPECT_STREQ(out, "\\Velmora");
    EXPECT_TRUE(ComposeDefaultInstallDir(nullptr, kSubdir, out, sizeof(out)));
    EXPECT_STREQ(out, "\\Velmora");
}

TEST(ComposeDefaultInstallDir, TooLongIsRefusedNotCut) {
    char out[kPathCapacity];
    std::string base = FolderOfLength(251);  // + 8 bytes = 259
    EXPECT_TRUE(ComposeDefaultInstallDir(base.c_str(), kSubdir, out, sizeof(out)));
    EXPECT_EQ(strlen(out), 259u);
    base = FolderOfLength(252);
    EXPECT_FALSE(ComposeDefaultInstallDir(base.c_str(), kSubdir, out, sizeof(out)));
    EXPECT_STREQ(out, "");
}

struct BrowseCase {
    const char* picked;
    const char* written;
};

const BrowseCase kBrowseCases[] = {
    {"D:\\", "D:\\Velmora"},
    {"D:\\Games", "D:\\Games\\Velmora"},
    {"D:\\Velmora\\old", "D:\\Velmora\\old"},
    {"D:\\Tools\\Velmora", "D:\\Tools\\Velmora"},
    {"D:\\velmora", "D:\\velmora\\Velmora"},       // the test is case-sensitive
    {"D:\\Velmoran", "D:\\Velmoran"},              // a substring is enough
    {"D:\\게임", "D:\\게임\\Velmora"},
};

TEST(ComposeBrowsedInstallDir, AppendsTheSubdirOnce) {
    for (const BrowseCase& c : kBrowseCases) {
        SCOPED_TRACE(c.picked);
        char out[kPathCapacity];
        EXPECT_TRUE(ComposeBrowsedInstallDir(c.picked, kSubdir, out, sizeof(out)));
        EXPECT_STREQ(out, c.written);
    }
}

TEST(ComposeBrowsedInstallDir, TooLongIsRefusedNotCut) {
    char out[kPathCapacity];
    std::string picked = FolderOfLength(251);
    EXPECT_TRUE(ComposeBrowsedInstallDir(picked.c_str(), kSubdir, out, sizeof(out)));
    picked = FolderOfLength(252);
    EXPECT_FALSE(ComposeBrowsedInstallDir(picked.c_str(), kSubdir, out, sizeof(out)));
    EXPECT_STREQ(out, "");
    char tiny[11];  // "D:\Velmora" needs 11 with its NUL
    EXPECT_TRUE(ComposeBrowsedInstallDir("D:\\", kSubdir, tiny, sizeof(tiny)));
    EXPECT_FALSE(ComposeBrowsedInstallDir("D:\\", kSubdir, tiny, sizeof(tiny) - 1));
}

TEST(DriveProbePaths, TestFileAndRootOfTheInstallDrive) {
    char out[kPathCapacity];
    EXPECT_TRUE(ComposeDriveTestPath("C:\\Program Files\\Velmora\\", out, sizeof(out)));
    EXPECT_STREQ(out, "C:\\_setuptest_");
    EXPECT_TRUE(ComposeDriveTestPath("d:\\", out, sizeof(out)));
    EXPECT_STREQ(out, "d:\\_setuptest_");
    EXPECT_FALSE(ComposeDriveTestPath("C:", out, sizeof(out)));
    EXPECT_FALSE(ComposeDriveTestPath("C:\\x\\", out, 14));  // 14 bytes + NUL

    EXPECT_TRUE(ComposeDriveRoot("e:\\게임\\", out, sizeof(out)));
    EXPECT_STREQ(out, "e:\\");
    EXPECT_FALSE(ComposeDriveRoot("\\Velmora\\", out, sizeof(out)));
    EXPECT_FALSE(ComposeDriveRoot("", out, sizeof(out)));
}

struct SpaceCase {
    uint64_t freeBytes;
    int32_t dataBytes;
    int32_t packageBytes;
    bool room;
};

const uint64_t kMiB = 1048576;

const SpaceCase kSpaceCases[] = {
    {0, 0, 0, false},
    {1048575, 0, 0, false},
    {1048576, 0, 0, true},
    {20 * kMiB, 0, 10485760, false},         // needs 20 MiB: strictly more is required
    {21 * kMiB - 1, 0, 10485760, false},
    {21 * kMiB, 0, 10485760, true},
    {21 * kMiB, 20 * 1048576, 0, true},
    {21 * kMiB, 1, 10485760, true},          // 20 MiB + 1 byte truncates to 20 MiB
    {2 * kMiB, -1, 0, true},                 // -1 / 1 MiB truncates toward zero: 0
    {1024 * 1024 * kMiB, -3 * 1048576, 0, false},  // negative requirement is huge unsigned
    {1ull << 52, 0, 0, false},               // 2^32 MiB wraps to 0 MiB in 32 bits
};

TEST(HasRoomForInstall, MiBArithmetic) {
    for (const SpaceCase& c : kSpaceCases) {
        SCOPED_TRACE(c.freeBytes);
        EXPECT_EQ(HasRoomForInstall(c.freeBytes, c.dataBytes, c.packageBytes), c.room);
    }
}

TEST(RequiredFreeMiB, SignedAndWithoutWrap) {
    EXPECT_EQ(RequiredFreeMiB(0, 0), 0);
    EXPECT_EQ(RequiredFreeMiB(0, 10485760), 20);
    EXPECT_EQ(RequiredFreeMiB(1048575, 0), 0);
    EXPECT_EQ(RequiredFreeMiB(-1048577, 0), -1);
    EXPECT_EQ(RequiredFreeMiB(INT32_MAX, INT32_MAX), 6143);  // 3 x (2^31 - 1) bytes
}

TEST(PlainQueryFreeBytes, ProductInSixtyFourBits) {
    EXPECT_EQ(PlainQueryFreeBytes(8, 512, 1000), 4096000u);
    EXPECT_EQ(PlainQueryFreeBytes(128, 65536, 0xFFFFFFFFu), 0x7FFFFFFF800000ull);
    EXPECT_EQ(PlainQueryFreeBytes(0, 512, 1000), 0u);
}

}  // namespace
