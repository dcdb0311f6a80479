// The data-folder copy against real folders.
#include "install/data_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/messages.h"
#include "tests/win/install_support.h"
#include "tests/win/test_support.h"

namespace {

const std::vector<UINT> kComplete = {WM_SETUP_COMPLETE};
const std::vector<UINT> kFailed = {WM_SETUP_FAILED};

// A scratch folder with a source tree "data\" and a destination "install\".
class DataCopy : public ::testing::Test {
protected:
    DataCopy() : scratch_("vdc"), source_(scratch_.path() + "data\\"), destination_(scratch_.path() + "install\\") {}

    void SetUp() override { ASSERT_TRUE(CreateDirectoryA(source_.c_str(), nullptr)); }

    // The job of a data folder at |source| copied into |destination|.
    DataCopyJob Job(const std::string& source, const std::string& destination) {
        DataCopyJob job = {.installDir = destination.c_str(),
                           .dataBytes = 1,
                           .progress = &run_.progress,
                           .flags = &run_.flags,
                           .reporter = window_.reporter(WM_SETUP_COMPLETE)};
        strcpy(job.sourceDir, source.c_str());
        strcpy(job.destinationDir, destination.c_str());
        return job;
    }

    void Put(const std::string& relative, const std::string& bytes) {
        ASSERT_TRUE(WriteFileBytes(source_ + relative, bytes)) << relative;
    }
    void PutFolder(const std::string& relative) {
        ASSERT_TRUE(CreateDirectoryA((source_ + relative).c_str(), nullptr)) << relative;
    }

    std::vector<UINT> RunCopy() { return RunCopyInto(destination_); }
    std::vector<UINT> RunCopyInto(const std::string& destination) {
        DataCopyJob job = Job(source_, destination);
        window_.RunStage([&job] { return CopyDataFolder(job); }, WM_SETUP_COMPLETE);
        return window_.messages;
    }

    std::string Copied(const std::string& relative) {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(destination_ + relative, &bytes)) << relative;
        return bytes;
    }

    ScratchDir scratch_;
    std::string source_;
    std::string destination_;
    TestRun run_;
    StageWindow window_;
};

