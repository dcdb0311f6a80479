// Reading an entry's information from a real zip file (written with minizip's zip API), under
// the sanitizers: whatever the entry's name, what comes back is safe to hand to the core.
#include "install/archive_entry.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <cstdio>
#include <string>

#include "install/progress_rules.h"

namespace {

// A zip file holding one stored entry named |name| with |data| and the general-purpose
// |flags|; removed when it goes.
class OneEntryZip {
public:
    OneEntryZip(const std::string& name, const std::string& data, unsigned long flags = 0) {
        zipFile zip = zipOpen(path_.c_str(), APPEND_STATUS_CREATE);
        if (!zip) return;
        zip_fileinfo info = {};
        info.dosDate = 0x5A2B6000;  // 2025-01-11 12:00
        bool ok = zipOpenNewFileInZip4(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, 0, 0, 0,
                                       -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, 0,
                                       flags) == ZIP_OK &&
                  zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size())) == ZIP_OK &&
                  zipCloseFileInZip(zip) == ZIP_OK;
        written_ = zipClose(zip, nullptr) == ZIP_OK && ok;
    }
    ~OneEntryZip() { remove(path_.c_str()); }
    bool written() const { return written_; }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_ = testing::TempDir() + "archive_entry_test.zip";
    bool written_ = false;
};

struct NameCase {
    size_t length;
    int expected;
};

TEST(ReadCurrentEntry, NamesThatDoNotFitAreRefusedAndTheBufferStaysTerminated) {
    const NameCase kCases[] = {
        {1, UNZ_OK}, {254, UNZ_OK}, {255, UNZ_OK},
        {256, UNZ_UNSAFENAME}, {257, UNZ_UNSAFENAME}, {300, UNZ_UNSAFENAME}, {1000, UNZ_UNSAFENAME},
    };
    for (const NameCase& c : kCases) {
        std::string name(c.length, 'n');
        OneEntryZip archive(name, "four");
        ASSERT_TRUE(archive.written()) << c.length;
        unzFile zip = unzOpen(archive.path());
        ASSERT_NE(zip, nullptr) << c.length;
        ArchiveEntry entry;
        memset(&entry, 'x', sizeof entry);  // no terminator left over from before
        EXPECT_EQ(ReadCurrentEntry(zip, &entry), c.expected) << c.length;
        // What the extraction does next with the name: the core reads it to its end.
        CopyProgress progress = {};
        BeginFile(&progress, entry.name, entry.uncompressedSize);
        if (c.expected == UNZ_OK) {
            EXPECT_EQ(std::string(entry.name), name);
            EXPECT_EQ(entry.uncompressedSize, 4u);
            EXPECT_EQ(entry.compressionMethod, 0u);
            EXPECT_EQ(entry.dosDate, 0x5A2B6000u);
        } else {
            EXPECT_STREQ(entry.name, "") << c.length;
        }
        unzClose(zip);
    }
}

// Flag bit 11 says the name is UTF-8; the extraction converts only those names.
TEST(ReadCurrentEntry, TellsAUtf8NameByItsFlag) {
    const struct {
        unsigned long flags;
        bool utf8Name;
    } kCases[] = {{0, false}, {kUtf8NameFlag, true}, {kUtf8NameFlag | 0x0008, true}, {0x0008, false}};
    for (const auto& c : kCases) {
        OneEntryZip archive("\xEC\x9E\x90.txt", "four", c.flags);
        ASSERT_TRUE(archive.written()) << c.flags;
        unzFile zip = unzOpen(archive.path());
        ASSERT_NE(zip, nullptr) << c.flags;
        ArchiveEntry entry;
        ASSERT_EQ(ReadCurrentEntry(zip, &entry), UNZ_OK) << c.flags;
        EXPECT_EQ(entry.utf8Name, c.utf8Name) << c.flags;
        EXPECT_STREQ(entry.name, "\xEC\x9E\x90.txt") << c.flags;  // the bytes as stored
        unzClose(zip);
    }
}

}  // namespace
