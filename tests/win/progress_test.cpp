// The progress reporter over the run's scale and the shared controls, and the cancel check
// point of the stages.
#include "install/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run_flags.h"
#include "tests/win/install_support.h"

namespace {

// The reporter works on the run's scale: a second run, its counters reset, counts its files
// from zero again.
TEST(CopyProgressGlue, ControlsFollowTheRunStateAndChangeOnlyWithTheirText) {
    StageWindow window;
    TestRun run;
    run.progress.totalBytes = 1 + 1999;
    CopyProgressReporter reporter(&run.progress, window.reporter());
    reporter.BeginFile("big.bin", 1999);
    reporter.ReportCopyProgress(999);   // 500 per mille
    reporter.ReportCopyProgress(999);   // same text, same per mille: nothing written
    reporter.ReportCopyProgress(1000);  // 501 per mille: the percentage only
    reporter.ReportCopyProgress(1999);
    EXPECT_EQ(window.statusTexts, std::vector<std::string>{"복사 중... big.bin"});
    EXPECT_EQ(window.percentTexts, (std::vector<std::string>{" 50%", " 50%", "100%"}));
    EXPECT_STREQ(run.progress.lastStatus, "복사 중... big.bin");
    EXPECT_EQ(run.progress.lastPermille, 1000);

    ResetRunProgress(&run.progress);
    run.progress.totalBytes = 1 + 300;
    reporter.BeginFile("a.txt", 100);
    reporter.BeginFile("b.txt", 200);
    reporter.ReportCopyProgress(49);  // (100 + 49 + 1) / 301: 498 per mille
    EXPECT_EQ(window.statusTexts.back(), "복사 중... b.txt");
    EXPECT_EQ(window.percentTexts.back(), " 49%");
}

TEST(CancelCheckPoint, AsksOnlyWhenARequestIsPending) {
    ScriptedAnswers answers({IDNO, IDYES, IDCANCEL});
    StageWindow window;
    RunFlags flags = {1, 0};
    EXPECT_TRUE(ContinueAfterCancelCheck(&flags, window.reporter(), "q", MB_YESNO));
    EXPECT_TRUE(answers.asked().empty());

    struct Step {
        int expectContinue;
        int running;
        int aborted;
    };
    const Step kSteps[] = {{1, 1, 0}, {0, 0, 1}, {0, 0, 1}};  // No, Yes, anything else
    for (const Step& s : kSteps) {
        flags = {0, 0};
        EXPECT_EQ(ContinueAfterCancelCheck(&flags, window.reporter(), "q", MB_YESNO), s.expectContinue != 0);
        EXPECT_EQ(flags.running, s.running);
        EXPECT_EQ(flags.userAborted, s.aborted);
    }
    ASSERT_EQ(answers.asked().size(), 3u);
    EXPECT_EQ(answers.asked()[0].caption, "설치");  // the profile's caption, owned by the dialog
    EXPECT_EQ(answers.asked()[0].owner, window.reporter().dialog());
}

}  // namespace
