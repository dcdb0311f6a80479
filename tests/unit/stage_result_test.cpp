#include "app/stage_result.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LineCase {
    StageResult result;
    const char* line;
};

TEST(FormatStageFailure, OneLinePerFailureWithItsReason) {
    const LineCase kCases[] = {
        {{Stage::kExtract, StageCode::kTargetCreate, ErrorKind::kWin32, 32},
         "velmora_setup: extract failed: target-create (Win32 32)"},
        {{Stage::kDownload, StageCode::kSend, ErrorKind::kWinInet, 12029},
         "velmora_setup: download failed: send (WinInet 12029)"},
        {{Stage::kDownload, StageCode::kStatus, ErrorKind::kHttpStatus, 404},
         "velmora_setup: download failed: status (HTTP 404)"},
        {{Stage::kExtract, StageCode::kArchiveRead, ErrorKind::kMinizip, -103},
         "velmora_setup: extract failed: archive-read (minizip -103)"},
        {{Stage::kStart, StageCode::kSetupName, ErrorKind::kNone, 0}, "velmora_setup: start failed: setup-name"},
        {{Stage::kExtract, StageCode::kNameCodePage, ErrorKind::kNone, 0},
         "velmora_setup: extract failed: name-code-page"},
        {{Stage::kDataCopy, StageCode::kUserAbort, ErrorKind::kNone, 0},
         "velmora_setup: data-copy failed: user-abort"},
        {{Stage::kDownload, StageCode::kSession, ErrorKind::kHresult, static_cast<int32_t>(0x80070005)},
         "velmora_setup: download failed: session (HRESULT 0x80070005)"},
    };
    for (const LineCase& c : kCases) {
        char line[128];
        ASSERT_TRUE(FormatStageFailure(c.result, line, sizeof line)) << c.line;
        EXPECT_STREQ(line, c.line);
        // What travels in the message's parameters comes back whole.
        uint32_t packed = 0;
        int32_t error = 0;
        PackStageResult(c.result, &packed, &error);
        StageResult back = UnpackStageResult(packed, error);
        EXPECT_TRUE(back.stage == c.result.stage && back.code == c.result.code &&
                    back.kind == c.result.kind && back.error == c.result.error)
            << c.line;
    }
    char small[20];
    EXPECT_FALSE(FormatStageFailure(kCases[0].result, small, sizeof small));
    EXPECT_STREQ(small, "");
}

TEST(SystemErrorKind, WinInetsRangeApart) {
    EXPECT_EQ(SystemErrorKind(2), ErrorKind::kWin32);
    EXPECT_EQ(SystemErrorKind(11999), ErrorKind::kWin32);
    EXPECT_EQ(SystemErrorKind(12000), ErrorKind::kWinInet);
    EXPECT_EQ(SystemErrorKind(12175), ErrorKind::kWinInet);
    EXPECT_EQ(SystemErrorKind(13000), ErrorKind::kWin32);
}

}  // namespace
