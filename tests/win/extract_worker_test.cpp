// The extraction worker against real archives in real scratch folders.
#include "install/extract_worker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/messages.h"
#include "install/archive_entry.h"
#include "tests/win/install_support.h"
#include "tests/win/test_support.h"

namespace {

typedef std::map<std::string, std::string> FileMap;  // path under the install folder -> bytes

// A scratch folder with "install\" as the install folder and the archive
// "package.zip" beside it.
class Extraction : public ::testing::Test {
protected:
    Extraction() : scratch_("vx"), install_(scratch_.path() + "install\\"), archive_(scratch_.path() + "package.zip") {}

    void SetUp() override { ASSERT_TRUE(CreateDirectoryA(install_.c_str(), nullptr)); }

    ExtractJob Job(HANDLE archive) {
        return {.archive = archive,
                .installDir = install_.c_str(),
                .progress = &run_.progress,
                .flags = &run_.flags,
                .reporter = window_.reporter(WM_SETUP_EXTRACTED)};
    }

    // Writes the archive, runs the stage on a worker as the dialog would, over the archive
    // opened as the setup holds it, and returns the messages it posted.
    std::vector<UINT> Run(const std::vector<ZipEntry>& entries) { return RunBytes(BuildZip(entries)); }
    std::vector<UINT> RunBytes(const std::string& bytes) {
        EXPECT_TRUE(WriteFileBytes(archive_, bytes));
        ScopedHandle archive = OpenArchiveFile(archive_);
        EXPECT_TRUE(archive);
        ExtractJob job = Job(archive.get());
        window_.RunStage([&job] { return ExtractArchive(job); }, WM_SETUP_EXTRACTED);
        return window_.messages;
    }

    // The reason the last run failed.
    StageCode LastFailure() const { return window_.failures.empty() ? StageCode::kOk : window_.failures.back().code; }

    std::string Read(const std::string& relative) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(install_ + relative, &bytes)) << relative;
        return bytes;
    }

    ScratchDir scratch_;
    std::string install_;
    std::string archive_;
    TestRun run_;
    StageWindow window_;
};

const std::vector<UINT> kExtracted = {WM_SETUP_EXTRACTED};
const std::vector<UINT> kFailed = {WM_SETUP_FAILED};

TEST_F(Extraction, EmptyArchiveEndsAtOnceWithTheBaseTotal) {
    // minizip takes a central directory at offset 0 for a missing one, so a
    // bare empty archive does not open (see BrokenArchivesFail); one with a
    // stub before it does.
    EXPECT_EQ(RunBytes("stub" + BuildZip({})), kExtracted);
    EXPECT_EQ(run_.progress.totalBytes, 1);
    EXPECT_TRUE(ListFolder(install_).empty());
    EXPECT_TRUE(window_.statusTexts.empty());
}

struct LayoutCase {
    const char* what;
    std::vector<ZipEntry> entries;
    FileMap files;                     // files expected, with their bytes
    std::vector<std::string> folders;  // folders expected
};

