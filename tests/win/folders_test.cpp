// Making folders on the disk: the chain of an extracted file's folders, the destination
// folders of the data copy.
#include "fw/folders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/install_support.h"
#include "tests/win/test_support.h"

namespace {

struct ChainCase {
    const char* folder;  // under the scratch folder
    bool result;
    const char* made;    // a folder that must exist afterwards, or null
};

TEST(MakeFolderChain, MakesEveryMissingFolder) {
    ScratchDir scratch("vmk");
    ASSERT_TRUE(WriteFileBytes(scratch.path() + "file", "x"));
    const ChainCase kCases[] = {
        {"a", true, "a"},
        {"b\\c\\d", true, "b\\c\\d"},
        {"e/f/g/", true, "e\\f\\g"},    // a trailing "/" is dropped
        {"h\\i/j\\", true, "h\\i\\j"},
        {"b\\c", true, "b\\c"},        // exists already
        {"file\\sub", false, nullptr},  // a file stands where a folder must be
    };
    for (const ChainCase& c : kCases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(MakeFolderChain((scratch.path() + c.folder).c_str()), c.result);
        if (c.made) {
            DWORD attributes = GetFileAttributesA((scratch.path() + c.made).c_str());
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
        }
    }
    EXPECT_FALSE(MakeFolderChain(""));
}

// The data copy's destination folders end with a separator: nothing is made after it.
TEST(MakeFolderChain, MakesEachFolderUpToTheLastSeparator) {
    ScratchDir scratch("vcp");
    EXPECT_TRUE(MakeFolderChain((scratch.path() + "a\\b\\c\\").c_str()));
    EXPECT_EQ(ListFolder(scratch.path() + "a\\b\\"), std::vector<std::string>{"c\\"});
    EXPECT_TRUE(ListFolder(scratch.path() + "a\\b\\c\\").empty());
    MakeFolderChain((scratch.path() + "x/y\\").c_str());  // "/" separates too
    EXPECT_EQ(ListFolder(scratch.path() + "x\\"), std::vector<std::string>{"y\\"});
}

}  // namespace
