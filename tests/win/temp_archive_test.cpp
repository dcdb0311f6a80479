// The temporary archive's one handle against the real file system: what others may do to the
// file while it is held, and what stands at its name before it is made. (A second setup's
// archive and the extraction through the handle: tests/e2e/fault_matrix_test.sh.)
#include "download/temp_archive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/win/test_support.h"

namespace {

const DWORD kAllSharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A name of its own in the temporary folder, as the profile's archive name is there.
std::string ArchiveName() { return "velmora_temp_archive_" + std::to_string(GetCurrentProcessId()) + ".zip"; }

std::string TempPath(const std::string& name) {
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    return folder + name;
}

// The bytes at |path|, read as another process may still read it.
std::string ContentOf(const std::string& path) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, kAllSharing, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(1 << 16, '\0');
    DWORD got = 0;
    if (!file || !ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr)) return "(unreadable)";
    bytes.resize(got);
    return bytes;
}

// Whatever a row left at a path: a file, or an empty folder.
void Remove(const std::string& path) {
    if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
}

class TempArchiveTest : public ::testing::Test {
protected:
    TempArchiveTest() : path_(TempPath(ArchiveName())) {}
    void SetUp() override {
        Remove(path_);
        ASSERT_TRUE(archive_.Name(ArchiveName().c_str()));
    }
    void TearDown() override {
        archive_.Close();
        Remove(path_);
    }

    const std::string path_;
    TempArchive archive_;
};

// What another process of the user may try, by the archive's name, while the setup holds it.
struct Attempt {
    const char* what;
    DWORD access;  // 0: a rename
};

const Attempt kRefusedAttempts[] = {
    {"open for writing", GENERIC_WRITE},
    {"open for deleting", DELETE},
    {"rename", 0},
};

DWORD Try(const Attempt& attempt, const std::string& path) {
    if (attempt.access == 0) {
        const std::string moved = path + ".moved";
        if (MoveFileExA(path.c_str(), moved.c_str(), 0)) {
            MoveFileExA(moved.c_str(), path.c_str(), 0);
            return ERROR_SUCCESS;
        }
        return GetLastError();
    }
    ScopedHandle file(CreateFileA(path.c_str(), attempt.access, kAllSharing, nullptr, OPEN_EXISTING, 0, nullptr));
    return file ? ERROR_SUCCESS : GetLastError();
}

TEST_F(TempArchiveTest, OthersCannotWriteDeleteOrRenameItAndItGoesWithTheHandle) {
    ASSERT_EQ(archive_.Create(), 0u);
    ASSERT_TRUE(archive_.Write("PK", 2));
    for (const Attempt& attempt : kRefusedAttempts) {
        SCOPED_TRACE(attempt.what);
        EXPECT_EQ(Try(attempt, path_), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_FALSE(DeleteFileA(path_.c_str()));
    // Not even the default way minizip opens an archive by its name gets at it.
    FILE* byName = fopen(path_.c_str(), "rb");
    EXPECT_EQ(byName, nullptr);
    if (byName) fclose(byName);
    EXPECT_EQ(ContentOf(path_), "PK");
    archive_.Close();
    EXPECT_FALSE(PathExists(path_));
}

// What may stand at the archive's name before it is made.
struct StaleCase {
    const char* what;
    bool (*plant)(const std::string& path, const std::string& target);  // false: could not
    DWORD created;      // Create's result
    bool stays;         // what stood there is there still, and its target untouched
};

bool PlantNothing(const std::string&, const std::string&) { return true; }
bool PlantFile(const std::string& path, const std::string&) { return WriteFileBytes(path, "an earlier run's archive"); }
bool PlantHardLink(const std::string& path, const std::string& target) {
    return CreateHardLinkA(path.c_str(), target.c_str(), nullptr) != FALSE;
}
bool PlantFolder(const std::string& path, const std::string&) { return CreateDirectoryA(path.c_str(), nullptr) != FALSE; }

const StaleCase kStaleCases[] = {
    {"nothing", PlantNothing, 0, false},
    {"a file an earlier run left", PlantFile, 0, false},
    {"a second name of another file (a hard link)", PlantHardLink, ERROR_FILE_EXISTS, true},
    {"a folder", PlantFolder, ERROR_FILE_EXISTS, true},
};

TEST_F(TempArchiveTest, AStaleFileIsRemovedOnlyWhenItIsAPlainFileOfItsOwn) {
    ScratchDir scratch("vt");
    const std::string target = scratch.path() + "someone_elses.bin";
    const std::string targetBytes = "the bytes of another file";
    for (const StaleCase& c : kStaleCases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteFileBytes(target, targetBytes));
        ASSERT_TRUE(c.plant(path_, target));
        EXPECT_EQ(archive_.Create(), c.created);
        EXPECT_EQ(archive_.handle() != nullptr, c.created == 0);
        if (c.created == 0) {
            EXPECT_EQ(ContentOf(path_), "");  // made afresh, empty
        }
        EXPECT_EQ(ContentOf(target), targetBytes);
        if (c.stays) {
            EXPECT_TRUE(PathExists(path_));
        }
        archive_.Close();
        Remove(path_);
    }
}

TEST_F(TempArchiveTest, EmptiedItTakesAWholePackageAgainAndANewOneReplacesIt) {
    ASSERT_EQ(archive_.Create(), 0u);
    ASSERT_TRUE(archive_.Write("a cut package", 13));
    ASSERT_TRUE(archive_.Empty());
    ASSERT_TRUE(archive_.Write("whole", 5));
    ASSERT_TRUE(archive_.Write(" again", 6));
    EXPECT_EQ(ContentOf(path_), "whole again");
    ASSERT_EQ(archive_.Create(), 0u);  // a second run: the first one's archive goes
    EXPECT_EQ(ContentOf(path_), "");
}

}  // namespace
