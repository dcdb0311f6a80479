// The progress reporter over the run state and the shared controls.
#include "install/progress.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/profile.h"
#include "app/run_state.h"
#include "tests/win/install_support.h"

namespace {

// The scale of the archive alone, whatever data folder the profile declares.
class CopyProgressGlue : public ::testing::Test {
protected:
    void SetUp() override { g_copyProgress.dataBytes = 0; }
    void TearDown() override { g_copyProgress.dataBytes = g_nDataBytes; }
};

// The stages write the reporter's state by its run-state names: the size pass
// the denominator, the download stage the reset of the counters.
TEST_F(CopyProgressGlue, ControlsFollowTheRunStateAndChangeOnlyWithTheirText) {
    StageWindow window;
    ResetCopyProgress();
    g_szLastStatus[0] = '\0';
    g_nLastPermille = 0;
    g_nTotalBytes = 1 + 1999;
    BeginFile("big.bin", 1999);
    ReportCopyProgress(999);   // 500 per mille
    ReportCopyProgress(999);   // same text, same per mille: nothing written
    ReportCopyProgress(1000);  // 501 per mille: the percentage only
    ReportCopyProgress(1999);
    EXPECT_EQ(window.statusTexts, std::vector<std::string>{"복사 중... big.bin"});
    EXPECT_EQ(window.percentTexts, (std::vector<std::string>{" 50%", " 50%", "100%"}));
    EXPECT_STREQ(g_szLastStatus, "복사 중... big.bin");
    EXPECT_EQ(g_nLastPermille, 1000);

    // The next run: its first file's bytes count from zero again, and the
    // second file's start after the first one's.
    g_nBytesBefore = g_nBytesQueued = 0;
    g_nTotalBytes = 1 + 300;
    BeginFile("a.txt", 100);
    BeginFile("b.txt", 200);
    ReportCopyProgress(49);  // (100 + 49 + 1) / 301: 498 per mille
    EXPECT_EQ(window.statusTexts.back(), "복사 중... b.txt");
    EXPECT_EQ(window.percentTexts.back(), " 49%");
}

TEST(CancelCheckPoint, AsksOnlyWhenARequestIsPending) {
    ScriptedAnswers answers({IDNO, IDYES, IDCANCEL});
    g_bUserAborted = 0;
    g_bRunning = 1;
    EXPECT_TRUE(ContinueAtCheckPoint(MB_YESNO));
    EXPECT_TRUE(answers.asked().empty());

    struct Step {
        int expectContinue;
        int running;
        int aborted;
    };
    const Step kSteps[] = {{1, 1, 0}, {0, 0, 1}, {0, 0, 1}};  // No, Yes, anything else
    for (const Step& s : kSteps) {
        g_bRunning = 0;
        g_bUserAborted = 0;
        EXPECT_EQ(ContinueAtCheckPoint(MB_YESNO), s.expectContinue != 0);
        EXPECT_EQ(g_bRunning, s.running);
        EXPECT_EQ(g_bUserAborted, s.aborted);
    }
    EXPECT_EQ(answers.asked().size(), 3u);
    g_bRunning = 0;
    g_bUserAborted = 0;
}

}  // namespace
