#include "install/progress_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct MulDivCase {
    int32_t a, b, c;
    int32_t result;
};

const MulDivCase kMulDivCases[] = {
    {1, 1, 2, 1},                 // halves go away from zero
    {-1, 1, 2, -1},
    {1, -1, 2, -1},
    {1, 1, -2, -1},
    {-1, -1, 2, 1},
    {-1, 1, -2, 1},
    {3, 1, 2, 2},
    {-3, 1, 2, -2},
    {5, 1, 4, 1},
    {7, 1, 4, 2},
    {-7, 1, 4, -2},
    {-5, 1, 4, -1},
    {1, 1, 3, 0},
    {2, 1, 3, 1},
    {1001, 1000, 2000, 501},
    {501, 1000, 1001, 500},
    {0, 1000, 1, 0},
    {10, 1, 0, -1},               // zero divisor
    {0, 5, 0, -1},
    {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},  // product needs 64 bits
    {INT32_MAX, 1000, 1001, 2145338309},
    {INT32_MAX, 2, 1, -1},        // result beyond 32 bits
    {INT32_MIN, -1, 1, -1},
    {INT32_MIN, 1, 1, INT32_MIN},
    {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN},
};

TEST(MulDivRounded, NearestWithHalvesAwayFromZero) {
    for (const MulDivCase& c : kMulDivCases) {
        SCOPED_TRACE(testing::Message() << c.a << " * " << c.b << " / " << c.c);
        EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), c.result);
    }
}

// The reporter as the run state holds it after the size pass over entries of
// |archiveBytes| bytes in all.
CopyProgress RunOver(uint32_t archiveBytes, int32_t dataBytes = 0) {
    CopyProgress state;
    memset(&state, 0, sizeof(state));
    state.dataBytes = dataBytes;
    ResetRunProgress(&state);
    AddToTotalBytes(&state, archiveBytes);
    return state;
}

struct Step {
    const char* begin;  // BeginFile with this name and |size| first, when not null
    uint32_t size;
    int32_t written;
    const char* status;   // expected status write, or null for none
    const char* percent;  // expected percentage write, or null for none
};

void Play(CopyProgress* state, const Step* steps, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        const Step& s = steps[i];
        SCOPED_TRACE(i);
        if (s.begin) BeginFile(state, s.begin, s.size);
        ProgressWrites out;
        ReportCopyProgress(state, s.written, &out);
        EXPECT_EQ(out.writeStatus, s.status != nullptr);
        if (s.status) {
            EXPECT_STREQ(out.status, s.status);
        }
        EXPECT_EQ(out.writePercent, s.percent != nullptr);
        if (s.percent) {
            EXPECT_STREQ(out.percent, s.percent);
        }
    }
}

TEST(ReportCopyProgress, WholeArchiveEndsAtOneHundred) {
    CopyProgress state = RunOver(300 + 700);
    const Step steps[] = {
        {"a.txt", 300, 300, "복사 중... a.txt", " 30%"},   // first report writes both
        {"docs/", 0, 0, "복사 중... docs/", nullptr},      // same per-mille: field left alone
        {"b/c.bin", 700, 350, "복사 중... b/c.bin", " 65%"},
        {nullptr, 0, 699, nullptr, " 99%"},                // 999 per mille shows 99
        {nullptr, 0, 700, nullptr, "100%"},                // the last byte gives 100
    };
    Play(&state, steps, sizeof(steps) / sizeof(steps[0]));
}

TEST(ReportCopyProgress, PermilleZeroIsRewrittenEveryTime) {
    CopyProgress state = RunOver(10000000);
    const Step steps[] = {
        {"big.dat", 10000000, 1000, "복사 중... big.dat", "  0%"},
        {nullptr, 0, 2000, nullptr, "  0%"},
        {nullptr, 0, 10000, nullptr, "  0%"},   // 1 per mille
        {nullptr, 0, 10400, nullptr, nullptr},  // still 1
        {nullptr, 0, 15000, nullptr, "  0%"},   // 2 per mille: rewritten, same per cent
    };
    Play(&state, steps, sizeof(steps) / sizeof(steps[0]));
}

