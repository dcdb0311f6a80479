// How a stage starts: the running flag set, its work on a thread nobody waits for, and the
// one message that ends it, posted by the worker when the work returns.
#pragma once

#include <windows.h>

#include "app/run_flags.h"
#include "app/stage_reporter.h"

// The thread procedure of a stage: runs |Work| on the job it is handed and ends the stage with
// its result. The job has a StageReporter named reporter.
template <typename Job, StageResult (*Work)(const Job&)>
DWORD WINAPI StageWorker(LPVOID job) {
    const Job* stageJob = static_cast<const Job*>(job);
    stageJob->reporter.Finish(Work(*stageJob));
    return 0;
}

// Sets |flags|->running (a cancel request made before this moment is dropped) and starts
// |worker| on |job|. When no thread starts, ends |stage| at once (WM_SETUP_FAILED); the
// dialog's failure handling then clears the flag again.
void StartStageThread(Stage stage, RunFlags* flags, const StageReporter& reporter,
                      LPTHREAD_START_ROUTINE worker, void* job);
