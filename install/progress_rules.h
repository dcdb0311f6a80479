// Copy progress: one per-mille scale over the archive extraction and the data
// copy, and the decision which of the two shared controls (status line,
// percentage field) must be written after a block. Pure; the glue owns one
// CopyProgress for the process and writes the texts this module hands back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/bounded_text.h"  // the percentage text
#include "fw/path_text.h"     // kPathCapacity: the name and status buffers are path buffers

// a x b / c with a 64-bit product, rounded to the nearest integer with halves
// away from zero, as the system's MulDiv. -1 when c is 0 or the result does
// not fit in a signed 32-bit integer.
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c);

// Run state of the reporter. Start zero-filled with dataBytes set from the
// profile; byte counts are signed 32-bit and saturate at INT32_MAX instead of
// overflowing (2 GiB and more of files only blurs the scale).
struct CopyProgress {
    char currentName[kPathCapacity];  // file being written, as the stage named it
    int32_t bytesBefore;   // sizes of the files begun before the current one
    int32_t bytesQueued;   // sizes of all files begun, the current one included
    int32_t lastPermille;  // last per-mille value written to the percentage field
    char lastStatus[kPathCapacity];   // last status text built (on every report)
    int32_t totalBytes;    // 1 + the uncompressed sizes of all archive entries
    int32_t dataBytes;     // size of the data folder from the profile (0: none)
};

// What ReportCopyProgress asks the glue to write.
struct ProgressWrites {
    bool writeStatus;                      // write |status| to the status line
    char status[kPathCapacity];    // always built, "복사 중... <name>"
    bool writePercent;                     // write |percent| to the percentage field
    char percent[kPercentTextCapacity];    // "%3d%%" of per-mille / 10, when writePercent
};

// Start of a run: bytesBefore = bytesQueued = 0, totalBytes = 1. The name, the
// last status and the last per-mille carry over from an earlier run.
void ResetRunProgress(CopyProgress* state);

// Adds one archive entry's uncompressed size to totalBytes (the size pass).
void AddToTotalBytes(CopyProgress* state, uint32_t size);

// A new file or archive entry of |size| bytes starts: it becomes the current
// name and its size is queued. Nothing is shown until its first report. A name
// of 260 bytes or more is stored as "..." and its tail (see below).
void BeginFile(CopyProgress* state, const char* name, uint32_t size);

// After a block of the current file: |bytesWritten| is that file's byte count
// so far. The status text "복사 중... <name>" is to be written when it differs
// from the last one built; lastStatus is updated on every call. The per-mille
// value is MulDivRounded(bytesBefore + bytesWritten + 1, 1000, totalBytes +
// dataBytes); the percentage is to be written when it is 0 or differs from
// lastPermille, which then takes it. Not clamped: more bytes than declared
// show more than 100 per cent. A name too long for the status buffer is shown
// as "..." followed by its longest tail that fits, cut between CP949 characters.
void ReportCopyProgress(CopyProgress* state, int32_t bytesWritten, ProgressWrites* out);
