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

struct UrlCase {
    const char* url;
    const char* host;
    const char* object;
};

const UrlCase kUrlCases[] = {
    {"http://127.0.0.2/update/p.zip", "127.0.0.2", "/update/p.zip"},
    {"127.0.0.2/update/p.zip", "127.0.0.2", "/update/p.zip"},
    {"HTTP://host/p.zip", "HTTP:", "//host/p.zip"},        // capitals are no match
    {"https://host/p.zip", "https:", "//host/p.zip"},
    {"http://host", "", "host"},                           // no "/" left: empty host
    {"host", "", "host"},
    {"http://host:8080/p.zip", "host:8080", "/p.zip"},     // a port stays in the host
    {"url=http://host/p.zip", "p:", "//host/p.zip"},       // 7 bytes go from the start
    {"abhttp://host/p", "", "//host/p"},
    {"http://host/", "host", "/"},
    {"", "", ""},
};

TEST(SplitPackageUrl, HostBeforeFirstSlash) {
    for (const UrlCase& c : kUrlCases) {
        SCOPED_TRACE(c.url);
        char host[64];
        char object[64];
        EXPECT_TRUE(SplitPackageUrl(c.url, host, sizeof(host), object, sizeof(object)));
        EXPECT_STREQ(host, c.host);
        EXPECT_STREQ(object, c.object);
    }
}

TEST(SplitPackageUrl, PartsThatDoNotFitAreRefused) {
    char host[10];  // "127.0.0.2" and its NUL
    char object[14];
    EXPECT_TRUE(SplitPackageUrl("http://127.0.0.2/update/p.zip", host, sizeof(host), object,
                                sizeof(object)));
    EXPECT_FALSE(SplitPackageUrl("http://127.0.0.20/update/p.zip", host, sizeof(host), object,
                                 sizeof(object)));
    EXPECT_STREQ(host, "");
    EXPECT_STREQ(object, "");
    EXPECT_FALSE(SplitPackageUrl("http://127.0.0.2/update/pp.zip", host, sizeof(host), object,
                                 sizeof(object)));
    EXPECT_STREQ(host, "");
}

TEST(ComposeDefaultObject, ArchiveNameInThePathFormat) {
    char out[64];
    EXPECT_TRUE(ComposeDefaultObject("/update/%s", "velmora_direct.zip", out, sizeof(out)));
    EXPECT_STREQ(out, "/update/velmora_direct.zip");
    EXPECT_TRUE(ComposeDefaultObject("/a/%s/get", "p.zip", out, sizeof(out)));
    EXPECT_STREQ(out, "/a/p.zip/get");
    EXPECT_TRUE(ComposeDefaultObject("/fixed.zip", "p.zip", out, sizeof(out)));
    EXPECT_STREQ(out, "/fixed.zip");
    EXPECT_TRUE(ComposeDefaultObject("/update/%s", "p.zip", out, 14));
    EXPECT_FALSE(ComposeDefaultObject("/update/%s", "p.zip", out, 13));
    EXPECT_STREQ(out, "");
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

}  // namespace
