#include "download/url_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    {"http://host", true, false, 80, "", "host"},      // no "/" left: empty host
    {"host", true, false, 80, "", "host"},
    {"http://host/", true, false, 80, "host", "/"},
    {"abhttp://host/p", true, false, 80, "", "//host/p"},  // 7 bytes go from the start
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
    const char* object;
};

const ProfileUrlCase kProfileUrlCases[] = {
    {"http", "localhost", 0, "/update/%s", "http://localhost/update/p.zip", 80, "/update/p.zip"},
    {"https", "localhost", 0, "/update/%s", "https://localhost/update/p.zip", 443, "/update/p.zip"},
    {"https", "cdn.example", 8443, "/%s", "https://cdn.example:8443/p.zip", 8443, "/p.zip"},
    {"https", "[::1]", 8443, "/%s", "https://[::1]:8443/p.zip", 8443, "/p.zip"},
    {"https", "host", 65535, "/%s", "https://host:65535/p.zip", 65535, "/p.zip"},
    {"http", "host", 0, "/a/%s/get?%s", "http://host/a/p.zip/get?%s", 80, "/a/p.zip/get?%s"},
    {"http", "host", 0, "/fixed.zip", "http://host/fixed.zip", 80, "/fixed.zip"},
    {"http", "localhost", 8080, "/%s", nullptr, 0, ""},  // plain HTTP would leave it in the host
    {"http", "localhost", 80, "/%s", nullptr, 0, ""},
    {"https", "host", 65536, "/%s", nullptr, 0, ""},
    {"https", "host", -1, "/%s", nullptr, 0, ""},
    {"https", "host:8443", 0, "/%s", nullptr, 0, ""},    // the port belongs in its own field
    {"https", "host:8443", 443, "/%s", nullptr, 0, ""},
    {"https", "[::1", 8443, "/%s", nullptr, 0, ""},   // the split would read the port as address
    {"ftp", "host", 0, "/%s", nullptr, 0, ""},
    {"HTTP", "host", 0, "/%s", nullptr, 0, ""},
    {"http", "", 0, "/%s", nullptr, 0, ""},
    {"http", "a/b", 0, "/%s", nullptr, 0, ""},
    {"http", "host", 0, "update/%s", nullptr, 0, ""},
};

// The profile's server, written as a URL, comes back whole through the split
// every "/axs:" URL takes.
TEST(ComposePackageUrl, SplitGivesTheProfileServerBack) {
    for (const ProfileUrlCase& c : kProfileUrlCases) {
        SCOPED_TRACE(testing::Message() << c.scheme << " " << c.host << " " << c.port << " " << c.pathFormat);
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
        EXPECT_STREQ(location.object, c.object);
    }
    char small[30];  // "http://localhost/update/p.zip" is 29 bytes
    EXPECT_TRUE(ComposePackageUrl("http", "localhost", 0, "/update/%s", "p.zip", small, 30));
    EXPECT_FALSE(ComposePackageUrl("http", "localhost", 0, "/update/%s", "p.zip", small, 29));
    EXPECT_STREQ(small, "");
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

}  // namespace
