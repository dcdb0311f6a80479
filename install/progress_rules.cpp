#include "install/progress_rules.h"

#include <cstring>

namespace {

const char kStatusPrefix[] = "복사 중... ";  // CP949 after compilation
const char kEllipsis[] = "...";

int32_t Saturated(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Bytes of the CP949 character starting at |text|: a lead byte (0x81-0xFE)
// with a byte after it is a double-byte character.
size_t CharLength(const char* text) {
    unsigned char lead = static_cast<unsigned char>(text[0]);
    return (lead >= 0x81 && lead <= 0xFE && text[1] != '\0') ? 2 : 1;
}

// Copies |text| into |out|; when it does not fit, "..." and the longest tail
// that fits, starting on a character boundary so no half character is shown.
void CopyFittingTail(char* out, size_t cap, const char* text) {
    size_t length = strlen(text);
    if (length < cap) {
        memcpy(out, text, length + 1);
        return;
    }
    size_t room = cap - sizeof(kEllipsis);  // bytes left for the tail
    size_t start = 0;
    while (length - start > room) start += CharLength(text + start);
    memcpy(out, kEllipsis, sizeof(kEllipsis) - 1);
    memcpy(out + sizeof(kEllipsis) - 1, text + start, length - start + 1);
}

void ComposeStatus(const char* name, char* out) {
    const size_t prefixLength = sizeof(kStatusPrefix) - 1;
    memcpy(out, kStatusPrefix, prefixLength);
    CopyFittingTail(out + prefixLength, kPathCapacity - prefixLength, name);
}

}  // namespace

int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t quotient = product / c;
    int64_t remainder = product % c;
    int64_t absRemainder = remainder < 0 ? -remainder : remainder;
    int64_t absDivisor = c < 0 ? -static_cast<int64_t>(c) : c;
    if (2 * absRemainder >= absDivisor) quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient < INT32_MIN || quotient > INT32_MAX) return -1;
    return static_cast<int32_t>(quotient);
}

void ResetRunProgress(CopyProgress* state) {
    state->bytesBefore = 0;
    state->bytesQueued = 0;
    state->totalBytes = 1;
}

void AddToTotalBytes(CopyProgress* state, uint32_t size) {
    state->totalBytes = Saturated(static_cast<int64_t>(state->totalBytes) + size);
}

void BeginFile(CopyProgress* state, const char* name, uint32_t size) {
    CopyFittingTail(state->currentName, kPathCapacity, name);
    state->bytesBefore = state->bytesQueued;
    state->bytesQueued = Saturated(static_cast<int64_t>(state->bytesQueued) + size);
}

void ReportCopyProgress(CopyProgress* state, int32_t bytesWritten, ProgressWrites* out) {
    ComposeStatus(state->currentName, out->status);
    out->writeStatus = strcmp(out->status, state->lastStatus) != 0;
    memcpy(state->lastStatus, out->status, strlen(out->status) + 1);

    int32_t done = Saturated(static_cast<int64_t>(state->bytesBefore) + bytesWritten + 1);
    int32_t scale = Saturated(static_cast<int64_t>(state->totalBytes) + state->dataBytes);
    int32_t permille = MulDivRounded(done, 1000, scale);

    out->writePercent = permille == 0 || permille != state->lastPermille;
    out->percent[0] = '\0';
    if (!out->writePercent) return;
    FormatPercent(permille / 10, out->percent, sizeof(out->percent));
    state->lastPermille = permille;
}
