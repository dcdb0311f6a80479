// One run of the program, as its command line asks: the dialog for a person, as it always was;
// or, with /quiet or /passive, an unattended run that shows no box, never raises another
// setup's window and ends with an exit code a deployment tool reads (docs/DEPLOY.md).
#include "app/profile.h"
#include "app/run_log.h"
#include "app/run_log_rules.h"
#include "app/setup_app.h"
#include "fw/bounded_text.h"
#include "fw/scoped.h"
#include "ui/quiet_run.h"
#include "ui/setup_dlg.h"

namespace {

const char* RefusalLine(SwitchRefusal refusal) {
    switch (refusal) {
        case SwitchRefusal::kMalformed: return kLogBadCommandLine;
        case SwitchRefusal::kNotAllowed: return kLogNotAllowed;
        case SwitchRefusal::kNoLicence: return kLogNoLicence;
        case SwitchRefusal::kNone: break;
    }
    return "";
}

// A person's run: a running setup's window is raised instead, as always, and the run ends
// with 0 whatever happened.
int RunInteractive(const SetupSwitches& switches) {
    if (!CheckSingleInstance()) return kExitInstalled;
    HoldRunMutex();     // so that an unattended run started meanwhile knows of this one
    ScopedComInit com;  // shell links and the folder picker need COM; the dialog runs either way
    RunSetupDialog(switches);
    return kExitInstalled;
}

// Nobody is there: another setup, with a window or without, ends this run at once.
int RunUnattended(const SetupSwitches& switches, const char* commandLine) {
    if (IsSetupWindowOpen() || !HoldRunMutex()) {
        LogRunLine(kLogAnotherSetup);
        return kExitAnotherSetup;
    }
    g_pfnStageMessageBox = AnswerUnattended;
    ScopedComInit com;
    if (switches.mode == RunMode::kQuiet) return RunQuietInstall(switches, commandLine);
    return RunSetupDialog(switches);
}

}  // namespace

int RunSetup(const char* commandLine) {
    SetupSwitches switches = ParseSetupSwitches(commandLine);
    OpenRunLog(switches.logPath);  // a log that cannot be opened does not stop the run
    LogRunLine(kLogStarted, commandLine);
    int exitCode = kExitBadCommandLine;
    SwitchRefusal refusal = RefuseSwitches(switches, g_profile.unattended != 0);
    if (refusal != SwitchRefusal::kNone)
        LogRunLine(RefusalLine(refusal));
    else if (switches.unattended())
        exitCode = RunUnattended(switches, commandLine);
    else
        exitCode = RunInteractive(switches);
    char code[16];
    if (BoundedText(code, sizeof code).AddNumber(exitCode, 0).Fits()) LogRunLine(kLogEnded, code);
    return exitCode;
}
