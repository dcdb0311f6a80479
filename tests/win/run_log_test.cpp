// A run's log that cannot be opened stopping nothing, and the reporter of a run without a dialog.
// (What the log holds is checked end to end: tests/e2e/quiet_test.sh.)
#include "app/run_log.h"

#include <gtest/gtest.h>

#include <string>

#include "app/messages.h"
#include "app/stage_reporter.h"
#include "tests/win/test_support.h"

namespace {

class RunLogTest : public ::testing::Test {
protected:
    void TearDown() override { OpenRunLog(""); }
    ScratchDir scratch_{"run_log"};
};

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
