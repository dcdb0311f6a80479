// Fuzz target: how the package travels: its URL, redirects, ranges and resuming
// (download/url_rules.h, download/download_rules.h). Fields (cut at "|"):
//   0 package URL, redirect Location or Content-Range text   1 host or first ETag
//   2 path format or first Last-Modified   3 archive name or later ETag
//   4 later Last-Modified   5 status   6 bytes on disk   7 first length
//   8 port   9 Content-Length text   10 selector: capacities, signature, scheme
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-transport && build/fuzz/transport_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-transport tests/fuzz/corpus/transport
#include <strings.h>

#include <string>

#include "download/download_rules.h"
#include "download/url_rules.h"
#include "fuzz_support.h"

namespace {

struct Parts {
    bool secure = false;
    uint16_t port = kHttpPort;
    std::string host;
    std::string object;
};

// A URL's rest after its scheme, host and port split by hand: false when refused. |secure|
// names the scheme: https, or the http of a redirect's Location.
bool ReferenceAuthoritySplit(const std::string& rest, bool secure, Parts* parts) {
    size_t slash = rest.find('/');
    if (slash == std::string::npos) return false;
    std::string authority = rest.substr(0, slash);
    size_t from = 0;
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        from = close == std::string::npos ? authority.size() : close;
    }
    size_t colon = authority.rfind(':');
    if (colon == std::string::npos || colon < from) colon = authority.size();
    std::string portText = colon < authority.size() ? authority.substr(colon + 1) : secure ? "443" : "80";
    if (portText.empty() || portText.size() > 5 ||
        portText.find_first_not_of("0123456789") != std::string::npos)
        return false;
    long port = strtol(portText.c_str(), nullptr, 10);
    if (port < 1 || port > 65535 || colon == 0) return false;
    parts->secure = secure;
    parts->port = static_cast<uint16_t>(port);
    parts->host = authority.substr(0, colon);
    parts->object = rest.substr(slash);
    return parts->host.size() < kUrlHostCapacity && parts->object.size() < kUrlObjectCapacity;
}

// The whole rule by hand: https by the reference above, anything else by the
// plain-HTTP rule "/axs:" URLs always had.
bool ReferenceSplit(const std::string& url, Parts* parts) {
    if (url.compare(0, 8, "https://") == 0) return ReferenceAuthoritySplit(url.substr(8), true, parts);
    std::string rest = url.find("http://") != std::string::npos ? url.substr(7) : url;
    size_t slash = rest.find('/');
    parts->host = slash == std::string::npos ? std::string() : rest.substr(0, slash);
    parts->object = slash == std::string::npos ? rest : rest.substr(slash);
    return parts->host.size() < kUrlHostCapacity && parts->object.size() < kUrlObjectCapacity;
}

void CheckLocation(const PackageLocation& got, bool ok, bool expectedOk, const Parts& expected) {
    FUZZ_CHECK(ok == expectedOk);
    if (!ok) {
        FUZZ_CHECK(got.host[0] == '\0' && got.object[0] == '\0');
        return;
    }
    FUZZ_CHECK(got.secure == expected.secure);
    FUZZ_CHECK(got.port == expected.port);
    FUZZ_CHECK(got.host == expected.host);
    FUZZ_CHECK(got.object == expected.object);
}

void CheckSplit(const std::string& url) {
    Parts expected;
    bool expectedOk = ReferenceSplit(url, &expected);
    PackageLocation location;
    CheckLocation(location, SplitPackageLocation(url.c_str(), &location), expectedOk, expected);
}

// A redirect never goes from https to http, and lands where its Location says.
void CheckRedirect(const std::string& locationText, const std::string& fromUrl) {
    PackageLocation from;
    if (!SplitPackageLocation(fromUrl.c_str(), &from)) return;
    Parts expected;
    bool expectedOk = false;
    if (locationText.size() > 0 && locationText[0] == '/' &&
        (locationText.size() == 1 || locationText[1] != '/')) {
        expected = {from.secure, from.port, from.host, locationText};
        expectedOk = locationText.size() < kUrlObjectCapacity;
    } else if (locationText.compare(0, 8, "https://") == 0) {
        expectedOk = ReferenceAuthoritySplit(locationText.substr(8), true, &expected);
    } else if (locationText.compare(0, 7, "http://") == 0) {
        // A Location's port is a port, unlike in the "/axs:" plain-HTTP rule.
        expectedOk = ReferenceAuthoritySplit(locationText.substr(7), false, &expected);
    }
    expectedOk = expectedOk && (expected.secure || !from.secure);
    PackageLocation to;
    CheckLocation(to, FollowRedirect(from, locationText.c_str(), &to), expectedOk, expected);
}

