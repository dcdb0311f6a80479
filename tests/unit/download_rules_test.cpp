#include "download/download_rules.h"
#include "fw/bounded_text.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct NameCase {
    const char* path;
    bool holds;
};

const NameCase kNameCases[] = {
    {"C:\\Downloads\\velmora_setup.exe", true},
    {"C:\\Downloads\\setup.exe", false},              // no "_" at all
    {"C:\\my_files\\setup.exe", true},                // the folder's "_" counts
    {"C:\\v1.2\\velmora_setup", false},               // last "." before last "_"
    {"C:\\Downloads\\velmora_setup", false},          // no "." at all
    {"C:\\a_b.c\\d_e.exe", true},
    {"C:\\Down.loads\\setup_exe", false},
    {"", false},
};

TEST(SetupNameRuleHolds, LastUnderscoreBeforeLastDot) {
    for (const NameCase& c : kNameCases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SetupNameRuleHolds(c.path), c.holds);
    }
}

struct LengthCase {
    const char* text;
    int32_t value;
};

const LengthCase kLengthCases[] = {
    {"", 0},
    {"0", 0},
    {"-5", -5},
    {" 12", 12},
    {"\t\r\n 12", 12},
    {"+7", 7},
    {"12abc", 12},
    {"abc", 0},
    {"- 5", 0},
    {"2147483647", INT32_MAX},
    {"2147483648", INT32_MAX},
    {"99999999999", INT32_MAX},
    {"000000000000000000042", 42},
    {"-2147483648", INT32_MIN},
    {"-99999999999", INT32_MIN},
};

TEST(ParseContentLength, AtolWithSaturation) {
    for (const LengthCase& c : kLengthCases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseContentLength(c.text), c.value);
    }
    EXPECT_EQ(ParseContentLength(nullptr), 0);
}

