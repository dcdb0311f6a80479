#include "download/transport_rules.h"

#include <cstring>

#include "download/download_rules.h"
#include "fw/bounded_text.h"

namespace {

const char kHttpsScheme[] = "https://";
const size_t kHttpsSchemeLength = sizeof(kHttpsScheme) - 1;
const char kHttpScheme[] = "http://";
const size_t kHttpSchemeLength = sizeof(kHttpScheme) - 1;
// Every number of a Content-Range stays below 2^63.
const uint64_t kRangeNumberLimit = 0x7fffffffffffffffull;
const uint32_t kFirstRetryPauseMs = 500;

bool StartsWith(const char* text, const char* prefix, size_t prefixLength) {
    return strncmp(text, prefix, prefixLength) == 0;
}

bool Present(const char* text) { return text && text[0]; }

void ClearLocation(PackageLocation* location) {
    location->secure = false;
    location->port = kHttpPort;
    location->host[0] = '\0';
    location->object[0] = '\0';
}

// The ":" that names a port in the |length| bytes of |host|: the last one,
// after the closing "]" of a bracketed address. |length| when there is none.
size_t PortColon(const char* host, size_t length) {
    size_t start = 0;
    if (length > 0 && host[0] == '[') {
        const void* close = memchr(host, ']', length);
        start = close ? static_cast<size_t>(static_cast<const char*>(close) - host) : length;
    }
    for (size_t i = length; i > start; --i) {
        if (host[i - 1] == ':') return i - 1;
    }
    return length;
}

// 1 to 5 decimal digits naming a port, 1..65535.
bool ParsePort(const char* text, size_t length, uint16_t* port) {
    if (length < 1 || length > 5) return false;
    uint32_t value = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    if (value < 1 || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
    return true;
}

// The part of a URL after its scheme: host[:port] up to the first "/", then the
// object; |secure| names the scheme and its default port.
bool SplitAuthority(const char* rest, bool secure, PackageLocation* out) {
    const char* slash = strchr(rest, '/');
    if (!slash) return false;
    size_t authority = static_cast<size_t>(slash - rest);
    size_t colon = PortColon(rest, authority);
    uint16_t port = secure ? kHttpsPort : kHttpPort;
    if (colon < authority && !ParsePort(rest + colon + 1, authority - colon - 1, &port))
        return false;
    if (colon == 0) return false;  // no host
    out->secure = secure;
    out->port = port;
    return BoundedText(out->host, sizeof out->host).Add(rest, colon).Fits() &&
           BoundedText(out->object, sizeof out->object).Add(slash).Fits();
}

// Reads decimal digits at |*text| (at least one) and moves past them. False
// when there are none or the number reaches 2^63.
bool ReadNumber(const char** text, uint64_t* value) {
    const char* p = *text;
    if (*p < '0' || *p > '9') return false;
    uint64_t v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        uint64_t digit = static_cast<uint64_t>(*p - '0');
        if (v > (kRangeNumberLimit - digit) / 10) return false;
        v = v * 10 + digit;
    }
    *text = p;
    *value = v;
    return true;
}

// Moves past |c| at |*text|; false when another byte stands there.
bool Expect(const char** text, char c) {
    if (**text != c) return false;
    ++*text;
    return true;
}

// "bytes" in any case, as range units are named without regard to case.
bool ReadBytesUnit(const char** text) {
    const char kUnit[] = "bytes";
    for (size_t i = 0; i + 1 < sizeof kUnit; ++i) {
        char c = (*text)[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kUnit[i]) return false;
    }
    *text += sizeof kUnit - 1;
    return true;
}

bool SameText(const char* a, const char* b) { return strcmp(a ? a : "", b ? b : "") == 0; }

// "W/" marks a weak ETag, which may stay the same across changed bytes.
bool IsWeakETag(const char* etag) { return etag[0] == 'W' && etag[1] == '/'; }

// Whether a 206 carries exactly the bytes from |point.onDisk| to the end of a
// package of the first response's length.
bool RangeContinues(const ResumePoint& point, const RangedResponse& response) {
    ContentRange range;
    if (point.firstLength < 1 || !ParseContentRange(response.contentRange, &range)) return false;
    uint64_t total = static_cast<uint64_t>(point.firstLength);
    int64_t announced = ParseContentLength(response.contentLength);
    return range.first == point.onDisk && range.total == total && range.last + 1 == total &&
           announced == static_cast<int64_t>(range.last - range.first + 1);
}

// A scheme, host and port that ComposePackageUrl writes so that
// SplitPackageLocation gives them back.
bool ProfileServerValid(const char* scheme, const char* host, int32_t port) {
    bool secure = strcmp(scheme, "https") == 0;
    if (!secure && strcmp(scheme, "http") != 0) return false;
    size_t hostLength = strlen(host);
    if (hostLength == 0 || strchr(host, '/')) return false;
    if (!secure) return port == 0;
    // An unclosed "[" would take the port's ":" into the address.
    bool unclosed = host[0] == '[' && !strchr(host, ']');
    return port >= 0 && port <= 65535 && !unclosed && PortColon(host, hostLength) == hostLength;
}

}  // namespace

