// Download rules: the setup program's name check, where the package comes
// from, whether a response is accepted, and the percentage shown while the body
// arrives. Pure text and arithmetic; the worker glue does the HTTP and file calls.
//
// Texts are NUL-terminated code page 949 bytes. A composer that returns false
// leaves its outputs empty (when their capacity is > 0): never a cut text.
#pragma once

#include <cstddef>
#include <cstdint>

// True when |modulePath| (the setup program's full path) has a "_" and a ".",
// and its last "_" stands before its last "." (folder names count too).
bool SetupNameRuleHolds(const char* modulePath);

// Splits a package URL given with "/axs:". If the text contains "http://"
// anywhere (case-sensitive), its first 7 bytes are dropped, wherever the match
// was. |host| gets the text before the first "/", |object| the rest with that
// "/"; without a "/" the host is empty and the object is the whole text.
// False when either part does not fit its capacity.
bool SplitPackageUrl(const char* url, char* host, size_t hostCap, char* object, size_t objectCap);

// The request path on the profile's own server: |pathFormat| (for example
// "/update/%s") with its first "%s" replaced by |archiveName|. No other
// directive is interpreted.
bool ComposeDefaultObject(const char* pathFormat, const char* archiveName, char* out, size_t cap);

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