// What the profile composes, the split gives back.
void CheckProfileUrl(const FuzzFields& f) {
    const bool secure = f.Number(10) % 2 != 0;
    const std::string host = f.Text(1);
    const int32_t port = f.I32(8);
    const uint64_t selector = static_cast<uint64_t>(f.Number(10)) / 2;
    ExactBuffer url(selector % 4 == 0 ? selector / 4 % 600 : 3000);
    bool ok = ComposePackageUrl(secure ? "https" : "http", host.c_str(), port, f.Text(2), f.Text(3),
                                url.get(), url.size());
    if (!ok) {
        FUZZ_CHECK(url.text().empty());
        return;
    }
    FUZZ_CHECK(port == 0 || (secure && port <= 65535));
    PackageLocation location;
    if (!SplitPackageLocation(url.get(), &location)) {
        FUZZ_CHECK(host.size() >= kUrlHostCapacity || url.text().size() >= kUrlObjectCapacity);
        return;
    }
    FUZZ_CHECK(location.secure == secure);
    FUZZ_CHECK(location.port == (port != 0 ? port : secure ? kHttpsPort : kHttpPort));
    FUZZ_CHECK(location.host == host);
    // The path format with its first "%s" replaced by the archive name, nothing else read.
    const std::string format = f.Text(2);
    size_t directive = format.find("%s");
    std::string object = directive == std::string::npos
                             ? format
                             : format.substr(0, directive) + f.Text(3) + format.substr(directive + 2);
    FUZZ_CHECK(object[0] == '/' && location.object == object);
}

bool ReadDigits(const std::string& text, size_t* pos, uint64_t* value) {
    size_t end = text.find_first_not_of("0123456789", *pos);
    if (end == std::string::npos) end = text.size();
    if (end == *pos) return false;
    size_t significant = text.find_first_not_of('0', *pos);
    if (significant > end) significant = end;
    if (end - significant > 20) return false;  // past 2^63 whatever the digits
    unsigned __int128 v = 0;
    for (size_t i = significant; i < end; ++i) v = v * 10 + static_cast<unsigned>(text[i] - '0');
    if (v >= (static_cast<unsigned __int128>(1) << 63)) return false;
    *value = static_cast<uint64_t>(v);
    *pos = end;
    return true;
}

bool ReferenceRange(const std::string& text, ContentRange* range) {
    if (text.size() < 6 || strncasecmp(text.c_str(), "bytes ", 6) != 0) return false;
    size_t pos = 6;
    bool ok = ReadDigits(text, &pos, &range->first) && pos < text.size() && text[pos++] == '-' &&
              ReadDigits(text, &pos, &range->last) && pos < text.size() && text[pos++] == '/' &&
              ReadDigits(text, &pos, &range->total) && pos == text.size();
    return ok && range->first <= range->last && range->last < range->total;
}

void CheckContentRange(const std::string& text) {
    ContentRange expected = {0, 0, 0};
    ContentRange got = {7, 7, 7};
    bool ok = ParseContentRange(text.c_str(), &got);
    FUZZ_CHECK(ok == ReferenceRange(text, &expected));
    if (!ok) {
        FUZZ_CHECK(got.first == 7 && got.last == 7 && got.total == 7);
        return;
    }
    FUZZ_CHECK(got.first == expected.first && got.last == expected.last);
    FUZZ_CHECK(got.total == expected.total);
}

void CheckRangeHeader(uint64_t from, int64_t selector) {
    std::string expected = "Range: bytes=" + std::to_string(from) + "-\r\n";
    ExactBuffer out(CapacityNear(expected.size(), selector, kRangeHeaderCapacity));
    CheckComposed(ComposeRangeHeader(from, out.get(), out.size()), out, expected);
}

// ".sig" lands at the end of the path, the query and fragment kept as they were.
void CheckSignatureObject(const std::string& object, int64_t selector) {
    size_t path = object.find_first_of("?#");
    if (path == std::string::npos) path = object.size();
    std::string expected = object.substr(0, path) + ".sig" + object.substr(path);
    ExactBuffer out(CapacityNear(expected.size(), selector, kUrlObjectCapacity));
    CheckComposed(ComposeSignatureObject(object.c_str(), out.get(), out.size()), out, expected);
}

