// Transport rules of the download: where a package URL points (scheme, host,
// port, object), which redirects may be followed, and how a download cut
// short is taken up again with a ranged request. Pure text and arithmetic;
// the worker glue does the HTTP calls and keeps the texts it hands in here.
//
// Texts are NUL-terminated code page 949 bytes. A composer that returns false
// leaves its output empty (when its capacity is > 0): never a cut text.
#pragma once

#include <cstddef>
#include <cstdint>

// Capacities of a URL's two parts, the NUL included: WinInet takes host names
// up to INTERNET_MAX_HOST_NAME_LENGTH (256) bytes and URLs up to
// INTERNET_MAX_URL_LENGTH (2084); a longer part could not be requested.
const size_t kUrlHostCapacity = 256 + 1;
const size_t kUrlObjectCapacity = 2084 + 1;

const uint16_t kHttpPort = 80;
const uint16_t kHttpsPort = 443;

// Where a package is fetched from.
struct PackageLocation {
    bool secure;                      // https: TLS, certificates checked in full
    uint16_t port;                    // 80 for plain HTTP; for https 443 or the URL's own
    char host[kUrlHostCapacity];      // handed whole to the connection step
    char object[kUrlObjectCapacity];  // the request path
};

// Splits a package URL into a location.
// - Starting with "https://" (lower case, as "http://" is matched): secure.
//   The host runs to the first "/" after the scheme; a ":" and 1 to 5 digits
//   at its end (after a closing "]" for a bracketed address) name the port,
//   1..65535, else 443. The object is the rest, from that "/" on. Refused:
//   no "/" after the host, an empty host, a port that is empty, not digits or
//   out of range.
// - Anything else: SplitPackageUrl's rule exactly, port 80 (a ":port" stays
//   part of the host, as it always has for plain HTTP).
// False, with host and object empty, when the URL is refused or a part does
// not fit its buffer.
bool SplitPackageLocation(const char* url, PackageLocation* out);

// The profile's package source written as a URL, so that it goes through the
// same split as a "/axs:" URL: "<scheme>://<host>[:<port>]" followed by
// |pathFormat| with |archiveName| (ComposeDefaultObject's rule). |scheme| is
// "http" or "https". |port| 0 is the scheme's default and the only port plain
// HTTP takes (its split leaves a port in the host, where the connection would
// not find it). Refused: another scheme, a port outside 0..65535 or given for
// http, an empty host, a host with a "/", an https host with a ":" of its own
// (outside brackets) or an unclosed "[", a path that does not start with "/",
// too small a buffer.
bool ComposePackageUrl(const char* scheme, const char* host, int32_t port, const char* pathFormat,
                       const char* archiveName, char* out, size_t cap);

// Whether a redirect is followed: from plain HTTP to either scheme, from
// https only to https. The package never leaves TLS once it is in it.
bool RedirectAllowed(bool fromSecure, bool toSecure);

// Statuses whose Location is followed with another GET: 301, 302, 303, 307
// and 308.
bool IsRedirectStatus(uint32_t status);

// Redirects followed in a row before the download fails.
const int kMaxRedirects = 5;

// Where a redirect's |location| (the Location header's value) leads from
// |from|: an absolute "https://" or "http://" URL, host and ":port" split as
// in an https URL (the port defaulting to the scheme's), or a path starting
// with a single "/", on the same server. False, with |to|'s texts empty, for anything else (another or an
// upper-case scheme, "//host", a relative path, an empty text) and for a
// redirect RedirectAllowed refuses.
bool FollowRedirect(const PackageLocation& from, const char* location, PackageLocation* to);

// The object of a package's detached signature: ".sig" added to the path of
// |packageObject|, before its query ("/p.zip?t=1" gives "/p.zip.sig?t=1").
// The path ends at the first "?" or "#". Appended after the query, many
// servers would ignore the whole query and answer with the package itself.
// False, and |out| empty, when the result does not fit |cap|.
bool ComposeSignatureObject(const char* packageObject, char* out, size_t cap);

