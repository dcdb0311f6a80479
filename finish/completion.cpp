#include "finish/completion.h"

#include <shellapi.h>

#include "app/texts.h"
#include "fw/code_page.h"
#include "fw/wide_calls.h"

namespace {

bool AskYes(const FinishJob& job, const char* question, UINT flags) {
    return MessageBoxCp949(job.owner, question, job.profile->msgCaption, flags) == IDYES;
}

bool AskToRun(const FinishJob& job) {
    char question[kPathCapacity];
    FormatRunQuestion(job.profile->productName, question, sizeof question);
    return AskYes(job, question, MB_YESNO);
}

// An install folder too long for the program's path starts nothing.
bool LaunchProduct(FinishJob* job, const char* parameters) {
    const char* installDir = job->places.installDir;
    if (!ComposePath(job->launchPath, sizeof job->launchPath, {installDir, job->profile->productExe}))
        return false;
    WideText program(job->launchPath);
    WideText wideParameters(parameters);  // null stays null
    WideText folder(installDir);
    if (!program.ok() || !wideParameters.ok() || !folder.ok()) return false;
    ShellExecuteW(job->owner, nullptr, program.get(), wideParameters.get(), folder.get(), SW_SHOW);
    return true;
}

}  // namespace

bool FinishInstall(FinishJob* job) {
    const ProductProfile& profile = *job->profile;
    CompletionVariant variant =
        ChooseCompletionVariant(profile.archiveName, profile.directSuffix, job->externalMode);
    bool run = true;
    switch (variant) {
        case CompletionVariant::kDirect:
            CreateStandardShortcuts(profile, job->places);
            break;
        case CompletionVariant::kExternal:
            CreateExternalShortcuts(profile, job->places, job->linkUrl);
            break;
        case CompletionVariant::kAsking:
            if (job->unattended || AskYes(*job, kShortcutQuestion, MB_YESNO | MB_ICONQUESTION))
                CreateStandardShortcuts(profile, job->places);
            run = !job->unattended && AskToRun(*job);
            break;
    }
    if (!run || job->unattended) return false;
    return LaunchProduct(job, LaunchParametersFor(variant, job->runArgs, profile.launchArgs));
}
