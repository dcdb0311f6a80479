// One install run, owned by the main dialog (or by a quiet run, which has none): the folder,
// the command line's option and switches, the profile, the temporary archive, the progress
// scale and the cancel flags. The run hands each stage its part as a job (ui/run_jobs.h); no
// stage reaches into another's.
#pragma once

#include "app/profile.h"
#include "app/run_flags.h"
#include "download/download_worker.h"
#include "download/temp_archive.h"
#include "fw/path_text.h"
#include "install/data_copy.h"
#include "install/extract_worker.h"
#include "install/progress_rules.h"
#include "ui/command_line.h"

struct RunState {
    // Made in one place (ui/run_jobs.cpp) for the dialog's run and the quiet one: the initial
    // state is large, and each inline copy would carry its own image of it.
    RunState();
    ~RunState();

    const ProductProfile* profile = &g_profile;
    char installDir[kPathCapacity] = "";  // accepted: ends with exactly one backslash
    AxsOption options;                    // the "/axs:" option of the command line
    SetupSwitches switches;               // the administrators' switches: who is at the run
    TempArchive archive;                  // named when the first download starts
    CopyProgress progress = {"", 0, 0, 0, "", 1, g_profile.dataBytes};
    RunFlags flags = {0, 0};
    // The jobs of the stages that run on threads: they live as long as the dialog, so a
    // worker never outlives what it works with.
    DownloadJob download = {};
    ExtractJob extract = {};
    DataCopyJob dataCopy = {};
};
