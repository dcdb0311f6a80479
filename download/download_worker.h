// The download stage: fetches the package with an HTTP GET into the temporary archive, checks
// the response before it writes anything, stores the body block by block with a running
// percentage, takes a cut transfer up again where it stopped, checks the package's signature
// when the profile has a publisher key, and ends with exactly one WM_SETUP_DOWNLOADED or
// WM_SETUP_FAILED.
#pragma once

#include <windows.h>

#include "app/profile.h"
#include "app/run_flags.h"
#include "app/stage_reporter.h"
#include "download/temp_archive.h"

// What the download works with. It must live until the stage has ended.
struct DownloadJob {
    const ProductProfile* profile;  // the package server, archive name, agent and key
    bool externalMode;              // started with "/axs:": fetch |packageUrl| instead
    const char* packageUrl;         // the "/axs:" package URL
    TempArchive* archive;           // named already; made and written here, closed (deleted) on failure
    RunFlags* flags;                // the cancel protocol
    StageReporter reporter;
};

// Sets the running flag and starts the stage on a thread of its own; when none starts, ends
// the stage at once (WM_SETUP_FAILED).
void StartDownload(DownloadJob* job);

// The stage's work, on the calling thread: the network check, the request, the archive, the
// signature. A failure the user did not ask for shows its notice first. Posts nothing.
StageResult RunDownload(const DownloadJob& job);

// Whether the machine has a working network connection (sensapi's IsNetworkAlive, asked
// twice). True when sensapi is not there to ask.
bool IsNetworkConnected();
