// A run's jobs, made from its state one way for both runs that have them: the dialog's
// (ui/setup_dlg.cpp), which starts each stage on a thread, and the quiet run's
// (ui/quiet_run.cpp), which runs them one after the other on its own thread.
#pragma once

#include <windows.h>

#include "app/stage_reporter.h"
#include "finish/completion.h"
#include "ui/run_state.h"

// The start of a run: the progress scale reset, the setup's own name checked and the temporary
// archive named. A failure of Stage::kStart when the run cannot start.
StageResult BeginRun(RunState* run);

DownloadJob DownloadJobOf(RunState* run, const StageReporter& reporter);
ExtractJob ExtractJobOf(RunState* run, const StageReporter& reporter);
DataCopyJob DataCopyJobOf(RunState* run, const StageReporter& reporter);

// The end of a successful run: |owner| owns its questions (null for a quiet run, which asks
// none), |paths| receives the special folders.
FinishJob FinishJobOf(RunState* run, HWND owner, SpecialFolderPaths* paths);