TEST_F(Extraction, LayoutsLandUnderTheInstallFolder) {
    const std::string block(8192, 'k');
    const std::string noise = NoiseBytes(3 * 8192 + 77, 1);
    const LayoutCase kCases[] = {
        {"directory entries", {{"docs/", ""}, {"docs/sub/", ""}, {"docs/sub/a.txt", "alpha"}},
         {{"docs\\sub\\a.txt", "alpha"}}, {"docs", "docs\\sub"}},
        {"nested names without directory entries", {{"a/b/c.txt", "deep"}, {"a\\b2\\d.txt", "back"}},
         {{"a\\b\\c.txt", "deep"}, {"a\\b2\\d.txt", "back"}}, {"a\\b", "a\\b2"}},
        {"a leading separator", {{"/lead.txt", "one"}, {"\\lead2.txt", "two"}},
         {{"lead.txt", "one"}, {"lead2.txt", "two"}}, {}},
        {"an empty file", {{"empty.dat", ""}}, {{"empty.dat", ""}}, {}},
        {"exactly one block", {{"block.bin", block, true}}, {{"block.bin", block}}, {}},
        {"stored and deflated, several blocks", {{"s.bin", noise}, {"d.bin", noise, true}},
         {{"s.bin", noise}, {"d.bin", noise}}, {}},
        {"Korean names", {{"벨모라/도움말.txt", "help"}}, {{"벨모라\\도움말.txt", "help"}}, {}},
        {"a folder entry for an existing folder", {{"x/", ""}, {"x/", ""}}, {}, {"x"}},
    };
    for (const LayoutCase& c : kCases) {
        SCOPED_TRACE(c.what);
        RemoveTree(install_);
        CreateDirectoryA(install_.c_str(), nullptr);
        window_.messages.clear();
        EXPECT_EQ(Run(c.entries), kExtracted);
        for (const auto& file : c.files) EXPECT_EQ(Read(file.first), file.second) << file.first;
        for (const std::string& folder : c.folders) {
            DWORD attributes = GetFileAttributesA((install_ + folder).c_str());
            EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << folder;
        }
    }
}

// The archive is read through its handle with a block read ahead for minizip's byte-sized
// header reads: headers and data that straddle the blocks, entries of every size around one,
// and a directory many blocks long all come out whole.
TEST_F(Extraction, EntriesAcrossTheReadAheadBlocksComeOutWhole) {
    const size_t kBlock = 16384;
    std::vector<ZipEntry> entries;
    FileMap expected;
    const size_t sizes[] = {0, 1, kBlock - 31, kBlock - 1, kBlock, kBlock + 1, 2 * kBlock + 5, 3};
    for (size_t i = 0; i < 400; ++i) {
        std::string name = "many/entry_" + std::to_string(i) + "_" + std::string(60, 'n') + ".bin";
        std::string data = NoiseBytes(sizes[i % 8] + i % 3, static_cast<uint32_t>(i));
        entries.push_back({name, data, i % 2 == 1});
        expected["many\\" + name.substr(5)] = data;
    }
    EXPECT_EQ(Run(entries), kExtracted);
    EXPECT_EQ(ListFolder(install_ + "many").size(), expected.size());
    for (const auto& file : expected) EXPECT_EQ(Read(file.first), file.second) << file.first;
}

TEST_F(Extraction, AFolderEntryAloneMakesNoParentsAndShowsNothing) {
    EXPECT_EQ(Run({{"p/q/", ""}}), kExtracted);
    EXPECT_FALSE(PathExists(install_ + "p"));  // its first file would make them
    EXPECT_TRUE(window_.statusTexts.empty());
}

TEST_F(Extraction, ExistingFileIsReplaced) {
    ASSERT_TRUE(WriteFileBytes(install_ + "Velmora.EXE", std::string(20000, 'o')));
    EXPECT_EQ(Run({{"Velmora.EXE", "new"}}), kExtracted);
    EXPECT_EQ(Read("Velmora.EXE"), "new");
}

// Local time fields of one of the file's times.
SYSTEMTIME LocalFields(const FILETIME& utc) {
    FILETIME local;
    SYSTEMTIME fields;
    FileTimeToLocalFileTime(&utc, &local);
    FileTimeToSystemTime(&local, &fields);
    return fields;
}

void ExpectSampleTime(const FILETIME& time, const char* which) {
    SYSTEMTIME t = LocalFields(time);
    EXPECT_EQ(t.wYear, 2019) << which;
    EXPECT_EQ(t.wMonth, 6) << which;
    EXPECT_EQ(t.wDay, 15) << which;
    EXPECT_EQ(t.wHour, 13) << which;
    EXPECT_EQ(t.wMinute, 45) << which;
    EXPECT_EQ(t.wSecond, 30) << which;
}

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

