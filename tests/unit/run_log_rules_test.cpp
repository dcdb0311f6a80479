#include "app/run_log_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct ExitCase {
    StageResult result;
    int exitCode;
};

TEST(ExitCodeOf, InstalledCancelledOrFailed) {
    const ExitCase kCases[] = {
        {StageSucceeded(Stage::kDataCopy), 0},
        {StageFailed(Stage::kDownload, StageCode::kUserAbort), 1602},
        {StageFailed(Stage::kDataCopy, StageCode::kUserAbort), 1602},
        {StageFailed(Stage::kDownload, StageCode::kStatus, ErrorKind::kHttpStatus, 404), 1603},
        {StageFailed(Stage::kStart, StageCode::kTempArchive), 1603},
        {StageFailed(Stage::kExtract, StageCode::kCrc, ErrorKind::kMinizip, -105), 1603},
    };
    for (const ExitCase& c : kCases) EXPECT_EQ(ExitCodeOf(c.result), c.exitCode) << StageCodeName(c.result.code);
}

struct LineCase {
    LogTime time;
    const char* text;
    const char* line;
};

TEST(FormatLogLine, LocalTimeToTheMillisecondThenTheText) {
    const LineCase kCases[] = {
        {{2026, 3, 4, 5, 6, 7, 8}, "download start", "2026-03-04 05:06:07.008 download start\r\n"},
        {{1999, 12, 31, 23, 59, 59, 999}, "download failed: status (HTTP 404)",
         "1999-12-31 23:59:59.999 download failed: status (HTTP 404)\r\n"},
        {{2026, 1, 1, 0, 0, 0, 0}, "", "2026-01-01 00:00:00.000 \r\n"},
        // A text of several lines (a message box's) stays on one.
        {{2026, 1, 1, 0, 0, 0, 0}, "a\n\nb\r\nc", "2026-01-01 00:00:00.000 a  b  c\r\n"},
        {{2026, 1, 1, 0, 0, 0, 0}, "설치 경로", "2026-01-01 00:00:00.000 설치 경로\r\n"},
    };
    for (const LineCase& c : kCases) {
        char line[128];
        ASSERT_TRUE(FormatLogLine(c.time, c.text, line, sizeof line)) << c.text;
        EXPECT_STREQ(line, c.line);
    }
    // Refused, never cut: the line needs its CR LF and NUL.
    const size_t whole = strlen("2026-03-04 05:06:07.008 x\r\n") + 1;
    char line[64];
    EXPECT_TRUE(FormatLogLine(kCases[0].time, "x", line, whole));
    EXPECT_FALSE(FormatLogLine(kCases[0].time, "x", line, whole - 1));
    EXPECT_STREQ(line, "");
}

}  // namespace
