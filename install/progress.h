// The copy progress reporter of the extraction and the data copy: one per-mille scale over both
// (the run's CopyProgress), shown in the dialog's status line and percentage field. A control is
// written only when what it shows changes.
#pragma once

#include <cstdint>

#include "app/stage_reporter.h"
#include "install/progress_rules.h"

class CopyProgressReporter {
public:
    CopyProgressReporter(CopyProgress* state, const StageReporter& reporter)
        : state_(state), reporter_(reporter) {}

    // A new file or archive entry of |size| bytes starts; nothing is shown yet.
    void BeginFile(const char* name, uint32_t size);

    // After a block of the current file (|bytesWritten|: its bytes so far).
    void ReportCopyProgress(int32_t bytesWritten);

    const StageReporter& reporter() const { return reporter_; }

private:
    CopyProgress* state_;
    StageReporter reporter_;
};
