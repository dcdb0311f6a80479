// Archives built to mislead the extraction: headers that disagree, sizes that
// lie, directories that are cut or miscounted, names that repeat, and a bomb.
// Each must end the stage with its one message, leave the install folder
// holding exactly what the archive could honestly give, write nothing beside
// it, and never hang (the stage window stops a worker after 20 s).
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/messages.h"
#include "install/extract_worker.h"
#include "tests/win/install_support.h"
#include "tests/win/test_support.h"

namespace {

// Everything under a folder: files with their bytes, folders ending in "\" with "".
typedef std::map<std::string, std::string> Tree;

void CollectTree(const std::string& root, const std::string& relative, Tree* tree) {
    for (const std::string& name : ListFolder(root + relative)) {
        std::string path = relative + name;
        if (path.back() == '\\') {
            (*tree)[path] = "";
            CollectTree(root, path, tree);
        } else {
            ReadFileBytes(root + path, &(*tree)[path]);
        }
    }
}

Tree TreeOf(const std::string& folder) {
    Tree tree;
    CollectTree(folder, "", &tree);
    return tree;
}

std::string TempFolder() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    return temp;
}

// A scratch folder holding "install\" (the install folder) and "package.zip".
class HostileArchive : public ::testing::Test {
protected:
    HostileArchive() : scratch_("vh"), install_(scratch_.path() + "install\\"), archive_(scratch_.path() + "package.zip") {}

    // A fresh install folder, the archive written, the worker run as the dialog runs it.
    std::vector<UINT> Run(const std::string& bytes) {
        RemoveTree(install_);
        CreateDirectoryA(install_.c_str(), nullptr);
        run_ = TestRun();
        window_.messages.clear();
        window_.failures.clear();
        window_.percentTexts.clear();
        EXPECT_TRUE(WriteFileBytes(archive_, bytes));
        ScopedHandle archive = OpenArchiveFile(archive_);
        EXPECT_TRUE(archive);
        ExtractJob job = {.archive = archive.get(),
                          .installDir = install_.c_str(),
                          .progress = &run_.progress,
                          .flags = &run_.flags,
                          .reporter = window_.reporter(WM_SETUP_EXTRACTED)};
        window_.RunStage([&job] { return ExtractArchive(job); }, WM_SETUP_EXTRACTED);
        return window_.messages;
    }

    // Nothing beside the install folder: the scratch folder holds only what the
    // test put there, and no entry's leaf "escape.txt" turned up further out.
    void ExpectNothingOutside() {
        EXPECT_EQ(ListFolder(scratch_.path()), (std::vector<std::string>{"install\\", "package.zip"}));
        for (const std::string& folder : {TempFolder(), std::string("C:\\")})
            EXPECT_FALSE(PathExists(folder + "escape.txt")) << folder;
    }

    ScratchDir scratch_;
    std::string install_;
    std::string archive_;
    TestRun run_;
    StageWindow window_;
};

struct StructureCase {
    const char* what;
    std::string bytes;
    StageCode result;  // of the extraction; kOk posts WM_SETUP_EXTRACTED, anything else WM_SETUP_FAILED
    Tree left;   // exactly what the install folder holds afterwards
};

// A three-entry archive and its end record's position, for cutting and lying.
std::string ThreeEntries() {
    return BuildZip({{"one.txt", "1"}, {"two.txt", "22"}, {"three.txt", "333"}});
}

std::string WithEndCounts(uint32_t onDisk, uint32_t total) {
    std::string zip = ThreeEntries();
    size_t end = zip.size() - kEndRecordSize;
    Set16(&zip, end + kEndCountOnDisk, onDisk);
    Set16(&zip, end + kEndCountTotal, total);
    return zip;
}

// The directory cut |keep| bytes after its start; the end record moved up
// behind the cut, its size field adjusted when |adjust|, else left as it was.
std::string WithDirectoryCut(size_t keep, bool adjust) {
    std::string zip = ThreeEntries();
    size_t end = zip.size() - kEndRecordSize;
    std::string record = zip.substr(end);
    uint32_t directoryOffset = Get32(record, kEndDirectoryOffset);
    if (adjust) Set32(&record, kEndDirectorySize, static_cast<uint32_t>(keep));
    return zip.substr(0, directoryOffset + keep) + record;
}

