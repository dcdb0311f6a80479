#include "download/download_rules.h"

#include <cstring>

#include "fw/bounded_text.h"

namespace {

// The characters isspace accepts in the "C" locale, so the result does not
// depend on the process's locale.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Every number of a Content-Range stays below 2^63.
const uint64_t kRangeNumberLimit = 0x7fffffffffffffffull;
const uint32_t kFirstRetryPauseMs = 500;

bool Present(const char* text) { return text && text[0]; }

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

}  // namespace

bool SetupNameRuleHolds(const char* modulePath) {
    const char* underscore = strrchr(modulePath, '_');
    const char* dot = strrchr(modulePath, '.');
    return underscore && dot && underscore < dot;
}

int32_t ParseContentLength(const char* text) {
    if (!text) return 0;
    while (IsCSpace(*text)) ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;

    // Accumulate the magnitude and stop growing it once past the 32-bit range.
    const int64_t limit = static_cast<int64_t>(INT32_MAX) + 1;
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        if (magnitude < limit) magnitude = magnitude * 10 + (*text - '0');
    }
    if (negative) return magnitude >= limit ? INT32_MIN : static_cast<int32_t>(-magnitude);
    return magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

ResponseCheck ValidateResponse(uint32_t status, const char* contentLengthText,
                               const char* rawHeaders, int32_t* lengthOut) {
    if (lengthOut) *lengthOut = 0;
    if (status != 200) return ResponseCheck::kBadStatus;

    int32_t length = ParseContentLength(contentLengthText);
    if (lengthOut) *lengthOut = length;
    if (length < 1 || length == INT32_MAX) return ResponseCheck::kBadLength;

    if (!rawHeaders || !strstr(rawHeaders, "application/")) return ResponseCheck::kNotApplication;
    return ResponseCheck::kOk;
}

int32_t DownloadPercent(uint32_t received, int32_t length) {
    if (length < 1) return 0;
    uint64_t percent = static_cast<uint64_t>(received) * 100 / static_cast<uint64_t>(length);
    return percent > INT32_MAX ? INT32_MAX : static_cast<int32_t>(percent);
}

BodyCheck CheckBodyComplete(uint64_t received, int32_t announced) {
    if (announced < 0 || received > static_cast<uint64_t>(announced)) return BodyCheck::kLong;
    if (received < static_cast<uint64_t>(announced)) return BodyCheck::kShort;
    return BodyCheck::kComplete;
}

ReadOutcome AfterBodyRead(uint32_t count, uint64_t received, int32_t announced) {
    BodyCheck body = CheckBodyComplete(received, announced);
    if (body == BodyCheck::kLong) return ReadOutcome::kFailed;
    if (count > 0) return ReadOutcome::kMore;
    return body == BodyCheck::kComplete ? ReadOutcome::kComplete : ReadOutcome::kFailed;
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
