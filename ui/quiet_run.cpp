#include "ui/quiet_run.h"

#include "app/run_log.h"
#include "app/run_log_rules.h"
#include "ui/install_dir.h"
#include "ui/run_jobs.h"

namespace {

// The folder: /dir:'s text, or the default one, through the rules a typed folder goes through.
bool SettleInstallDir(RunState* run) {
    if (!run->switches.installDir.IsEmpty()) return AcceptInstallDirText(run->switches.installDir, run->installDir);
    char defaultDir[kPathCapacity] = "";
    GetDefaultInstallDir(defaultDir, run->profile->defaultSubdir);
    return AcceptInstallDirText(defaultDir, run->installDir);
}

// One stage's work on this thread, its start and end in the log.
template <typename Work>
StageResult RunLogged(Stage stage, Work work) {
    LogStageStart(stage);
    StageResult result = work();
    LogStageEnd(result);
    return result;
}

// The stages in the dialog's order, to the first failure. No one cancels a quiet run: the
// running flag stays set, and every cancel check point goes on.
StageResult RunStages(RunState* run) {
    const StageReporter noDialog;
    StageResult result = BeginRun(run);
    if (!result.ok()) {
        LogStageEnd(result);
        return result;
    }
    run->flags.running = 1;
    run->download = DownloadJobOf(run, noDialog);
    result = RunLogged(Stage::kDownload, [run] { return RunDownload(run->download); });
    if (!result.ok()) return result;
    run->extract = ExtractJobOf(run, noDialog);
    result = RunLogged(Stage::kExtract, [run] { return ExtractArchive(run->extract); });
    if (!result.ok() || run->profile->dataBytes < 1) return result;
    run->dataCopy = DataCopyJobOf(run, noDialog);
    return RunLogged(Stage::kDataCopy, [run] { return RunDataCopy(&run->dataCopy); });
}

}  // namespace

int RunQuietInstall(const SetupSwitches& switches, const char* commandLine) {
    RunState run;
    run.switches = switches;
    run.options = ParseAxsOption(commandLine);
    if (!SettleInstallDir(&run)) {
        LogRunLine(kLogFolderRefused, run.switches.installDir.IsEmpty() ? run.installDir : run.switches.installDir);
        return kExitBadCommandLine;
    }
    if (!CheckInstallDrive(run.installDir, *run.profile)) {
        LogRunLine(kLogDriveRefused, run.installDir);
        return kExitFailed;
    }
    StageResult result = RunStages(&run);
    run.archive.Close();  // closing it deletes it
    if (!result.ok()) return ExitCodeOf(result);
    SpecialFolderPaths paths;
    FinishJob finish = FinishJobOf(&run, nullptr, &paths);
    FinishInstall(&finish);
    LogRunLine(kLogNotStarted);
    return kExitInstalled;
}