const char kZipHeaders[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nContent-Length: 12\r\n\r\n";
const char kHtmlHeaders[] =
    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 12\r\n\r\n";
const char kHtmlWithOtherApplication[] =
    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nX-Note: application/x\r\n\r\n";

struct ResponseCase {
    uint32_t status;
    const char* contentLength;
    const char* headers;
    ResponseCheck result;
    int32_t length;
};

const ResponseCase kResponseCases[] = {
    {200, "12", kZipHeaders, ResponseCheck::kOk, 12},
    {206, "12", kZipHeaders, ResponseCheck::kBadStatus, 0},
    {304, "12", kZipHeaders, ResponseCheck::kBadStatus, 0},
    {404, "12", kZipHeaders, ResponseCheck::kBadStatus, 0},
    {500, "12", kZipHeaders, ResponseCheck::kBadStatus, 0},
    {0, "12", kZipHeaders, ResponseCheck::kBadStatus, 0},   // status unreadable
    {200, "", kZipHeaders, ResponseCheck::kBadLength, 0},   // header missing (chunked body)
    {200, nullptr, kZipHeaders, ResponseCheck::kBadLength, 0},
    {200, "0", kZipHeaders, ResponseCheck::kBadLength, 0},
    {200, "-5", kZipHeaders, ResponseCheck::kBadLength, -5},
    {200, " 12", kZipHeaders, ResponseCheck::kOk, 12},
    {200, "+7", kZipHeaders, ResponseCheck::kOk, 7},
    {200, "12abc", kZipHeaders, ResponseCheck::kOk, 12},
    {200, "abc", kZipHeaders, ResponseCheck::kBadLength, 0},
    {200, "99999999999", kZipHeaders, ResponseCheck::kBadLength, INT32_MAX},  // no wrap
    {200, "4294967308", kZipHeaders, ResponseCheck::kBadLength, INT32_MAX},   // 2^32 + 12
    {200, "2147483646", kZipHeaders, ResponseCheck::kOk, 2147483646},
    {200, "12", kHtmlHeaders, ResponseCheck::kNotApplication, 12},
    {200, "12", kHtmlWithOtherApplication, ResponseCheck::kOk, 12},
    {200, "12", "", ResponseCheck::kNotApplication, 12},
    {200, "12", nullptr, ResponseCheck::kNotApplication, 12},
    {200, "12", "Content-Type: Application/zip\r\n", ResponseCheck::kNotApplication, 12},
};

TEST(ValidateResponse, StatusThenLengthThenType) {
    for (const ResponseCase& c : kResponseCases) {
        SCOPED_TRACE(testing::Message() << c.status << " / "
                                        << (c.contentLength ? c.contentLength : "(null)"));
        int32_t length = -12345;
        EXPECT_EQ(ValidateResponse(c.status, c.contentLength, c.headers, &length), c.result);
        EXPECT_EQ(length, c.length);
    }
    EXPECT_EQ(ValidateResponse(200, "1", kZipHeaders, nullptr), ResponseCheck::kOk);
}

struct PercentCase {
    uint32_t received;
    int32_t length;
    int32_t percent;
};

const PercentCase kPercentCases[] = {
    {0, 4096, 0},
    {4095, 4096, 99},
    {4096, 4096, 100},
    {50000000, 100000000, 50},     // received x 100 is past 32 bits here
    {99999999, 100000000, 99},
    {100000000, 100000000, 100},
    {2000000000, 2000000000, 100},
    {4294967295u, 2000000000, 214},
    {4294967295u, 1, INT32_MAX},    // saturates
    {5, 0, 0},
    {5, -1, 0},
};

TEST(DownloadPercent, RoundsDownInSixtyFourBits) {
    for (const PercentCase& c : kPercentCases) {
        SCOPED_TRACE(testing::Message() << c.received << " of " << c.length);
        EXPECT_EQ(DownloadPercent(c.received, c.length), c.percent);
    }
}

TEST(DownloadPercent, RisesSteadilyForLargeBodies) {
    const int32_t kLengths[] = {42949673, 100000000, 2000000000, INT32_MAX - 1};
    for (int32_t length : kLengths) {
        SCOPED_TRACE(length);
        int32_t last = 0;
        for (uint64_t received = 0; received <= static_cast<uint64_t>(length); received += 999983) {
            int32_t percent = DownloadPercent(static_cast<uint32_t>(received), length);
            EXPECT_GE(percent, last);
            EXPECT_LE(percent, 100);
            last = percent;
        }
        EXPECT_EQ(DownloadPercent(static_cast<uint32_t>(length), length), 100);
    }
}

struct FormatCase {
    int percent;
    const char* text;
};

const FormatCase kFormatCases[] = {
    {0, "  0%"}, {7, "  7%"}, {42, " 42%"}, {100, "100%"}, {1234, "1234%"}, {-1, " -1%"},
};

TEST(FormatPercent, RightAlignedInThree) {
    for (const FormatCase& c : kFormatCases) {
        char out[kPercentTextCapacity];
        EXPECT_TRUE(FormatPercent(c.percent, out, sizeof(out)));
        EXPECT_STREQ(out, c.text);
    }
    char out[kPercentTextCapacity];
    EXPECT_TRUE(FormatPercent(INT32_MIN, out, sizeof(out)));
    EXPECT_STREQ(out, "-2147483648%");
    char small[5];
    EXPECT_TRUE(FormatPercent(100, small, sizeof(small)));
    EXPECT_FALSE(FormatPercent(1000, small, sizeof(small)));
    EXPECT_STREQ(small, "");
}

struct BodyCase {
    uint64_t received;
    int32_t announced;
    BodyCheck result;
};

// A body shorter or longer than Content-Length is a failed download.
const BodyCase kBodyCases[] = {
    {4096, 4096, BodyCheck::kComplete},
    {1, 1, BodyCheck::kComplete},
    {4095, 4096, BodyCheck::kShort},
    {0, 4096, BodyCheck::kShort},
    {4097, 4096, BodyCheck::kLong},
    {0x100000000ull + 4096, 4096, BodyCheck::kLong},  // no 32-bit wrap back to "complete"
    {static_cast<uint64_t>(INT32_MAX) - 1, INT32_MAX - 1, BodyCheck::kComplete},
    {0, 0, BodyCheck::kComplete},
    {0, -1, BodyCheck::kLong},
};

TEST(CheckBodyComplete, ExactlyTheAnnouncedLength) {
    for (const BodyCase& c : kBodyCases) {
        SCOPED_TRACE(testing::Message() << c.received << " of " << c.announced);
        EXPECT_EQ(CheckBodyComplete(c.received, c.announced), c.result);
    }
}

struct ReadCase {
    uint32_t count;
    uint64_t received;
    int32_t announced;
    ReadOutcome outcome;
};

const ReadCase kReadCases[] = {
    {4096, 4096, 8192, ReadOutcome::kMore},
    {1000, 1000, 8192, ReadOutcome::kMore},      // a short read in the middle is not the end
    {4096, 4096, 4096, ReadOutcome::kMore},      // all announced bytes in: one more read to see the end
    {1, 4097, 4097, ReadOutcome::kMore},
    {0, 4096, 4096, ReadOutcome::kComplete},
    {0, 0, 1, ReadOutcome::kFailed},              // no body at all
    {0, 4000, 8192, ReadOutcome::kFailed},        // the connection closed early
    {1, 4097, 4096, ReadOutcome::kFailed},        // past the announced length: stop at once
    {4096, 12288, 8192, ReadOutcome::kFailed},
};

TEST(AfterBodyRead, OnlyAnEmptyReadEndsTheBody) {
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(testing::Message() << c.count << " read, " << c.received << " of "
                                        << c.announced);
        EXPECT_EQ(AfterBodyRead(c.count, c.received, c.announced), c.outcome);
    }
}

