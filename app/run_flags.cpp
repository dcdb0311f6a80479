#include "app/run_flags.h"

bool ContinueAfterCancelCheck(RunFlags* flags, const StageReporter& reporter, const char* question,
                              UINT boxFlags) {
    if (flags->running) return true;
    if (reporter.ShowMessage(question, boxFlags) == IDNO) {
        flags->running = 1;
        return true;
    }
    flags->userAborted = 1;
    flags->running = 0;
    return false;
}