TEST_F(DataCopy, TreeIsCopiedWithItsBytes) {
    const std::string block = NoiseBytes(4096, 1);
    const std::string large = NoiseBytes(3 * 4096 + 5, 2);
    PutFolder("empty");
    PutFolder(".config");
    Put(".config\\settings.ini", "[a]\r\nb=1\r\n");
    Put("zero.bin", "");
    Put("block.bin", block);
    PutFolder("maps");
    PutFolder("maps\\deep");
    Put("maps\\deep\\large.bin", large);
    ASSERT_TRUE(CreateDirectoryA(destination_.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(destination_ + "block.bin", std::string(9000, 'o')));

    EXPECT_EQ(RunCopy(), kComplete);
    EXPECT_EQ(ListFolder(destination_),
              (std::vector<std::string>{".config\\", "block.bin", "empty\\", "maps\\", "zero.bin"}));
    EXPECT_TRUE(ListFolder(destination_ + "empty\\").empty());
    EXPECT_EQ(Copied(".config\\settings.ini"), "[a]\r\nb=1\r\n");
    EXPECT_EQ(Copied("zero.bin"), "");
    EXPECT_EQ(Copied("block.bin"), block);  // the longer old file is replaced
    EXPECT_EQ(Copied("maps\\deep\\large.bin"), large);
    EXPECT_EQ(run_.flags.running, 1);
}

TEST_F(DataCopy, ShowsBareFileNames) {
    Put("only.txt", "x");
    EXPECT_EQ(RunCopy(), kComplete);
    EXPECT_EQ(window_.statusTexts, std::vector<std::string>{"복사 중... only.txt"});
}

TEST_F(DataCopy, MissingSourceCountsAsEmpty) {
    RemoveTree(source_);
    const std::string nested = destination_ + "one\\two\\";
    EXPECT_EQ(RunCopyInto(nested), kComplete);
    EXPECT_TRUE(PathExists(nested));
}

TEST_F(DataCopy, DestinationThatCannotBeCreatedFails) {
    Put("held.dat", "new");
    ASSERT_TRUE(CreateDirectoryA(destination_.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(destination_ + "held.dat", "old"));
    HANDLE holder = CreateFileA((destination_ + "held.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunCopy(), kFailed);
    CloseHandle(holder);
    EXPECT_EQ(run_.flags.running, 0);
    EXPECT_EQ(run_.flags.userAborted, 0);
    EXPECT_EQ(Copied("held.dat"), "old");
}

// The far end of a pipe that takes the connection and leaves at once: the
// copy's next read or write on it fails.
DWORD WINAPI ConnectAndLeave(LPVOID pipe) {
    BOOL connected = ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED;
    DisconnectNamedPipe(pipe);
    return connected ? 1 : 0;
}

// Copies |source| to |destination| on the per-file thread of |job| while a pipe at
// |pipeName| (one of the two) is left at once by its far end. True when the
// copy had opened the pipe.
bool CopyAgainstALeavingPipe(StageWindow* window, const DataCopyJob& job, const char* pipeName,
                             DWORD access, const std::string& source, const std::string& destination) {
    HANDLE server = CreateNamedPipeA(pipeName, access, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
    if (server == INVALID_HANDLE_VALUE) return false;
    HANDLE farEnd = CreateThread(nullptr, 0, ConnectAndLeave, server, 0, nullptr);
    window->RunStage([&] { return CopyDataFile(job, source.c_str(), destination.c_str()); }, WM_SETUP_COMPLETE);
    WaitForSingleObject(farEnd, INFINITE);
    DWORD connected = 0;
    GetExitCodeThread(farEnd, &connected);
    CloseHandle(farEnd);
    CloseHandle(server);
    return connected == 1;
}

// Before the mend a read that yields nothing before the end of the file was
// taken for more to come, and the copy read forever.
TEST_F(DataCopy, ReadErrorFailsInsteadOfLooping) {
    const char kPipe[] = "\\\\.\\pipe\\velmora_read_error";
    EXPECT_TRUE(CopyAgainstALeavingPipe(&window_, Job(source_, destination_), kPipe, PIPE_ACCESS_OUTBOUND,
                                        kPipe, scratch_.path() + "x"));
    EXPECT_EQ(window_.messages, kFailed);
    EXPECT_EQ(window_.failures.back().code, StageCode::kSourceRead);
    EXPECT_EQ(run_.flags.userAborted, 0);
}

// Before the mend a destination that stopped taking bytes (a full disk) was
// left short and the stage went on to success.
TEST_F(DataCopy, ShortWriteFails) {
    const char kPipe[] = "\\\\.\\pipe\\velmora_short_write";
    Put("payload.bin", NoiseBytes(5 * 4096, 4));
    EXPECT_TRUE(CopyAgainstALeavingPipe(&window_, Job(source_, destination_), kPipe, PIPE_ACCESS_INBOUND,
                                        source_ + "payload.bin", kPipe));
    EXPECT_EQ(window_.messages, kFailed);
    EXPECT_EQ(window_.failures.back().code, StageCode::kWrite);
    EXPECT_EQ(run_.flags.userAborted, 0);
}

TEST_F(DataCopy, CancelDuringALargeFileAnsweredYesStopsTheWalk) {
    ScriptedAnswers answers({IDYES});
    Put("large.bin", NoiseBytes(4 * 4096, 5));
    run_.flags.running = 0;  // Cancel was pressed before the first block
    EXPECT_EQ(RunCopy(), kFailed);
    ASSERT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(answers.asked()[0].text, "설치를 중단하겠습니까?");
    EXPECT_EQ(answers.asked()[0].caption, "설치");
    EXPECT_EQ(answers.asked()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(run_.flags.userAborted, 1);
    EXPECT_EQ(run_.flags.running, 0);
    EXPECT_EQ(Copied("large.bin").size(), 4096u);  // partly written, and it stays
}

TEST_F(DataCopy, CancelDuringALargeFileAnsweredNoGoesOn) {
    ScriptedAnswers answers({IDNO});
    const std::string large = NoiseBytes(4 * 4096, 6);
    Put("large.bin", large);
    run_.flags.running = 0;
    EXPECT_EQ(RunCopy(), kComplete);
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(Copied("large.bin"), large);
    EXPECT_EQ(run_.flags.running, 1);
}

// Files under one block have no check point: the walker asks instead, so
// the stage still ends with exactly one message.
struct WalkerCancelCase {
    int answer;
    std::vector<UINT> messages;
    size_t filesCopied;
    int userAborted;
};

TEST_F(DataCopy, CancelNoCheckPointAnsweredIsAskedByTheWalker) {
    const WalkerCancelCase kCases[] = {
        {IDYES, kFailed, 1, 1},
        {IDNO, kComplete, 3, 0},
    };
    Put("a.txt", "a");
    Put("b.txt", "b");
    Put("c.txt", "c");
    for (const WalkerCancelCase& c : kCases) {
        SCOPED_TRACE(c.answer);
        RemoveTree(destination_);
        window_.messages.clear();
        run_.flags.userAborted = 0;
        ScriptedAnswers answers({c.answer});
        run_.flags.running = 0;
        EXPECT_EQ(RunCopy(), c.messages);
        EXPECT_EQ(answers.asked().size(), 1u);
        EXPECT_EQ(ListFolder(destination_).size(), c.filesCopied);
        EXPECT_EQ(run_.flags.userAborted, c.userAborted);
    }
}

TEST_F(DataCopy, EmptyFolderWithAPendingCancelStillAsks) {
    ScriptedAnswers answers({IDYES});
    run_.flags.running = 0;
    EXPECT_EQ(RunCopy(), kFailed);
    EXPECT_EQ(answers.asked().size(), 1u);
    EXPECT_EQ(run_.flags.userAborted, 1);
}

TEST_F(DataCopy, PathsThatDoNotFitFailUncut) {
    Put(std::string(200, 'f'), "x");
    std::string destination = destination_ + std::string(40, 'd') + "\\";
    EXPECT_EQ(RunCopyInto(destination), kFailed);
    EXPECT_EQ(run_.flags.running, 0);
    EXPECT_TRUE(ListFolder(destination).empty());
}

// Whether the stage runs is the profile's choice (a positive data size): without one it ends
// at once and touches nothing; with one it copies the folder beside the setup (here: beside
// the test program).
TEST(DataCopyStage, FollowsTheProfile) {
    const std::string data = PathBesideTestProgram("data\\");
    ASSERT_TRUE(CreateDirectoryA(data.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(WriteFileBytes(data + "beside.txt", "beside"));
    for (int32_t dataBytes : {0, 6}) {
        SCOPED_TRACE(dataBytes);
        ScratchDir scratch("vds");
        TestRun run;
        run.flags.running = 0;
        StageWindow window;
        DataCopyJob job = {.installDir = scratch.path().c_str(),
                           .dataBytes = dataBytes,
                           .progress = &run.progress,
                           .flags = &run.flags,
                           .reporter = window.reporter(WM_SETUP_COMPLETE)};
        StartDataCopy(&job);
        ASSERT_TRUE(window.WaitForStageMessage(10000));
        Sleep(50);
        window.Drain();
        EXPECT_EQ(window.messages, kComplete);
        EXPECT_EQ(run.flags.running, dataBytes > 0 ? 1 : 0);  // without a data folder: not touched
        std::string copied;
        EXPECT_EQ(ReadFileBytes(scratch.path() + "beside.txt", &copied), dataBytes > 0);
        if (dataBytes > 0) {
            EXPECT_EQ(copied, "beside");
        }
    }
    RemoveTree(data);
}

}  // namespace