// Creation and last-write time: the sample entry time. Last-access time: the
// one the file got when it was written, from |writtenFrom| on.
void ExpectDatedAsSample(const std::string& path, const FILETIME& writtenFrom) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    FILETIME creation, access, write;
    GetFileTime(file, &creation, &access, &write);
    CloseHandle(file);
    ExpectSampleTime(creation, "creation");
    ExpectSampleTime(write, "last write");
    const uint64_t kSlack = 2 * 10000000ull;  // 2 s: file times are coarser than the clock
    EXPECT_GE(Ticks(access) + kSlack, Ticks(writtenFrom)) << "last access";
    EXPECT_LE(Ticks(access), Ticks(Now()) + kSlack) << "last access";
}

TEST_F(Extraction, FilesCarryTheEntryTimeAsLocalTime) {
    const FILETIME start = Now();
    EXPECT_EQ(Run({{"dated.txt", "some bytes"}, {"empty.txt", ""}, {"big.bin", NoiseBytes(20000, 2), true}}),
              kExtracted);
    for (const char* name : {"dated.txt", "empty.txt", "big.bin"}) {
        SCOPED_TRACE(name);
        ExpectDatedAsSample(install_ + name, start);
    }
}

TEST_F(Extraction, CrcMismatchFailsAfterTheFileIsCompleteAndDated) {
    ZipEntry bad = {"bad.bin", NoiseBytes(10000, 3), true, kSampleDosDate, true};
    const FILETIME start = Now();
    EXPECT_EQ(Run({bad, {"after.txt", "x"}}), kFailed);
    ExpectDatedAsSample(install_ + "bad.bin", start);  // first: reading changes the access time
    EXPECT_EQ(Read("bad.bin"), bad.data);
    EXPECT_FALSE(PathExists(install_ + "after.txt"));
    EXPECT_EQ(run_.flags.userAborted, 0);
    EXPECT_EQ(LastFailure(), StageCode::kCrc);
}

struct BrokenCase {
    const char* what;
    std::string bytes;
};

TEST_F(Extraction, BrokenArchivesFail) {
    const std::string good = BuildZip({{"one.txt", "1"}, {"two.txt", std::string(5000, '2'), true}});
    std::string badLocalHeader = good;
    badLocalHeader[0] = 'X';
    std::string badDeflate = BuildZip({{"z.bin", NoiseBytes(30000, 4), true}});
    for (size_t i = 40; i < 200; ++i) badDeflate[i] = static_cast<char>(0xFF);
    const BrokenCase kCases[] = {
        {"not a zip", "<html>not found</html>"},
        {"empty body", ""},
        {"bare empty archive: minizip finds no directory", BuildZip({})},
        {"truncated: no end record", good.substr(0, good.size() / 2)},
        {"end record cut short", good.substr(0, good.size() - 5)},
        {"more entries declared than present", BuildZip({{"one.txt", "1"}}, 2)},
        {"bad local header", badLocalHeader},
        {"corrupt deflate data", badDeflate},
    };
    for (const BrokenCase& c : kCases) {
        SCOPED_TRACE(c.what);
        window_.messages.clear();
        EXPECT_EQ(RunBytes(c.bytes), kFailed);
        EXPECT_NE(LastFailure(), StageCode::kOk);
    }
}

TEST_F(Extraction, HostileNamesFailBeforeAnythingOfThemIsWritten) {
    const char* const kNames[] = {
        "../escape.txt", "..\\escape.txt", "sub/../../escape.txt", "C:escape.txt",
        "C:\\escape.txt", "escape.txt:stream", "\\\\server\\share\\escape.txt", "//escape.txt", "CON",
        // Further spellings: mixed separators, what Windows trims to "..", drive
        // and device prefixes, streams, and device names the file calls would
        // open instead of a file.
        "a/..\\..\\../escape.txt", ".. /escape.txt", "...\\escape.txt", "c:escape.txt",
        "\\\\?\\C:\\escape.txt", "\\\\.\\pipe\\escape.txt", "escape.txt::$DATA", "NUL", "nul.txt",
        "sub/AUX.dat", "COM1", "lpt1.log", "CONIN$",
    };
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        RemoveTree(install_);
        CreateDirectoryA(install_.c_str(), nullptr);
        window_.messages.clear();
        EXPECT_EQ(Run({{"before.txt", "b"}, {name, "hostile"}, {"after.txt", "a"}}), kFailed);
        EXPECT_EQ(ListFolder(install_), std::vector<std::string>{"before.txt"});
        EXPECT_EQ(ListFolder(scratch_.path()), (std::vector<std::string>{"install\\", "package.zip"}));
        EXPECT_FALSE(PathExists(scratch_.path() + "..\\escape.txt"));
        EXPECT_FALSE(PathExists("C:\\escape.txt"));
        EXPECT_EQ(LastFailure(), StageCode::kUnsafeName);
    }
}

