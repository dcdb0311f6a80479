#include "ui/run_jobs.h"

#include "download/download_rules.h"
#include "fw/wide_calls.h"

RunState::RunState() = default;
RunState::~RunState() = default;

StageResult BeginRun(RunState* run) {
    ResetRunProgress(&run->progress);
    char modulePath[kPathCapacity] = "";
    if (!ModulePathCp949(modulePath, sizeof modulePath) || !SetupNameRuleHolds(modulePath))
        return StageFailed(Stage::kStart, StageCode::kSetupName);
    if (!run->archive.Name(run->profile->tempArchiveName)) return StageFailed(Stage::kStart, StageCode::kTempArchive);
    return StageSucceeded(Stage::kStart);
}

DownloadJob DownloadJobOf(RunState* run, const StageReporter& reporter) {
    return {
        .profile = run->profile,
        .externalMode = run->options.externalMode,
        .packageUrl = run->options.downloadUrl,
        .archive = &run->archive,
        .flags = &run->flags,
        .reporter = reporter,
    };
}

ExtractJob ExtractJobOf(RunState* run, const StageReporter& reporter) {
    return {
        .archive = run->archive.handle(),
        .installDir = run->installDir,
        .progress = &run->progress,
        .flags = &run->flags,
        .reporter = reporter,
    };
}

DataCopyJob DataCopyJobOf(RunState* run, const StageReporter& reporter) {
    return {
        .installDir = run->installDir,
        .dataBytes = run->profile->dataBytes,
        .progress = &run->progress,
        .flags = &run->flags,
        .reporter = reporter,
    };
}

FinishJob FinishJobOf(RunState* run, HWND owner, SpecialFolderPaths* paths) {
    FinishJob job = {
        .owner = owner,
        .profile = run->profile,
        .places = CurrentUserPlaces(owner, run->installDir, paths),
        .externalMode = run->options.externalMode,
        .linkUrl = run->options.linkUrl,
        .runArgs = run->options.runArgs,
        .unattended = run->switches.unattended(),
    };
    // The scale's total is 1 + the bytes the size pass counted.
    job.places.extractedBytes = run->progress.totalBytes > 1 ? static_cast<uint64_t>(run->progress.totalBytes) - 1 : 0;
    return job;
}
