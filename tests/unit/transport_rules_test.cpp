#include "download/transport_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download/download_rules.h"
#include "profile/velmora/profile_values.h"

namespace {

struct LocationCase {
    const char* url;
    bool ok;
    bool secure;
    uint16_t port;
    const char* host;
    const char* object;
};

const LocationCase kLocationCases[] = {
    {"https://host/p.zip", true, true, 443, "host", "/p.zip"},
    {"https://host:8443/u/p.zip", true, true, 8443, "host", "/u/p.zip"},
    {"https://host:443/p", true, true, 443, "host", "/p"},
    {"https://host:1/p", true, true, 1, "host", "/p"},
    {"https://host:65535/p", true, true, 65535, "host", "/p"},
    {"https://host:00443/p", true, true, 443, "host", "/p"},
    {"https://host/a:1/b", true, true, 443, "host", "/a:1/b"},   // a ":" in the path is no port
    {"https://[::1]:8443/p", true, true, 8443, "[::1]", "/p"},
    {"https://[::1]/p", true, true, 443, "[::1]", "/p"},
    {"https://host/", true, true, 443, "host", "/"},
    {"https://host:65536/p", false, false, 0, "", ""},
    {"https://host:0/p", false, false, 0, "", ""},
    {"https://host:/p", false, false, 0, "", ""},
    {"https://host:123456/p", false, false, 0, "", ""},
    {"https://host:+443/p", false, false, 0, "", ""},
    {"https://host:44a/p", false, false, 0, "", ""},
    {"https://host", false, false, 0, "", ""},  // no path: refused, not guessed
    {"https:///p", false, false, 0, "", ""},
    {"https://:443/p", false, false, 0, "", ""},
    // Everything else keeps the plain-HTTP rule, quirks included.
    {"http://host/p.zip", true, false, 80, "host", "/p.zip"},
    {"host/p.zip", true, false, 80, "host", "/p.zip"},
    {"http://host:8080/p", true, false, 80, "host:8080", "/p"},   // the port stays in the host
    {"HTTPS://host/p", true, false, 80, "HTTPS:", "//host/p"},
    {"url=https://host/p", true, false, 80, "url=https:", "//host/p"},
    {" https://host/p", true, false, 80, " https:", "//host/p"},
    {"url=http://host/p.zip", true, false, 80, "p:", "//host/p.zip"},
    {"http://host", true, false, 80, "", "host"},
    {"", true, false, 80, "", ""},
};

TEST(SplitPackageLocation, SecureOnlyForHttps) {
    for (const LocationCase& c : kLocationCases) {
        SCOPED_TRACE(c.url);
        PackageLocation location;
        ASSERT_EQ(SplitPackageLocation(c.url, &location), c.ok);
        EXPECT_EQ(location.secure, c.ok && c.secure);
        EXPECT_EQ(location.port, c.ok ? c.port : kHttpPort);
        EXPECT_STREQ(location.host, c.ok ? c.host : "");
        EXPECT_STREQ(location.object, c.ok ? c.object : "");
        if (!c.ok || c.secure) continue;
        char host[kUrlHostCapacity];
        char object[kUrlObjectCapacity];
        ASSERT_TRUE(SplitPackageUrl(c.url, host, sizeof host, object, sizeof object));
        EXPECT_STREQ(location.host, host);
        EXPECT_STREQ(location.object, object);
    }
}

TEST(SplitPackageLocation, PartsUpToWinInetLimits) {
    const std::string longestHost(kUrlHostCapacity - 1, 'h');
    const std::string longestObject = "/" + std::string(kUrlObjectCapacity - 2, 'o');
    for (const char* scheme : {"https://", "http://"}) {
        SCOPED_TRACE(scheme);
        PackageLocation location;
        const std::string longest = scheme + longestHost + longestObject;
        EXPECT_TRUE(SplitPackageLocation(longest.c_str(), &location));
        EXPECT_EQ(location.host, longestHost);
        EXPECT_EQ(location.object, longestObject);
        EXPECT_FALSE(SplitPackageLocation((scheme + longestHost + "h/p").c_str(), &location));
        EXPECT_STREQ(location.host, "");
        EXPECT_FALSE(SplitPackageLocation((scheme + std::string("h") + longestObject + "o").c_str(),
                                          &location));
        EXPECT_STREQ(location.object, "");
    }
}

struct ProfileUrlCase {
    const char* scheme;
    const char* host;
    int32_t port;
    const char* pathFormat;
    const char* url;  // null: refused
    uint16_t splitPort;
};

const ProfileUrlCase kProfileUrlCases[] = {
    {"http", "localhost", 0, "/update/%s", "http://localhost/update/p.zip", 80},
    {"https", "localhost", 0, "/update/%s", "https://localhost/update/p.zip", 443},
    {"https", "cdn.example", 8443, "/%s", "https://cdn.example:8443/p.zip", 8443},
    {"https", "[::1]", 8443, "/%s", "https://[::1]:8443/p.zip", 8443},
    {"https", "host", 65535, "/%s", "https://host:65535/p.zip", 65535},
    {"http", "localhost", 8080, "/%s", nullptr, 0},  // plain HTTP would leave it in the host
    {"http", "localhost", 80, "/%s", nullptr, 0},
    {"https", "host", 65536, "/%s", nullptr, 0},
    {"https", "host", -1, "/%s", nullptr, 0},
    {"https", "host:8443", 0, "/%s", nullptr, 0},    // the port belongs in its own field
    {"https", "host:8443", 443, "/%s", nullptr, 0},
    {"https", "[::1", 8443, "/%s", nullptr, 0},   // the split would read the port as address
    {"ftp", "host", 0, "/%s", nullptr, 0},
    {"HTTP", "host", 0, "/%s", nullptr, 0},
    {"http", "", 0, "/%s", nullptr, 0},
    {"http", "a/b", 0, "/%s", nullptr, 0},
    {"http", "host", 0, "update/%s", nullptr, 0},
};

// The profile's server, written as a URL, comes back whole through the split
// every "/axs:" URL takes.
TEST(ComposePackageUrl, SplitGivesTheProfileServerBack) {
    for (const ProfileUrlCase& c : kProfileUrlCases) {
        SCOPED_TRACE(testing::Message() << c.scheme << " " << c.host << " " << c.port);
        char url[256];
        bool composed = ComposePackageUrl(c.scheme, c.host, c.port, c.pathFormat, "p.zip", url,
                                          sizeof url);
        ASSERT_EQ(composed, c.url != nullptr);
        if (!composed) {
            EXPECT_STREQ(url, "");
            continue;
        }
        EXPECT_STREQ(url, c.url);
        PackageLocation location;
        ASSERT_TRUE(SplitPackageLocation(url, &location));
        EXPECT_EQ(location.secure, std::string(c.scheme) == "https");
        EXPECT_EQ(location.port, c.splitPort);
        EXPECT_STREQ(location.host, c.host);
        EXPECT_STREQ(location.object, c.pathFormat[1] == '%' ? "/p.zip" : "/update/p.zip");
    }
    char small[30];  // "http://localhost/update/p.zip" is 29 bytes
    EXPECT_TRUE(ComposePackageUrl("http", "localhost", 0, "/update/%s", "p.zip", small, 30));
    EXPECT_FALSE(ComposePackageUrl("http", "localhost", 0, "/update/%s", "p.zip", small, 29));
    EXPECT_STREQ(small, "");
}

// The Velmora profile still asks its own server for the same host and path
// over plain HTTP on port 80.
TEST(ComposePackageUrl, VelmoraProfileUnchanged) {
    char url[kUrlObjectCapacity];
    ASSERT_TRUE(ComposePackageUrl(PROFILE_PACKAGE_SCHEME, PROFILE_PACKAGE_HOST,
                                  PROFILE_PACKAGE_PORT, PROFILE_PACKAGE_PATH_FMT,
                                  PROFILE_ARCHIVE_NAME, url, sizeof url));
    PackageLocation location;
    ASSERT_TRUE(SplitPackageLocation(url, &location));
    char object[kUrlObjectCapacity];
    ASSERT_TRUE(ComposeDefaultObject(PROFILE_PACKAGE_PATH_FMT, PROFILE_ARCHIVE_NAME, object,
                                     sizeof object));
    EXPECT_FALSE(location.secure);
    EXPECT_EQ(location.port, 80);
    EXPECT_STREQ(location.host, PROFILE_PACKAGE_HOST);
    EXPECT_STREQ(location.object, object);
}

TEST(RedirectAllowed, NeverFromHttpsToHttp) {
    EXPECT_TRUE(RedirectAllowed(false, false));
    EXPECT_TRUE(RedirectAllowed(false, true));
    EXPECT_TRUE(RedirectAllowed(true, true));
    EXPECT_FALSE(RedirectAllowed(true, false));
    for (uint32_t status : {301u, 302u, 303u, 307u, 308u}) EXPECT_TRUE(IsRedirectStatus(status));
    for (uint32_t status : {200u, 206u, 300u, 304u, 305u, 306u, 309u, 0u})
        EXPECT_FALSE(IsRedirectStatus(status));
}

struct RedirectCase {
    bool fromSecure;
    const char* location;
    bool ok;
    bool secure;
    uint16_t port;
    const char* host;
    const char* object;
};

// From http://origin/p (port 80) or https://origin:8443/p.
const RedirectCase kRedirectCases[] = {
    {false, "https://cdn/p.zip", true, true, 443, "cdn", "/p.zip"},
    {false, "https://cdn:9443/p.zip", true, true, 9443, "cdn", "/p.zip"},
    {false, "http://mirror/p.zip", true, false, 80, "mirror", "/p.zip"},
    {false, "http://mirror:8080/p.zip", true, false, 8080, "mirror", "/p.zip"},
    {true, "https://cdn/p.zip", true, true, 443, "cdn", "/p.zip"},
    {true, "/moved/p.zip", true, true, 8443, "origin", "/moved/p.zip"},
    {false, "/moved/p.zip", true, false, 80, "origin", "/moved/p.zip"},
    {true, "http://mirror/p.zip", false, false, 0, "", ""},
    {true, "http://origin:8443/p.zip", false, false, 0, "", ""},
    {false, "//cdn/p.zip", false, false, 0, "", ""},
    {false, "p.zip", false, false, 0, "", ""},
    {false, "", false, false, 0, "", ""},
    {false, "HTTPS://cdn/p.zip", false, false, 0, "", ""},
    {false, "ftp://cdn/p.zip", false, false, 0, "", ""},
    {false, "https://cdn", false, false, 0, "", ""},
    {false, " https://cdn/p.zip", false, false, 0, "", ""},
};

TEST(FollowRedirect, StaysOnTlsOnceThere) {
    PackageLocation plain;
    PackageLocation secure;
    ASSERT_TRUE(SplitPackageLocation("http://origin/p", &plain));
    ASSERT_TRUE(SplitPackageLocation("https://origin:8443/p", &secure));
    for (const RedirectCase& c : kRedirectCases) {
        SCOPED_TRACE(testing::Message() << (c.fromSecure ? "https: " : "http: ") << c.location);
        PackageLocation to;
        ASSERT_EQ(FollowRedirect(c.fromSecure ? secure : plain, c.location, &to), c.ok);
        EXPECT_STREQ(to.host, c.ok ? c.host : "");
        EXPECT_STREQ(to.object, c.ok ? c.object : "");
        if (!c.ok) continue;
        EXPECT_EQ(to.secure, c.secure);
        EXPECT_EQ(to.port, c.port);
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

TEST(ComposeRangeHeader, FromTheBytesOnDisk) {
    char header[kRangeHeaderCapacity];
    EXPECT_TRUE(ComposeRangeHeader(0, header, sizeof header));
    EXPECT_STREQ(header, "Range: bytes=0-\r\n");
    EXPECT_TRUE(ComposeRangeHeader(4096, header, sizeof header));
    EXPECT_STREQ(header, "Range: bytes=4096-\r\n");
    EXPECT_TRUE(ComposeRangeHeader(UINT64_MAX, header, sizeof header));
    EXPECT_STREQ(header, "Range: bytes=18446744073709551615-\r\n");
    char small[21];  // "Range: bytes=4096-\r\n" is 20 bytes
    EXPECT_TRUE(ComposeRangeHeader(4096, small, sizeof small));
    EXPECT_FALSE(ComposeRangeHeader(40960, small, sizeof small));
    EXPECT_STREQ(small, "");
}

struct SignatureObjectCase {
    const char* package;
    const char* signature;
};

const SignatureObjectCase kSignatureObjectCases[] = {
    {"/update/pkg.zip", "/update/pkg.zip.sig"},
    {"/update/pkg.zip?t=1", "/update/pkg.zip.sig?t=1"},
    {"/pkg.zip?a=1&b=x.zip?c", "/pkg.zip.sig?a=1&b=x.zip?c"},  // the first "?" starts the query
    {"/pkg.zip?", "/pkg.zip.sig?"},
    {"/pkg.zip#part", "/pkg.zip.sig#part"},
    {"/pkg.zip?t=1#part", "/pkg.zip.sig?t=1#part"},
    {"/", "/.sig"},
    {"", ".sig"},
};

TEST(ComposeSignatureObject, SigBeforeTheQuery) {
    for (const SignatureObjectCase& c : kSignatureObjectCases) {
        SCOPED_TRACE(c.package);
        char object[kUrlObjectCapacity];
        EXPECT_TRUE(ComposeSignatureObject(c.package, object, sizeof object));
        EXPECT_STREQ(object, c.signature);
    }
}

TEST(ComposeSignatureObject, RefusedUncutWhenTooLong) {
    const std::string query = "?t=" + std::string(100, 'q');
    const std::string package = "/p.zip" + query;
    std::vector<char> exact(package.size() + 4 + 1);
    EXPECT_TRUE(ComposeSignatureObject(package.c_str(), exact.data(), exact.size()));
    EXPECT_EQ(std::string(exact.data()), "/p.zip.sig" + query);
    std::vector<char> short_(package.size() + 4, 'x');
    EXPECT_FALSE(ComposeSignatureObject(package.c_str(), short_.data(), short_.size()));
    EXPECT_STREQ(short_.data(), "");
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

const char kZipHeaders[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nContent-Length: 300000\r\n\r\n";
const char kHtmlHeaders[] =
    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 300000\r\n\r\n";
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

struct RetryCase {
    uint64_t onDisk;
    int32_t length;
    int retriesMade;
    int retriesAllowed;
    bool retry;
};

const RetryCase kRetryCases[] = {
    {1000, 300000, 0, 3, true},
    {1000, 300000, 1, 3, true},
    {299999, 300000, 2, 3, true},
    {1000, 300000, 3, 3, false},   // three retries are all
    {1000, 300000, 3, 9, false},   // however many the profile asks for
    {1000, 300000, 0, 0, false},   // a profile that never resumes
    {1000, 300000, 1, 1, false},
    {0, 300000, 0, 3, false},      // the first request brought nothing: nothing was cut
    {0, 300000, 1, 3, true},       // a retry that brought nothing (or restarted) goes on
    {0, 300000, 3, 3, false},
    {300000, 300000, 0, 3, false}, // complete
    {300001, 300000, 0, 3, false}, // past the length: a failure, not a cut
    {1000, 0, 0, 3, false},        // no accepted response
    {1000, 300000, -1, 3, false},
};

TEST(ShouldRetry, OnlyACutDownloadAtMostThreeTimes) {
    for (const RetryCase& c : kRetryCases) {
        SCOPED_TRACE(testing::Message() << c.onDisk << " of " << c.length << ", retries "
                                        << c.retriesMade << " of " << c.retriesAllowed);
        EXPECT_EQ(ShouldRetry(c.onDisk, c.length, c.retriesMade, c.retriesAllowed), c.retry);
    }
}

TEST(RetryPauseMs, GrowsWithEachRetry) {
    const uint32_t kPauses[] = {500, 1000, 2000};
    for (int retries = 0; retries < kMaxResumeRetries; ++retries)
        EXPECT_EQ(RetryPauseMs(retries), kPauses[retries]);
    EXPECT_EQ(RetryPauseMs(kMaxResumeRetries), 0u);
    EXPECT_EQ(RetryPauseMs(-1), 0u);
}

}  // namespace
