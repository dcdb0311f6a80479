#include "download/download_rules.h"

#include <cstring>

#include "fw/bounded_text.h"

namespace {

const char kHttpScheme[] = "http://";
const size_t kHttpSchemeLength = sizeof(kHttpScheme) - 1;

// The characters isspace accepts in the "C" locale, so the result does not
// depend on the process's locale.
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool SetupNameRuleHolds(const char* modulePath) {
    const char* underscore = strrchr(modulePath, '_');
    const char* dot = strrchr(modulePath, '.');
    return underscore && dot && underscore < dot;
}

bool SplitPackageUrl(const char* url, char* host, size_t hostCap, char* object, size_t objectCap) {
    const char* rest = url;
    // The 7 bytes go from the start even when the match is elsewhere: existing
    // "/axs:" callers rely on exactly this rule.
    if (strstr(rest, kHttpScheme)) rest += kHttpSchemeLength;

    const char* slash = strchr(rest, '/');
    size_t hostLength = slash ? static_cast<size_t>(slash - rest) : 0;
    const char* objectStart = slash ? slash : rest;

    bool fits = BoundedText(host, hostCap).Add(rest, hostLength).Fits() &&
                BoundedText(object, objectCap).Add(objectStart).Fits();
    if (!fits) {
        if (hostCap > 0) host[0] = '\0';
        if (objectCap > 0) object[0] = '\0';
    }
    return fits;
}

bool ComposeDefaultObject(const char* pathFormat, const char* archiveName, char* out, size_t cap) {
    const char* directive = strstr(pathFormat, "%s");
    BoundedText text(out, cap);
    if (!directive) return text.Add(pathFormat).Fits();
    size_t before = static_cast<size_t>(directive - pathFormat);
    return text.Add(pathFormat, before).Add(archiveName).Add(directive + 2).Fits();
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
