// The block copy loop of the extraction and the data copy: read a block, write it, report the
// file's bytes so far, and pass the cancel check point before the next block.
#pragma once

#include <cstddef>
#include <cstdio>

#include "app/run_flags.h"
#include "app/stage_result.h"
#include "app/texts.h"  // kCopyCancelQuestion, asked here and by the data copy's walk
#include "install/progress.h"

// Where a block copy reads from.
class BlockSource {
public:
    enum State { kMore, kEnd, kFailed };

    // Reads up to |capacity| bytes into |block|; |*count| gets how many (bytes of a failed read
    // that did arrive are still written).
    virtual State Read(char* block, size_t capacity, size_t* count) = 0;
    // Whether a read that brought no bytes is written and reported like any other.
    virtual bool ReportsEmptyReads() const = 0;
    // Why the last read failed.
    virtual StageResult Failure() const = 0;

protected:
    ~BlockSource() = default;
};

// The loop's surroundings: its stage, its cancel question's box flags, the run's flags and the
// progress reporter of the file.
struct BlockCopy {
    Stage stage;
    UINT questionFlags;
    RunFlags* flags;
    CopyProgressReporter* progress;
};

// Copies |source| to |out| through |block| (|blockSize| bytes) until the source ends: a
// success, the source's failure, a short write (StageCode::kWrite) or a confirmed cancel
// (StageCode::kUserAbort). The cancel question is asked after each block that did not end
// the source.
StageResult CopyBlocks(const BlockCopy& copy, BlockSource* source, FILE* out, char* block,
                       size_t blockSize);
