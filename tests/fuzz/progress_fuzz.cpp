// Fuzz target: the progress arithmetic and the reporter's decisions. Fields
// (cut at "|"): 0-2 a, b and c of MulDivRounded; then one operation each on
// one reporter: "Z" new run, "D<n>" data bytes, "T<n>" an entry's size,
// "B<n> <name>" a file of n bytes begins, "R<n>" a report after n bytes.
//
// Longer run, from the repository root after the fuzz build:
//   mkdir -p /tmp/corpus-progress && build/fuzz/progress_fuzz -max_len=1024 \
//       -max_total_time=300 /tmp/corpus-progress tests/fuzz/corpus/progress
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "install/progress_rules.h"

namespace {

const char kStatusPrefix[] = "복사 중... ";  // CP949 after the build's conversion

// Nearest integer of a x b / c, halves away from zero, in 128 bits.
int32_t ReferenceMulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    __int128 product = static_cast<__int128>(a) * b;
    __int128 magnitude = product < 0 ? -product : product;
    __int128 divisor = c < 0 ? -static_cast<__int128>(c) : c;
    __int128 rounded = (2 * magnitude + divisor) / (2 * divisor);
    __int128 result = (product < 0) != (c < 0) ? -rounded : rounded;
    return (result < INT32_MIN || result > INT32_MAX) ? -1 : static_cast<int32_t>(result);
}

int32_t Clamp32(__int128 value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Character boundaries of a CP949 text: a lead byte (0x81-0xFE) with a byte
// after it starts a double-byte character.
std::vector<size_t> Boundaries(const std::string& text) {
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        unsigned char lead = static_cast<unsigned char>(text[i]);
        i += (lead >= 0x81 && lead <= 0xFE && i + 1 < text.size()) ? 2 : 1;
    }
    return starts;
}

// |shown| is |text| in a |cap|-byte buffer: whole when it fits, else "..."
// and the longest tail that fits and starts on a character boundary.
void CheckFittedTail(const std::string& shown, const std::string& text, size_t cap) {
    if (text.size() < cap) {
        FUZZ_CHECK(shown == text);
        return;
    }
    FUZZ_CHECK(shown.size() < cap && shown.compare(0, 3, "...") == 0);
    size_t start = text.size() - (shown.size() - 3);
    FUZZ_CHECK(text.compare(start, std::string::npos, shown, 3, std::string::npos) == 0);
    std::vector<size_t> starts = Boundaries(text);
    auto at = std::find(starts.begin(), starts.end(), start);
    FUZZ_CHECK(at != starts.end() && at != starts.begin());
    FUZZ_CHECK(3 + text.size() - *(at - 1) >= cap);  // one character more would not fit
}

// What the reporter should hold, with exact sums; the reporter saturates.
struct Model {
    __int128 before = 0, queued = 0, total = 1;
    int32_t data = 0;
    uint32_t fileSize = 0;
    int64_t lastWritten = 0;
    bool fileBegun = false;
    bool orderly = true;        // the run is as the glue drives it
    int32_t lastShown = 0;      // per-mille last reported in an orderly run
    std::string lastStatus;
};

void CheckCounters(const CopyProgress& state, const Model& model) {
    FUZZ_CHECK(state.bytesBefore == Clamp32(model.before));
    FUZZ_CHECK(state.bytesQueued == Clamp32(model.queued));
    FUZZ_CHECK(state.totalBytes == Clamp32(model.total));
}

void Report(CopyProgress* state, Model* model, int32_t written) {
    int32_t lastPermille = state->lastPermille;
    ProgressWrites out;
    memset(&out, 'Z', sizeof(out));
    ReportCopyProgress(state, written, &out);

    std::string status(out.status, strnlen(out.status, sizeof(out.status)));
    FUZZ_CHECK(status.size() < sizeof(out.status));
    FUZZ_CHECK(status.compare(0, strlen(kStatusPrefix), kStatusPrefix) == 0);
    CheckFittedTail(status.substr(strlen(kStatusPrefix)), state->currentName,
                    kPathCapacity - strlen(kStatusPrefix));
    FUZZ_CHECK(out.writeStatus == (status != model->lastStatus));
    FUZZ_CHECK(status == state->lastStatus);
    model->lastStatus = status;

    int32_t done = Clamp32(static_cast<__int128>(Clamp32(model->before)) + written + 1);
    int32_t scale = Clamp32(static_cast<__int128>(Clamp32(model->total)) + model->data);
    int32_t permille = ReferenceMulDiv(done, 1000, scale);
    FUZZ_CHECK(out.writePercent == (permille == 0 || permille != lastPermille));
    if (out.writePercent) {
        char expected[kPercentTextCapacity];
        snprintf(expected, sizeof(expected), "%3d%%", permille / 10);
        FUZZ_CHECK(strcmp(out.percent, expected) == 0);
        FUZZ_CHECK(state->lastPermille == permille);
    } else {
        FUZZ_CHECK(out.percent[0] == '\0' && state->lastPermille == lastPermille);
    }

    // Driven as the glue drives it, the value never goes back and stays within
    // 0..1000: blocks within the file's size, in order, on a fixed scale that
    // covers every file begun.
    if (!model->fileBegun || written < model->lastWritten || written > static_cast<int64_t>(model->fileSize) ||
        model->total + model->data > INT32_MAX) {
        model->orderly = false;
    }
    model->lastWritten = written;
    if (model->orderly) {
        FUZZ_CHECK(permille >= model->lastShown && permille <= 1000);
        model->lastShown = permille;
    }
}

void Apply(const char* op, CopyProgress* state, Model* model) {
    const int64_t n = strtoll(op + (op[0] ? 1 : 0), nullptr, 10);
    switch (op[0]) {
        case 'Z':
            ResetRunProgress(state);
            model->before = model->queued = 0;
            model->total = 1;
            model->fileBegun = false;
            model->orderly = model->data >= 0;
            model->lastShown = 0;
            break;
        case 'D':
            state->dataBytes = model->data = static_cast<int32_t>(static_cast<uint32_t>(n));
            if (model->fileBegun || model->data < 0) model->orderly = false;
            break;
        case 'T':
            AddToTotalBytes(state, static_cast<uint32_t>(n));
            model->total += static_cast<uint32_t>(n);
            if (model->fileBegun) model->orderly = false;
            break;
        case 'B': {
            const char* blank = strchr(op, ' ');
            const std::string name = blank ? blank + 1 : "";
            uint32_t size = static_cast<uint32_t>(n);
            BeginFile(state, name.c_str(), size);
            CheckFittedTail(std::string(state->currentName), name, kPathCapacity);
            model->before = model->queued;
            model->queued += size;
            model->fileSize = size;
            model->lastWritten = 0;
            model->fileBegun = true;
            if (model->queued > model->total - 1 + model->data) model->orderly = false;
            break;
        }
        case 'R':
            Report(state, model, static_cast<int32_t>(static_cast<uint32_t>(n)));
            break;
        default:
            return;
    }
    CheckCounters(*state, *model);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFields f(data, size);
    const int32_t a = f.I32(0), b = f.I32(1), c = f.I32(2);
    FUZZ_CHECK(MulDivRounded(a, b, c) == ReferenceMulDiv(a, b, c));
    FUZZ_CHECK(MulDivRounded(b, a, c) == MulDivRounded(a, b, c));

    CopyProgress state;
    memset(&state, 0, sizeof(state));
    ResetRunProgress(&state);
    Model model;
    for (size_t i = 3; i < f.Count(); ++i) Apply(f.Text(i), &state, &model);
    return 0;
}