struct RangeCase {
    const char* text;
    bool ok;
    uint64_t first;
    uint64_t last;
    uint64_t total;
};

const RangeCase kRangeCases[] = {
    {"bytes 0-99/100", true, 0, 99, 100},
    {"bytes 1000-299999/300000", true, 1000, 299999, 300000},
    {"bytes 0-0/1", true, 0, 0, 1},
    {"BYTES 5-9/10", true, 5, 9, 10},
    {"Bytes 007-9/10", true, 7, 9, 10},
    {"bytes 0-9223372036854775806/9223372036854775807", true, 0, 9223372036854775806ull,
     9223372036854775807ull},
    {"bytes 0-1/9223372036854775808", false, 0, 0, 0},   // 2^63
    {"bytes 0-1/99999999999999999999", false, 0, 0, 0},  // past 64 bits: no wrap
    {"bytes 0-99/*", false, 0, 0, 0},
    {"bytes */100", false, 0, 0, 0},
    {"bytes 0-99/99", false, 0, 0, 0},
    {"bytes 10-9/100", false, 0, 0, 0},
    {"bytes  0-99/100", false, 0, 0, 0},
    {" bytes 0-99/100", false, 0, 0, 0},
    {"bytes 0-99/100 ", false, 0, 0, 0},
    {"bytes 0-99/100\r\n", false, 0, 0, 0},
    {"bytes=0-99/100", false, 0, 0, 0},
    {"bytes 0 -99/100", false, 0, 0, 0},
    {"bytes +0-99/100", false, 0, 0, 0},
    {"bytes -1-99/100", false, 0, 0, 0},
    {"bytes 0-9,20-29/100", false, 0, 0, 0},
    {"bytes 0-/100", false, 0, 0, 0},
    {"items 0-99/100", false, 0, 0, 0},
    {"byte 0-99/100", false, 0, 0, 0},
    {"bytes", false, 0, 0, 0},
    {"", false, 0, 0, 0},
};

TEST(ParseContentRange, StrictBytesFirstLastTotal) {
    for (const RangeCase& c : kRangeCases) {
        SCOPED_TRACE(c.text);
        ContentRange range = {1, 2, 3};
        ASSERT_EQ(ParseContentRange(c.text, &range), c.ok);
        EXPECT_EQ(range.first, c.ok ? c.first : 1u);
        EXPECT_EQ(range.last, c.ok ? c.last : 2u);
        EXPECT_EQ(range.total, c.ok ? c.total : 3u);
    }
    ContentRange range;
    EXPECT_FALSE(ParseContentRange(nullptr, &range));
}

const char kETag[] = "\"6b18-493e0\"";
const char kDate[] = "Tue, 08 Dec 2026 17:07:46 GMT";

struct ValidatorCase {
    Validators first;
    Validators later;
    bool same;
};

const ValidatorCase kValidatorCases[] = {
    {{kETag, kDate}, {kETag, kDate}, true},
    {{kETag, nullptr}, {kETag, kDate}, true},
    {{nullptr, kDate}, {"", kDate}, true},
    {{kETag, ""}, {kETag, nullptr}, true},
    {{kETag, kDate}, {"\"6b18-493e1\"", kDate}, false},
    {{kETag, kDate}, {kETag, "Wed, 09 Dec 2026 17:07:46 GMT"}, false},
    {{kETag, kDate}, {nullptr, kDate}, false},             // the ETag went missing
    {{kETag, nullptr}, {"W/\"6b18-493e0\"", nullptr}, false},
    {{"W/\"a\"", nullptr}, {"W/\"a\"", nullptr}, false},   // a weak ETag proves nothing
    {{"W/\"a\"", kDate}, {"W/\"a\"", kDate}, true},
    {{"W/\"a\"", kDate}, {"W/\"b\"", kDate}, false},
    {{nullptr, nullptr}, {nullptr, nullptr}, false},       // nothing to compare: never stitch
    {{"", ""}, {kETag, kDate}, false},
};

TEST(SamePackage, EveryValidatorOfTheFirstComesBack) {
    for (const ValidatorCase& c : kValidatorCases) {
        SCOPED_TRACE(testing::Message() << (c.first.etag ? c.first.etag : "(null)") << " / "
                                        << (c.later.etag ? c.later.etag : "(null)"));
        EXPECT_EQ(SamePackage(c.first, c.later), c.same);
    }
}

const char kRest[] = "bytes 1000-299999/300000";

struct VerdictCase {
    const char* what;
    RangedResponse response;
    ResumeVerdict verdict;
    int32_t length;
};