// A Content-Range value: bytes |first| to |last| (both included) of |total|.
struct ContentRange {
    uint64_t first;
    uint64_t last;
    uint64_t total;
};

// Reads "bytes N-M/L" strictly: the unit "bytes" (in any case, as units are
// named), one blank, then decimal digits, "-", digits, "/", digits, and
// nothing else: no blanks, signs, "*" or second range. first <= last < total,
// every number below 2^63. False, and |out| untouched, otherwise.
bool ParseContentRange(const char* text, ContentRange* out);

// Bytes of a Range header buffer; any 64-bit start fits.
const size_t kRangeHeaderCapacity = 48;

// The extra request header that asks for the package from byte |from| on:
// "Range: bytes=<from>-" and CR LF, as HttpSendRequestA's headers take it.
bool ComposeRangeHeader(uint64_t from, char* out, size_t cap);

// The validators of a response, as the server sent them: the ETag (quotes
// and a "W/" included) and the Last-Modified text; null or "" when absent.
struct Validators {
    const char* etag;
    const char* lastModified;
};

// Whether a ranged response is a piece of the package the first response
// began: every validator the first carried comes back byte for byte, and the
// first carried at least one that can tell two packages apart (a strong ETag
// or a Last-Modified). A weak ETag ("W/...") must match too but proves
// nothing by itself. Without any usable validator the answer is no: a package
// that cannot be told from a changed one is never stitched.
bool SamePackage(const Validators& first, const Validators& later);

// What the run knows when it asks for the rest of the package.
struct ResumePoint {
    uint64_t onDisk;             // bytes kept in the archive; the Range starts here
    int32_t firstLength;         // the first response's Content-Length
    Validators firstValidators;  // the first response's validators
};

// The response to a ranged request, as the glue reads it.
struct RangedResponse {
    uint32_t status;
    const char* contentRange;   // null or "" when absent
    const char* contentLength;  // null or "" when absent
    const char* rawHeaders;     // status line and headers, for the checks of a 200
    Validators validators;
};

enum class ResumeVerdict {
    kAppend = 0,      // 206 with the rest of the same package: append its body
    kStoreWhole = 1,  // 200 that passes ValidateResponse: empty the archive, store this body
    kRestart = 2,     // a 206 that cannot be stitched: empty the archive, ask again, no Range
    kFail = 3,        // 416, any other status, or a 200 that ValidateResponse refuses
};

// Judges the response to "Range: bytes=<point.onDisk>-". A 206 is appended
// only when its Content-Range starts at onDisk, runs to the end and has the
// first length as its total, its Content-Length is the size of that range,
// and SamePackage holds. A signature does not spare the validators: pieces of
// two packages would only fail it after the whole download. A 200 is
// never appended: it is a new whole package, checked as a first response.
// |lengthOut| (may be null) receives the length the finished archive must
// have: the first length for kAppend, the 200's Content-Length for
// kStoreWhole, 0 otherwise.
ResumeVerdict JudgeRangedResponse(const ResumePoint& point, const RangedResponse& response,
                                  int32_t* lengthOut);

// The most retries after a cut a profile may ask for, and the pause before
// each: 500, 1000, 2000 ms.
const int kMaxResumeRetries = 3;

// Whether a transfer that stopped early (the body ended before its length, a
// read or the request failed) is tried again, |onDisk| of |length| bytes
// stored and |retriesMade| of the profile's |retriesAllowed| retries made so
// far (more than kMaxResumeRetries count as kMaxResumeRetries; 0: a cut ends
// the run). Only a download that brought some bytes is taken up again: a
// first request that brought none failed for a reason a retry does not mend.
// Once retrying, a retry that itself brings nothing still counts, and the
// next one follows while any are left.
bool ShouldRetry(uint64_t onDisk, int32_t length, int retriesMade, int retriesAllowed);

// The pause before retry number |retriesMade| + 1, in milliseconds; it
// doubles each time from 500. 0 once no retry is left.
uint32_t RetryPauseMs(int retriesMade);
