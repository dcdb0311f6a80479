#include "install/progress.h"

void CopyProgressReporter::BeginFile(const char* name, uint32_t size) {
    ::BeginFile(state_, name, size);
}

void CopyProgressReporter::ReportCopyProgress(int32_t bytesWritten) {
    ProgressWrites writes;
    ::ReportCopyProgress(state_, bytesWritten, &writes);
    if (writes.writeStatus) reporter_.ShowStatus(writes.status);
    if (writes.writePercent) reporter_.ShowPercent(writes.percent);
}