std::vector<StructureCase> StructureCases() {
    const std::string tiny = "tiny";
    ZipEntry localLies = {"in/escape.txt", "inside"};
    localLies.localName = "../escape.txt";  // same length: only the bytes differ
    ZipEntry localLongerName = {"a.txt", "a"};
    localLongerName.localName = "../../escape.txt";
    ZipEntry localMethod = {"m.txt", std::string(3000, 'm'), true};
    localMethod.localMethod = 0;
    ZipEntry localSize = {"s.txt", "size"};
    localSize.localSize = 1 << 20;
    ZipEntry descriptorFlag = {"d.txt", "sized later"};
    descriptorFlag.flags = 8;  // sizes follow the data: the local header may say 0
    descriptorFlag.localSize = 0;
    ZipEntry claimsMoreDeflated = {"bomb.txt", tiny, true};
    claimsMoreDeflated.size = 1 << 30;
    ZipEntry claimsMoreStored = {"bomb.txt", tiny};
    claimsMoreStored.size = 1 << 30;
    ZipEntry packedBeyondEnd = {"far.txt", tiny};
    packedBeyondEnd.packedSize = packedBeyondEnd.size = 1 << 30;
    ZipEntry claimsLess = {"less.txt", "more than said"};
    claimsLess.size = 4;
    ZipEntry bzip2 = {"packed.bin", NoiseBytes(500, 9)};
    bzip2.method = 12;  // bzip2, which minizip would copy raw, unchecked, without its library
    ZipEntry unknownMethod = {"odd.bin", tiny};
    unknownMethod.method = 99;
    ZipEntry overlap = {"copy.txt", "shared"};  // the name's length and the data as recorded there
    overlap.sameLocalAs = 0;
    ZipEntry pastTheEnd = {"gone.txt", tiny};
    pastTheEnd.sameLocalAs = 0;
    std::string localPastTheEnd = BuildZip({{"first.txt", "1"}, pastTheEnd});
    // Point the second directory record's local header far beyond the file.
    {
        size_t end = localPastTheEnd.size() - kEndRecordSize;
        size_t second = Get32(localPastTheEnd, end + kEndDirectoryOffset) + 46 + strlen("first.txt");
        Set32(&localPastTheEnd, second + 42, 0x7FFFFFF0);
    }
    std::string directoryBeyondFile = ThreeEntries();
    Set32(&directoryBeyondFile, directoryBeyondFile.size() - kEndRecordSize + kEndDirectoryOffset, 0x7FFFFFF0);
    const size_t firstRecord = 46 + strlen("one.txt");

    return {
        {"duplicate names: the later entry replaces the earlier",
         BuildZip({{"dup.txt", "first"}, {"dup.txt", "second"}}), StageCode::kOk, {{"dup.txt", "second"}}},
        {"duplicate names in another case: one file, the later bytes",
         BuildZip({{"Case.txt", "first"}, {"CASE.TXT", "second"}}), StageCode::kOk, {{"Case.txt", "second"}}},
        {"a file, then a folder of its name", BuildZip({{"x", "file"}, {"x/y.txt", "y"}}), StageCode::kTargetCreate,
         {{"x", "file"}}},
        {"a folder, then a file of its name", BuildZip({{"x/", ""}, {"x", "file"}}), StageCode::kTargetCreate,
         {{"x\\", ""}}},
        {"local name leads out, directory name stays in: the directory's is used", BuildZip({localLies}),
         StageCode::kOk, {{"in\\", ""}, {"in\\escape.txt", "inside"}}},
        {"local name of another length", BuildZip({{"before.txt", "b"}, localLongerName}), StageCode::kArchiveRead,
         {{"before.txt", "b"}}},
        {"local method differs", BuildZip({localMethod}), StageCode::kArchiveRead, {}},
        {"local size differs", BuildZip({localSize}), StageCode::kArchiveRead, {}},
        {"local sizes zero behind the data-descriptor flag", BuildZip({descriptorFlag}), StageCode::kOk,
         {{"d.txt", "sized later"}}},
        {"deflated data far shorter than its declared size", BuildZip({claimsMoreDeflated, {"after.txt", "a"}}),
         StageCode::kDataShort, {{"bomb.txt", tiny}}},
        {"stored data far shorter than its declared size", BuildZip({claimsMoreStored}), StageCode::kDataShort,
         {{"bomb.txt", tiny}}},
        {"packed size running far past the end of the file", BuildZip({packedBeyondEnd}), StageCode::kArchiveRead,
         {{"far.txt", ""}}},
        {"data longer than its declared size", BuildZip({claimsLess}), StageCode::kCrc, {{"less.txt", "more"}}},
        {"bzip2 entry: never copied raw", BuildZip({{"before.txt", "b"}, bzip2}), StageCode::kMethod,
         {{"before.txt", "b"}}},
        {"unknown compression method", BuildZip({unknownMethod}), StageCode::kMethod, {}},
        {"two directory records share one local header", BuildZip({{"orig.txt", "shared"}, overlap}), StageCode::kOk,
         {{"orig.txt", "shared"}, {"copy.txt", "shared"}}},
        {"a local header offset beyond the file", localPastTheEnd, StageCode::kArchiveRead, {{"first.txt", "1"}}},
        {"directory offset beyond the file", directoryBeyondFile, StageCode::kArchiveOpen, {}},
        {"directory cut in its second record, end record as before", WithDirectoryCut(firstRecord + 20, false),
         StageCode::kArchiveOpen, {}},
        {"directory cut in its second record, end record fitted to the cut",
         WithDirectoryCut(firstRecord + 20, true), StageCode::kArchiveRead, {{"one.txt", "1"}}},
        {"end record counts fewer entries than the directory holds", WithEndCounts(1, 1), StageCode::kOk,
         {{"one.txt", "1"}}},
        {"end record counts none", WithEndCounts(0, 0), StageCode::kOk, {}},
        {"end record counts 65535", WithEndCounts(65535, 65535), StageCode::kArchiveRead,
         {{"one.txt", "1"}, {"two.txt", "22"}, {"three.txt", "333"}}},
        {"end record's two counts disagree", WithEndCounts(3, 2), StageCode::kArchiveOpen, {}},
    };
}