bool SplitPackageLocation(const char* url, PackageLocation* out) {
    ClearLocation(out);
    bool ok =
        StartsWith(url, kHttpsScheme, kHttpsSchemeLength)
            ? SplitAuthority(url + kHttpsSchemeLength, true, out)
            : SplitPackageUrl(url, out->host, sizeof out->host, out->object, sizeof out->object);
    if (!ok) ClearLocation(out);
    return ok;
}

bool ComposePackageUrl(const char* scheme, const char* host, int32_t port, const char* pathFormat,
                       const char* archiveName, char* out, size_t cap) {
    char object[kUrlObjectCapacity];
    bool ok = ProfileServerValid(scheme, host, port) &&
              ComposeDefaultObject(pathFormat, archiveName, object, sizeof object) &&
              object[0] == '/';
    if (!ok) {
        if (cap > 0) out[0] = '\0';
        return false;
    }
    BoundedText text(out, cap);
    text.Add(scheme).Add("://").Add(host);
    if (port != 0) text.Add(":").AddNumber(port, 0);
    return text.Add(object).Fits();
}

bool RedirectAllowed(bool fromSecure, bool toSecure) { return toSecure || !fromSecure; }

bool IsRedirectStatus(uint32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool FollowRedirect(const PackageLocation& from, const char* location, PackageLocation* to) {
    bool ok = false;
    if (location[0] == '/' && location[1] != '/') {
        *to = from;
        ok = BoundedText(to->object, sizeof to->object).Add(location).Fits();
    } else if (StartsWith(location, kHttpsScheme, kHttpsSchemeLength)) {
        ok = SplitAuthority(location + kHttpsSchemeLength, true, to);
    } else if (StartsWith(location, kHttpScheme, kHttpSchemeLength)) {
        // A server's Location is a URL as servers write it: its port is a port, unlike in
        // the "/axs:" option's plain-HTTP rule.
        ok = SplitAuthority(location + kHttpSchemeLength, false, to);
    }
    ok = ok && RedirectAllowed(from.secure, to->secure);
    if (!ok) ClearLocation(to);
    return ok;
}

bool ComposeSignatureObject(const char* packageObject, char* out, size_t cap) {
    size_t path = strcspn(packageObject, "?#");
    return BoundedText(out, cap).Add(packageObject, path).Add(".sig").Add(packageObject + path).Fits();
}

bool ParseContentRange(const char* text, ContentRange* out) {
    if (!text) return false;
    ContentRange range;
    bool ok = ReadBytesUnit(&text) && Expect(&text, ' ') && ReadNumber(&text, &range.first) &&
              Expect(&text, '-') && ReadNumber(&text, &range.last) && Expect(&text, '/') &&
              ReadNumber(&text, &range.total) && *text == '\0';
    if (!ok || range.first > range.last || range.last >= range.total) return false;
    *out = range;
    return true;
}

bool ComposeRangeHeader(uint64_t from, char* out, size_t cap) {
    char digits[24];
    size_t start = sizeof digits - 1;
    digits[start] = '\0';
    do {
        digits[--start] = static_cast<char>('0' + from % 10);
        from /= 10;
    } while (from > 0);
    return BoundedText(out, cap).Add("Range: bytes=").Add(digits + start).Add("-\r\n").Fits();
}

bool SamePackage(const Validators& first, const Validators& later) {
    bool usable = (Present(first.etag) && !IsWeakETag(first.etag)) || Present(first.lastModified);
    bool sameETag = !Present(first.etag) || SameText(first.etag, later.etag);
    bool sameDate =
        !Present(first.lastModified) || SameText(first.lastModified, later.lastModified);
    return usable && sameETag && sameDate;
}

ResumeVerdict JudgeRangedResponse(const ResumePoint& point, const RangedResponse& response,
                                  int32_t* lengthOut) {
    if (lengthOut) *lengthOut = 0;
    if (response.status == 200) {
        int32_t length = 0;
        if (ValidateResponse(200, response.contentLength, response.rawHeaders, &length) !=
            ResponseCheck::kOk)
            return ResumeVerdict::kFail;
        if (lengthOut) *lengthOut = length;
        return ResumeVerdict::kStoreWhole;
    }
    if (response.status != 206) return ResumeVerdict::kFail;
    if (!RangeContinues(point, response)) return ResumeVerdict::kRestart;
    if (!SamePackage(point.firstValidators, response.validators))
        return ResumeVerdict::kRestart;
    if (lengthOut) *lengthOut = point.firstLength;
    return ResumeVerdict::kAppend;
}

bool ShouldRetry(uint64_t onDisk, int32_t length, int retriesMade, int retriesAllowed) {
    if (retriesMade < 0 || retriesMade >= kMaxResumeRetries || retriesMade >= retriesAllowed)
        return false;
    if (length < 1 || onDisk >= static_cast<uint64_t>(length)) return false;  // not cut short
    return onDisk > 0 || retriesMade > 0;
}

uint32_t RetryPauseMs(int retriesMade) {
    if (retriesMade < 0 || retriesMade >= kMaxResumeRetries) return 0;
    return kFirstRetryPauseMs << retriesMade;
}
