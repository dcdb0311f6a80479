// Fuzz target: the download's response rules. Fields (cut at "|"):
//   0 setup path or Content-Length text   1 Content-Length text (absent: null)
//   2 raw headers (absent: null)   3 status   4 bytes received   5 more bytes
//   received   6 announced length   7, 8 capacity selectors   9 a percentage
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-download && build/fuzz/download_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-download tests/fuzz/corpus/download
#include <string>

#include "download/download_rules.h"
#include "fw/bounded_text.h"
#include "fuzz_support.h"

namespace {

void CheckSetupName(const std::string& path) {
    size_t underscore = path.rfind('_');
    size_t dot = path.rfind('.');
    bool holds = underscore != std::string::npos && dot != std::string::npos && underscore < dot;
    FUZZ_CHECK(SetupNameRuleHolds(path.c_str()) == holds);
}

// The C library's own reading (strtoll, "C" locale), held to the 32-bit range.
int32_t ReferenceContentLength(const char* text) {
    long long value = text ? strtoll(text, nullptr, 10) : 0;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

void CheckResponse(uint32_t status, const char* lengthText, const char* headers) {
    int32_t parsed = ParseContentLength(lengthText);
    FUZZ_CHECK(parsed == ReferenceContentLength(lengthText));

    ResponseCheck expected = ResponseCheck::kOk;
    int32_t expectedLength = 0;
    if (status != 200) {
        expected = ResponseCheck::kBadStatus;
    } else {
        expectedLength = parsed;
        if (parsed < 1 || parsed == INT32_MAX) {
            expected = ResponseCheck::kBadLength;
        } else if (!headers || !strstr(headers, "application/")) {
            expected = ResponseCheck::kNotApplication;
        }
    }
    int32_t length = -12345;
    FUZZ_CHECK(ValidateResponse(status, lengthText, headers, &length) == expected);
    FUZZ_CHECK(length == expectedLength);
    FUZZ_CHECK(ValidateResponse(status, lengthText, headers, nullptr) == expected);
}

// The percentage text: "%3d%%" always fits its buffer and reads back.
void CheckFormatPercent(int percent, int64_t selector) {
    ExactBuffer text(kPercentTextCapacity);
    FUZZ_CHECK(FormatPercent(percent, text.get(), text.size()));
    std::string shown = text.text();
    FUZZ_CHECK(shown.size() >= 4 && shown.back() == '%');
    FUZZ_CHECK(strtol(shown.c_str(), nullptr, 10) == percent);

    ExactBuffer small(CapacityNear(shown.size(), selector, kPercentTextCapacity));
    CheckComposed(FormatPercent(percent, small.get(), small.size()), small, shown);
}

int32_t ReferencePercent(uint32_t received, int32_t length) {
    if (length < 1) return 0;
    unsigned __int128 percent = static_cast<unsigned __int128>(received) * 100 / length;
    return percent > INT32_MAX ? INT32_MAX : static_cast<int32_t>(percent);
}

void CheckPercent(uint32_t a, uint32_t b, int32_t length) {
    uint32_t low = a < b ? a : b;
    uint32_t high = a < b ? b : a;
    int32_t lowPercent = DownloadPercent(low, length);
    int32_t highPercent = DownloadPercent(high, length);
    FUZZ_CHECK(lowPercent == ReferencePercent(low, length));
    FUZZ_CHECK(highPercent == ReferencePercent(high, length));
    FUZZ_CHECK(lowPercent <= highPercent);  // never goes back as the body grows
    if (length >= 1) {
        FUZZ_CHECK(DownloadPercent(static_cast<uint32_t>(length), length) == 100);
        FUZZ_CHECK((high < static_cast<uint32_t>(length)) == (highPercent < 100));
    }
}

void CheckBody(uint64_t received, int32_t announced) {
    BodyCheck expected = BodyCheck::kComplete;
    if (static_cast<__int128>(received) > announced) expected = BodyCheck::kLong;
    if (static_cast<__int128>(received) < announced) expected = BodyCheck::kShort;
    FUZZ_CHECK(CheckBodyComplete(received, announced) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFields f(data, size);
    const std::string first = f.Text(0);
    CheckSetupName(first);

    CheckResponse(f.U32(3), f.TextOrNull(1), f.TextOrNull(2));
    CheckResponse(200, f.TextOrNull(1), f.TextOrNull(2));
    CheckResponse(200, f.Text(0), f.Text(2));

    int32_t length = f.I32(6);
    CheckPercent(f.U32(4), f.U32(5), length);
    CheckPercent(f.U32(4), f.U32(5), ParseContentLength(f.Text(1)));
    CheckFormatPercent(f.I32(9), f.Number(8));
    CheckFormatPercent(DownloadPercent(f.U32(4), length), f.Number(7));
    CheckBody(static_cast<uint64_t>(f.Number(4)), length);
    CheckBody(f.U32(4), ParseContentLength(f.Text(1)));
    return 0;
}
