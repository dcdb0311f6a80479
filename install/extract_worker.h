// Extraction of the downloaded package archive into the install folder, on a worker thread:
// one pass over the central directory for the progress scale, one that writes every entry.
// The stage ends with exactly one posted WM_SETUP_EXTRACTED or WM_SETUP_FAILED.
#pragma once

#include <windows.h>

#include "app/run_flags.h"
#include "app/stage_reporter.h"
#include "install/progress_rules.h"

// What the extraction works with. It must live until the stage has ended.
struct ExtractJob {
    HANDLE archive;           // the downloaded archive, open for reading: read through it only
    const char* installDir;   // the accepted install folder, ending with "\"
    CopyProgress* progress;   // the run's scale: the size pass sets its total
    RunFlags* flags;          // the cancel protocol
    StageReporter reporter;
};

// Sets the running flag and starts the stage on a thread of its own; when none starts, ends
// the stage at once (WM_SETUP_FAILED).
void StartExtraction(ExtractJob* job);

// Both passes on the calling thread; posts nothing. Entries are extracted in central-directory
// order, folders reproduced, existing files replaced; the first failure ends it and later
// entries are not touched. Each file is written in 8192-byte blocks, each followed by a
// progress report and a cancel check point, then dated. A name with flag bit 11 is UTF-8 and is
// taken into code page 949; any other is CP949 as stored. Refused before anything of the entry
// is written: a name code page 949 cannot hold (kNameCodePage), a name that leads out of the
// install folder or does not fit (kUnsafeName), a method other than stored or deflated (kMethod). Data that ends before the size the directory
// gives fails with kDataShort (the short file stays); a CRC mismatch with kCrc, after the file
// is complete and dated.
StageResult ExtractArchive(const ExtractJob& job);

// Creation and last-write time of |path| (CP949) = |dosDate| (MS-DOS date in the high, time in the low
// 16 bits) read as local time; last access kept. Failures are ignored: the file keeps the time
// of writing.
void SetEntryFileTime(const char* path, unsigned long dosDate);
