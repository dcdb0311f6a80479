// The data-folder copy: when the profile declares one (a positive data size), the "data" folder
// beside the setup program is copied depth-first into the install folder, one file at a time on
// a thread of its own, on the progress scale of the extraction. The stage ends with exactly one
// posted WM_SETUP_COMPLETE or WM_SETUP_FAILED.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/run_flags.h"
#include "app/stage_reporter.h"
#include "fw/path_text.h"
#include "install/progress_rules.h"

// What the data copy works with. It must live until the stage has ended.
struct DataCopyJob {
    const char* installDir;  // the accepted install folder, ending with "\"
    int32_t dataBytes;       // the profile's data size: below 1, there is no data folder
    CopyProgress* progress;  // the run's scale: the files queue behind the archive's
    RunFlags* flags;         // the cancel protocol
    StageReporter reporter;
    char sourceDir[kPathCapacity] = "";       // "<setup folder>\data\", named by StartDataCopy
    char destinationDir[kPathCapacity] = "";  // the install folder, copied by StartDataCopy
};

// Without a data folder posts WM_SETUP_COMPLETE at once and touches nothing else. Otherwise
// names the two folders, sets the running flag and starts the walk on a thread of its own;
// a walk that cannot start ends the stage with WM_SETUP_FAILED.
void StartDataCopy(DataCopyJob* job);

// The whole stage on the calling thread, for a run without a dialog: without a data folder a
// success at once; else the two folders named and the walk (CopyDataFolder). Posts nothing.
StageResult RunDataCopy(DataCopyJob* job);

// The walk on the calling thread; posts nothing. Copies the tree under job.sourceDir into
// job.destinationDir (a source folder that cannot be listed counts as empty; a listed name code
// page 949 cannot hold fails it with kNameCodePage, never copied under another). A failure clears
// the running flag; a cancel request still pending at the end is asked about rather than lost.
StageResult CopyDataFolder(const DataCopyJob& job);

// One file, on a thread of its own that the caller waits for: 4096-byte blocks with a progress
// report after each read, the cancel check point between them. A short write or a read error
// fails it instead of leaving a short file or reading forever.
StageResult CopyDataFile(const DataCopyJob& job, const char* source, const char* destination);