// UTF-8 spelled as bytes: narrow literals of this file are CP949 (-fexec-charset).
const char* Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

ZipEntry FlaggedUtf8(const char8_t* name, const std::string& data = "") {
    return {.name = Utf8(name), .data = data, .flags = kUtf8NameFlag};
}

TEST_F(Extraction, Utf8NamesLandUnderTheSameNamesAndFullwidthFormsStayCharacters) {
    EXPECT_EQ(Run({FlaggedUtf8(u8"자료/"), FlaggedUtf8(u8"자료/설명서.txt", "doc"), {"Velmora.EXE", "exe"},
                   FlaggedUtf8(u8"..＼escape.txt", "fw1"), FlaggedUtf8(u8"．．/escape.txt", "fw2")}),
              kExtracted);
    EXPECT_EQ(Read("자료\\설명서.txt"), "doc");
    EXPECT_EQ(Read("..＼escape.txt"), "fw1");  // one file, its name as written
    EXPECT_EQ(Read("．．\\escape.txt"), "fw2");
    EXPECT_EQ(ListFolder(install_), (std::vector<std::string>{"..＼escape.txt", "Velmora.EXE", "．．\\", "자료\\"}));
    EXPECT_EQ(ListFolder(scratch_.path()), (std::vector<std::string>{"install\\", "package.zip"}));
    EXPECT_EQ(window_.statusTexts, (std::vector<std::string>{"복사 중... 자료/설명서.txt", "복사 중... Velmora.EXE",
                                                             "복사 중... ..＼escape.txt", "복사 중... ．．/escape.txt"}));
}

TEST_F(Extraction, NamesCp949CannotHoldFailBeforeAnythingOfThemIsWritten) {
    const ZipEntry kNames[] = {
        FlaggedUtf8(u8"사진😀.jpg"),
        FlaggedUtf8(u8"À.txt"),  // a best fit would write "A.txt"
        {.name = "a\xC0\xAF" "b.txt", .data = "", .flags = kUtf8NameFlag},  // an overlong "/"
        {.name = "\x81" ".txt", .data = ""},  // stored, unflagged bytes that are not CP949
    };
    for (const ZipEntry& name : kNames) {
        SCOPED_TRACE(name.name);
        RemoveTree(install_);
        CreateDirectoryA(install_.c_str(), nullptr);
        window_.messages.clear();
        ZipEntry entry = name;
        entry.data = "never written";
        EXPECT_EQ(Run({{"before.txt", "b"}, entry, {"after.txt", "a"}}), kFailed);
        EXPECT_EQ(ListFolder(install_), std::vector<std::string>{"before.txt"});
        EXPECT_EQ(LastFailure(), StageCode::kNameCodePage);
    }
}

TEST_F(Extraction, NamesAndTargetsThatDoNotFitFailUncut) {
    std::string longName(300, 'n');
    std::string longest(65535, 'l');      // the most a zip header can record
    std::string fitsAlone(255 - 2, 'm');  // fits the name buffer, not the target
    for (const std::string& name : {longName, longest, fitsAlone}) {
        SCOPED_TRACE(name.size());
        window_.messages.clear();
        EXPECT_EQ(Run({{name, "x"}}), kFailed);
        EXPECT_TRUE(ListFolder(install_).empty());
        EXPECT_EQ(LastFailure(), StageCode::kUnsafeName);
    }
}