// Validators: nothing usable never matches; a match means every validator the
// first response sent came back unchanged.
void CheckSamePackage(const Validators& first, const Validators& later) {
    std::string etag = first.etag;
    std::string date = first.lastModified;
    bool usable = (!etag.empty() && etag.compare(0, 2, "W/") != 0) || !date.empty();
    FUZZ_CHECK(SamePackage(first, first) == usable);
    if (!SamePackage(first, later)) return;
    FUZZ_CHECK(usable);
    FUZZ_CHECK(etag.empty() || etag == later.etag);
    FUZZ_CHECK(date.empty() || date == later.lastModified);
}

void CheckVerdict(const FuzzFields& f, const Validators& first, const Validators& later) {
    ResumePoint point = {static_cast<uint64_t>(f.Number(6)), f.I32(7), first};
    RangedResponse response = {f.U32(5), f.TextOrNull(0), f.TextOrNull(9), f.TextOrNull(2), later};
    int32_t length = -1;
    ResumeVerdict verdict = JudgeRangedResponse(point, response, &length);

    bool whole = response.status == 200 &&
                 ValidateResponse(200, response.contentLength, response.rawHeaders, nullptr) ==
                     ResponseCheck::kOk;
    FUZZ_CHECK((verdict == ResumeVerdict::kStoreWhole) == whole);
    if (response.status != 200 && response.status != 206)
        FUZZ_CHECK(verdict == ResumeVerdict::kFail);
    if (response.status == 206)
        FUZZ_CHECK(verdict == ResumeVerdict::kAppend || verdict == ResumeVerdict::kRestart);
    FUZZ_CHECK(JudgeRangedResponse(point, response, nullptr) == verdict);
    if (verdict != ResumeVerdict::kAppend) {
        FUZZ_CHECK(length == (whole ? ParseContentLength(response.contentLength) : 0));
        return;
    }
    ContentRange range;
    FUZZ_CHECK(ParseContentRange(response.contentRange, &range));
    FUZZ_CHECK(range.first == point.onDisk && range.last + 1 == range.total);
    FUZZ_CHECK(range.total == static_cast<uint64_t>(point.firstLength));
    FUZZ_CHECK(length == point.firstLength);
    FUZZ_CHECK(SamePackage(first, later));
}

// However the transfer goes, it is taken up again at most as often as the
// profile allows and never more than three times, and each pause is longer
// than the one before.
void CheckRetries(uint64_t onDisk, int32_t length, int allowed) {
    uint32_t lastPause = 0;
    int retries = 0;
    while (ShouldRetry(onDisk, length, retries, allowed)) {
        uint32_t pause = RetryPauseMs(retries);
        FUZZ_CHECK(pause > lastPause && pause <= 2000);
        lastPause = pause;
        ++retries;
        FUZZ_CHECK(retries <= kMaxResumeRetries && retries <= allowed);
    }
    bool cut = length > 0 && onDisk < static_cast<uint64_t>(length);
    int most = allowed < 0 ? 0 : (allowed < kMaxResumeRetries ? allowed : kMaxResumeRetries);
    FUZZ_CHECK(retries == (cut && onDisk > 0 ? most : 0));
    FUZZ_CHECK(ShouldRetry(0, length, 1, allowed) == (length > 0 && allowed > 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFields f(data, size);
    const std::string first = f.Text(0);
    CheckSplit(first);
    CheckSplit("https://" + first);
    CheckRedirect(first, f.Text(1));
    CheckRedirect(first, "https://origin:8443/p");
    CheckRedirect(first, "http://origin/p");
    CheckProfileUrl(f);

    CheckContentRange(first);
    CheckRangeHeader(static_cast<uint64_t>(f.Number(6)), f.Number(10));
    CheckSignatureObject(first, f.Number(10));
    Validators firstValidators = {f.Text(1), f.Text(2)};
    Validators laterValidators = {f.Text(3), f.Text(4)};
    CheckSamePackage(firstValidators, laterValidators);
    CheckSamePackage(firstValidators, firstValidators);
    CheckVerdict(f, firstValidators, laterValidators);
    CheckVerdict(f, firstValidators, firstValidators);
    CheckRetries(static_cast<uint64_t>(f.Number(6)), f.I32(7),
                 static_cast<int>(f.Number(10) % 6) - 1);
    return 0;
}