// After 1000 of 300000 bytes, the first response having sent kETag and kDate.
const VerdictCase kVerdictCases[] = {
    {"the rest", {206, kRest, "299000", "", {kETag, kDate}}, ResumeVerdict::kAppend, 300000},
    {"starts too early", {206, "bytes 999-299999/300000", "299001", "", {kETag, kDate}},
     ResumeVerdict::kRestart, 0},
    {"starts too late", {206, "bytes 1001-299999/300000", "298999", "", {kETag, kDate}},
     ResumeVerdict::kRestart, 0},
    {"another total", {206, "bytes 1000-300000/300001", "299001", "", {kETag, kDate}},
     ResumeVerdict::kRestart, 0},
    {"our end, another total",
     {206, "bytes 1000-299999/300001", "299000", "", {kETag, kDate}}, ResumeVerdict::kRestart, 0},
    {"stops before the end", {206, "bytes 1000-199999/300000", "199000", "", {kETag, kDate}},
     ResumeVerdict::kRestart, 0},
    {"length not the range's", {206, kRest, "298999", "", {kETag, kDate}},
     ResumeVerdict::kRestart, 0},
    {"length of the rest, range shorter",
     {206, "bytes 1000-199999/300000", "299000", "", {kETag, kDate}}, ResumeVerdict::kRestart, 0},
    {"no length", {206, kRest, nullptr, "", {kETag, kDate}}, ResumeVerdict::kRestart, 0},
    {"no Content-Range", {206, nullptr, "299000", "", {kETag, kDate}},
     ResumeVerdict::kRestart, 0},
    {"unknown total", {206, "bytes 1000-299999/*", "299000", "", {kETag, kDate}},
     ResumeVerdict::kRestart, 0},
    {"changed ETag", {206, kRest, "299000", "", {"\"other\"", kDate}},
     ResumeVerdict::kRestart, 0},
    {"changed date", {206, kRest, "299000", "", {kETag, "Thu, 01 Jan 2027 00:00:00 GMT"}},
     ResumeVerdict::kRestart, 0},
    // Keyed builds alike: a signature would only refuse the stitched pieces after the whole
    // download.
    {"changed ETag, no date", {206, kRest, "299000", "", {"\"other\"", nullptr}},
     ResumeVerdict::kRestart, 0},
    {"ETag gone missing", {206, kRest, "299000", "", {nullptr, kDate}}, ResumeVerdict::kRestart, 0},
    {"bad range and changed ETag", {206, "bytes 999-299999/300000", "299001", "", {"\"other\"", kDate}},
     ResumeVerdict::kRestart, 0},
    {"whole package again", {200, nullptr, "300000", kZipHeaders, {kETag, kDate}},
     ResumeVerdict::kStoreWhole, 300000},
    {"a new package", {200, kRest, "5", kZipHeaders, {"\"other\"", nullptr}},
     ResumeVerdict::kStoreWhole, 5},
    {"200 as a web page", {200, nullptr, "300000", kHtmlHeaders, {kETag, kDate}},
     ResumeVerdict::kFail, 0},
    {"200 without length", {200, nullptr, nullptr, kZipHeaders, {kETag, kDate}},
     ResumeVerdict::kFail, 0},
    {"416", {416, "bytes */300000", "0", "", {kETag, kDate}}, ResumeVerdict::kFail, 0},
    {"404", {404, kRest, "299000", kZipHeaders, {kETag, kDate}}, ResumeVerdict::kFail, 0},
    {"304", {304, kRest, "299000", kZipHeaders, {kETag, kDate}}, ResumeVerdict::kFail, 0},
    {"500", {500, kRest, "299000", kZipHeaders, {kETag, kDate}}, ResumeVerdict::kFail, 0},
    {"status unreadable", {0, kRest, "299000", kZipHeaders, {kETag, kDate}},
     ResumeVerdict::kFail, 0},
};

TEST(JudgeRangedResponse, AppendsOnlyTheRestOfTheSamePackage) {
    for (const VerdictCase& c : kVerdictCases) {
        SCOPED_TRACE(c.what);
        ResumePoint point = {1000, 300000, {kETag, kDate}};
        int32_t length = -1;
        EXPECT_EQ(JudgeRangedResponse(point, c.response, &length), c.verdict);
        EXPECT_EQ(length, c.length);
        EXPECT_EQ(JudgeRangedResponse(point, c.response, nullptr), c.verdict);
    }
}

// Without validators in the first response nothing proves the package is the
// same: a good range starts again from zero, in keyed builds too.
TEST(JudgeRangedResponse, NoValidatorsNoStitching) {
    RangedResponse rest = {206, kRest, "299000", "", {nullptr, nullptr}};
    ResumePoint point = {1000, 300000, {nullptr, nullptr}};
    EXPECT_EQ(JudgeRangedResponse(point, rest, nullptr), ResumeVerdict::kRestart);
}

}  // namespace
