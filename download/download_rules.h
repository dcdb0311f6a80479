// Download rules: the setup program's name check, whether a response is accepted, the
// percentage shown while the body arrives, and how a download cut short is taken up again with
// a ranged request. Pure text and arithmetic; the worker glue does the HTTP and file calls.
// Where the package comes from is download/url_rules.h.
//
// Texts are NUL-terminated code page 949 bytes. A composer that returns false
// leaves its outputs empty (when their capacity is > 0): never a cut text.
#pragma once

#include <cstddef>
#include <cstdint>

// True when |modulePath| (the setup program's full path) has a "_" and a ".",
// and its last "_" stands before its last "." (folder names count too).
bool SetupNameRuleHolds(const char* modulePath);

// The C runtime's atol on a Content-Length text: leading white space, an
// optional sign, decimal digits up to the first other byte; no digits gives 0;
// null is read as "". Written here so every runtime reads it alike. A value
// beyond the signed 32-bit range saturates at INT32_MAX or INT32_MIN, as
// strtol does, instead of wrapping into an unrelated small or negative number.
int32_t ParseContentLength(const char* text);

enum class ResponseCheck {
    kOk = 0,
    kBadStatus = 1,       // status other than 200
    kBadLength = 2,       // Content-Length below 1, or INT32_MAX and beyond
    kNotApplication = 3,  // no "application/" anywhere in the raw headers
};

// Decides, before any file is made, whether a response is downloaded; the
// checks run in the order of the enum. |lengthOut| (may be null) receives the
// parsed Content-Length, or 0 when the status already failed. A saturated
// length (INT32_MAX) is refused: it cannot be told from an overflow, and the
// run's 32-bit byte counters could not follow such a package anyway.
ResponseCheck ValidateResponse(uint32_t status, const char* contentLengthText,
                               const char* rawHeaders, int32_t* lengthOut);

// Whole per cent of the body received: received x 100 / length, rounded down,
// in 64 bits. 0 when |length| < 1; saturates at INT32_MAX (a body far longer
// than announced).
int32_t DownloadPercent(uint32_t received, int32_t length);

enum class BodyCheck {
    kComplete = 0,  // exactly the announced bytes
    kShort = 1,     // the body ended early: a failed download
    kLong = 2,      // more bytes than announced: a failed download
};

// Compares the bytes received with Content-Length. After every block, kLong
// means stop at once (kShort only means more is to come); after the final read
// (the one that returns 0 bytes) only kComplete is a successful download.
BodyCheck CheckBodyComplete(uint64_t received, int32_t announced);

enum class ReadOutcome {
    kMore = 0,      // read again
    kComplete = 1,  // the body has ended with exactly the announced bytes
    kFailed = 2,    // the body ended short, or went past the announced length
};

// What a read of |count| bytes means, |received| counting it. Only a read of
// 0 bytes ends the body: WinInet may return fewer bytes than asked in the
// middle of a response. A body past |announced| fails at once.
ReadOutcome AfterBodyRead(uint32_t count, uint64_t received, int32_t announced);

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