TEST_F(Extraction, TargetsThatCannotBeCreatedFailTheStage) {
    const std::string locked = install_ + "locked.dll";
    ASSERT_TRUE(WriteFileBytes(locked, "old"));
    // An older version still running holds its files open without sharing.
    // (A read-only file is the other case; Wine run as root writes it anyway.)
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run({{"locked.dll", "new"}, {"after.txt", "a"}}), kFailed);
    EXPECT_FALSE(PathExists(install_ + "after.txt"));
    EXPECT_EQ(LastFailure(), StageCode::kTargetCreate);
    CloseHandle(holder);
    EXPECT_EQ(Read("locked.dll"), "old");
}

TEST_F(Extraction, StatusShowsTheEntryAndThePercentEndsAtOneHundred) {
    EXPECT_EQ(Run({{"docs/", ""}, {"docs/readme.txt", NoiseBytes(10000, 5)}, {"empty", ""}, {"b.bin", "bb"}}),
              kExtracted);
    EXPECT_EQ(run_.progress.totalBytes, 1 + 10000 + 2);
    EXPECT_EQ(window_.statusTexts, (std::vector<std::string>{"복사 중... docs/readme.txt", "복사 중... b.bin"}));
    ASSERT_FALSE(window_.percentTexts.empty());
    EXPECT_EQ(window_.percentTexts.back(), "100%");
}

TEST_F(Extraction, CancelAnsweredNoGoesOn) {
    ScriptedAnswers answers({IDNO});
    run_.flags.running = 0;  // Cancel was pressed before the first block
    const std::string data = NoiseBytes(3 * 8192, 6);
    EXPECT_EQ(Run({{"a.bin", data}, {"b.bin", data}}), kExtracted);
    ASSERT_EQ(answers.asked().size(), 1u);
    const AskedQuestion& q = answers.asked()[0];
    EXPECT_EQ(q.owner, window_.reporter(WM_SETUP_EXTRACTED).dialog());
    EXPECT_EQ(q.text, "설치를 중단하겠습니까?");
    EXPECT_EQ(q.caption, "설치");
    EXPECT_EQ(q.flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));  // no icon
    EXPECT_EQ(run_.flags.running, 1);
    EXPECT_EQ(Read("b.bin"), data);
}

TEST_F(Extraction, CancelAnsweredYesStopsAfterTheBlock) {
    ScriptedAnswers answers({IDYES});
    run_.flags.running = 0;
    EXPECT_EQ(Run({{"a.bin", NoiseBytes(3 * 8192, 7), true}, {"b.bin", "b"}}), kFailed);
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(run_.flags.userAborted, 1);
    EXPECT_EQ(run_.flags.running, 0);
    EXPECT_EQ(Read("a.bin").size(), 8192u);  // the partly written file stays
    EXPECT_FALSE(PathExists(install_ + "b.bin"));
}

TEST_F(Extraction, AnEmptyFileHasNoCheckPoint) {
    ScriptedAnswers answers({IDYES});
    run_.flags.running = 0;
    EXPECT_EQ(Run({{"empty.txt", ""}}), kExtracted);
    EXPECT_TRUE(answers.asked().empty());
    EXPECT_TRUE(PathExists(install_ + "empty.txt"));
}

TEST_F(Extraction, StartedTheDialogsWayItRunsOnItsOwnThread) {
    ASSERT_TRUE(WriteFileBytes(archive_, BuildZip({{"one.txt", "1"}})));
    ScopedHandle archive = OpenArchiveFile(archive_);
    ExtractJob job = Job(archive.get());
    run_.flags.running = 0;  // a request left over from the download is dropped
    StartExtraction(&job);
    EXPECT_EQ(run_.flags.running, 1);
    ASSERT_TRUE(window_.WaitForStageMessage(10000));
    Sleep(50);
    window_.Drain();
    EXPECT_EQ(window_.messages, kExtracted);
    EXPECT_EQ(Read("one.txt"), "1");
}

}  // namespace
