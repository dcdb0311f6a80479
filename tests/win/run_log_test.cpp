// The run's log under Wine: UTF-8 lines appended to a real file, kept across opens, and a log
// that cannot be opened stopping nothing; and the reporter of a run without a dialog.
#include "app/run_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/messages.h"
#include "app/stage_reporter.h"
#include "tests/win/test_support.h"

namespace {

const size_t kStampLength = 24;  // "yyyy-mm-dd hh:mm:ss.mmm "

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// The log's lines without their time stamps; every line must have one and end in CR LF.
std::vector<std::string> LoggedTexts(const std::string& path) {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, &bytes));
    std::vector<std::string> texts;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without CR LF: " << bytes.substr(start);
            break;
        }
        std::string line = bytes.substr(start, end - start);
        EXPECT_TRUE(line.size() >= kStampLength && line[4] == '-' && line[10] == ' ' && line[19] == '.' &&
                    line[23] == ' ')
            << line;
        texts.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
        start = end + 2;
    }
    return texts;
}

class RunLogTest : public ::testing::Test {
protected:
    void TearDown() override { OpenRunLog(""); }
    ScratchDir scratch_{"run_log"};
};

TEST_F(RunLogTest, LinesInUtf8AppendedAcrossRuns) {
    const std::string path = scratch_.path() + "설치.log";
    ASSERT_TRUE(OpenRunLog(path.c_str()));
    LogRunLine(kLogFolderRefused, "C:\\벨모라\\");
    LogStageStart(Stage::kDownload);
    LogStageEnd(StageFailed(Stage::kDownload, StageCode::kStatus, ErrorKind::kHttpStatus, 404));
    EXPECT_EQ(AnswerUnattended(nullptr, "파일 다운로드 과정 중 이상이 생겼습니다.\n\n인터넷", "설치", MB_OK), IDOK);
    EXPECT_EQ(AnswerUnattended(nullptr, "다운로드를 중단하겠습니까?", "설치", MB_YESNO | MB_ICONQUESTION), IDYES);
    ASSERT_TRUE(OpenRunLog(path.c_str()));  // the next run's log: appended
    LogStageStart(Stage::kExtract);
    const std::vector<std::string> expected = {
        Utf8(u8"refused: install folder C:\\벨모라\\"),
        "download start",
        "download failed: status (HTTP 404)",
        Utf8(u8"notice not shown: 파일 다운로드 과정 중 이상이 생겼습니다.  인터넷"),
        Utf8(u8"question answered yes (stop), not shown: 다운로드를 중단하겠습니까?"),
        "extract start",
    };
    EXPECT_EQ(LoggedTexts(path), expected);
}

TEST_F(RunLogTest, LogThatCannotBeOpenedStopsNothing) {
    const std::string path = scratch_.path() + "missing\\setup.log";
    EXPECT_FALSE(OpenRunLog(path.c_str()));
    LogStageStart(Stage::kDownload);
    EXPECT_EQ(AnswerUnattended(nullptr, "x", "설치", MB_OK), IDOK);  // still answered
    EXPECT_FALSE(PathExists(path));
}

// A quiet run's stages report to no dialog: nothing may land in its thread's own queue, where a
// message posted to no window goes, and its boxes are answered without being shown.
TEST(ReporterWithoutDialog, PostsNothingAndShowsNothing) {
    const StageReporter noDialog;
    noDialog.ShowStatus("x");
    noDialog.ShowPercent("  1%");
    noDialog.Finish(StageSucceeded(Stage::kExtract));
    noDialog.Finish(StageFailed(Stage::kExtract, StageCode::kCrc));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_SETUP_FIRST, WM_SETUP_LAST, PM_REMOVE));
    g_pfnStageMessageBox = AnswerUnattended;
    EXPECT_EQ(noDialog.ShowMessage("다운로드를 중단하겠습니까?", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDYES);
    g_pfnStageMessageBox = MessageBoxA;
}

}  // namespace