TEST(ReportCopyProgress, EqualNamesAreWrittenOnce) {
    CopyProgress state = RunOver(0, 4000);  // data copy shows bare names
    const Step steps[] = {
        {"readme.txt", 1000, 1000, "복사 중... readme.txt", " 25%"},
        {"readme.txt", 1000, 1000, nullptr, " 50%"},
        {"설명.txt", 1000, 1000, "복사 중... 설명.txt", " 75%"},
        {"readme.txt", 1000, 1000, "복사 중... readme.txt", "100%"},
    };
    Play(&state, steps, sizeof(steps) / sizeof(steps[0]));
}

TEST(ReportCopyProgress, DataLargerThanDeclaredPassesOneHundred) {
    CopyProgress state = RunOver(100, 100);
    const Step steps[] = {
        {"a", 100, 100, "복사 중... a", " 50%"},
        {"b", 150, 100, "복사 중... b", "100%"},
        {nullptr, 0, 150, nullptr, "124%"},
    };
    Play(&state, steps, sizeof(steps) / sizeof(steps[0]));
}

TEST(ReportCopyProgress, EmptyDataFileReportsOnce) {
    CopyProgress state = RunOver(0, 1);
    const Step steps[] = {{"empty.txt", 0, 0, "복사 중... empty.txt", " 50%"}};
    Play(&state, steps, 1);
}

TEST(ReportCopyProgress, SecondRunKeepsWhatTheFirstShowed) {
    CopyProgress state = RunOver(100);
    const Step first[] = {{"a", 100, 100, "복사 중... a", "100%"}};
    Play(&state, first, 1);

    ResetRunProgress(&state);
    AddToTotalBytes(&state, 100);
    const Step second[] = {
        {"a", 100, 100, nullptr, nullptr},  // same text, same non-zero per mille
        {"b", 0, 0, "복사 중... b", nullptr},
    };
    Play(&state, second, 2);
}

TEST(ReportCopyProgress, CountersSaturateInsteadOfOverflowing) {
    CopyProgress state = RunOver(0xFFFFFFFFu);
    EXPECT_EQ(state.totalBytes, INT32_MAX);
    BeginFile(&state, "a", 0xFFFFFFFFu);
    BeginFile(&state, "b", 0xFFFFFFFFu);
    EXPECT_EQ(state.bytesBefore, INT32_MAX);
    EXPECT_EQ(state.bytesQueued, INT32_MAX);
    ProgressWrites out;
    ReportCopyProgress(&state, INT32_MAX, &out);
    EXPECT_STREQ(out.percent, "100%");
}

// Status texts never overflow and never end in half a CP949 character.
TEST(ReportCopyProgress, LongNamesKeepTheirTail) {
    const std::string prefix = "복사 중... ";  // 11 bytes
    struct LongName {
        std::string name;
        bool shortened;
        bool hangulTail;
    };
    const std::string hangul = "가";  // two bytes
    std::string odd = "a";
    for (int i = 0; i < 124; ++i) odd += hangul;  // 249 bytes, characters at odd offsets
    std::string even;
    for (int i = 0; i < 130; ++i) even += hangul;  // 260 bytes: even BeginFile shortens it
    const LongName kNames[] = {
        {std::string(248, 'x'), false, false},
        {std::string(249, 'x') + "END", true, false},
        {odd, true, true},
        {even, true, true},
    };
    for (const LongName& n : kNames) {
        SCOPED_TRACE(n.name.size());
        CopyProgress state = RunOver(1);
        BeginFile(&state, n.name.c_str(), 1);
        ProgressWrites out;
        ReportCopyProgress(&state, 1, &out);
        std::string status = out.status;
        ASSERT_LT(status.size(), kPathCapacity);
        EXPECT_EQ(status.compare(0, prefix.size(), prefix), 0);
        if (!n.shortened) {
            EXPECT_EQ(status, prefix + n.name);
            continue;
        }
        EXPECT_EQ(status.compare(prefix.size(), 3, "..."), 0);
        std::string tail = status.substr(prefix.size() + 3);
        EXPECT_GE(status.size(), kPathCapacity - 2);  // as much as fits
        EXPECT_EQ(n.name.compare(n.name.size() - tail.size(), tail.size(), tail), 0);
        if (n.hangulTail) {
            EXPECT_EQ(tail.compare(0, 2, hangul), 0);
        }
    }
}

}  // namespace
