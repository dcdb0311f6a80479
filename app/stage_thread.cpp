#include "app/stage_thread.h"

#include "fw/thread.h"

void StartStageThread(Stage stage, RunFlags* flags, const StageReporter& reporter,
                      LPTHREAD_START_ROUTINE worker, void* job) {
    flags->running = 1;
    if (!StartDetachedThread(worker, job)) reporter.Finish(StageFailedWithLastError(stage, StageCode::kThreadStart));
}