TEST_F(HostileArchive, StructuresEndWithOneMessageAndNothingOutside) {
    for (const StructureCase& c : StructureCases()) {
        SCOPED_TRACE(c.what);
        std::vector<UINT> expected = {
            static_cast<UINT>(c.result == StageCode::kOk ? WM_SETUP_EXTRACTED : WM_SETUP_FAILED)};
        EXPECT_EQ(Run(c.bytes), expected);
        EXPECT_EQ(run_.flags.userAborted, 0);
        EXPECT_EQ(TreeOf(install_), c.left);
        ExpectNothingOutside();
        StageCode failure = window_.failures.empty() ? StageCode::kOk : window_.failures[0].code;
        EXPECT_EQ(StageCodeName(failure), std::string(StageCodeName(c.result)));
    }
}

TEST_F(HostileArchive, ABombIsExtractedAsItSaysWithTheScaleEndingAtOneHundred) {
    // 64 MiB of zeros in about 64 KiB: what the archive says is what lands,
    // in one pass, without stalling. A drive too small for it fails the
    // stage on the short write (the fault matrix runs that on a tiny drive).
    const size_t kBombBytes = 64u << 20;
    std::string bomb = BuildZip({{"zeros.bin", std::string(kBombBytes, '\0'), true}});
    ASSERT_LT(bomb.size(), kBombBytes / 500);
    DWORD started = GetTickCount();
    EXPECT_EQ(Run(bomb), std::vector<UINT>{WM_SETUP_EXTRACTED});
    EXPECT_LT(GetTickCount() - started, 15000u);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA((install_ + "zeros.bin").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, kBombBytes);
    ASSERT_FALSE(window_.percentTexts.empty());
    EXPECT_EQ(window_.percentTexts.back(), "100%");
    ExpectNothingOutside();
}

TEST_F(HostileArchive, DeclaredSizesBeyondTwoGiBSaturateTheScaleAndFail) {
    ZipEntry liar = {"liar.bin", "tiny"};
    liar.size = 0xFFFFFFF0u;
    ZipEntry second = liar;
    second.name = "liar2.bin";
    EXPECT_EQ(Run(BuildZip({liar, second})), std::vector<UINT>{WM_SETUP_FAILED});
    EXPECT_EQ(run_.progress.totalBytes, INT32_MAX);
    for (const std::string& text : window_.percentTexts) EXPECT_EQ(text, "  0%");
    EXPECT_EQ(TreeOf(install_), (Tree{{"liar.bin", "tiny"}}));
    ExpectNothingOutside();
}

}  // namespace
