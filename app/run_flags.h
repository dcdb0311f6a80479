// The two flags of the cancel protocol, shared by the dialog and the running stage without
// locks: each has one writer at a time, except |running|, which the Cancel button and a
// worker's check point both write (a lost update at worst loses or repeats one question).
#pragma once

#include <windows.h>

#include "app/stage_reporter.h"

struct RunFlags {
    volatile LONG running;      // 1: a stage runs and no cancel is pending
    volatile LONG userAborted;  // the current failure is a user abort
};

// The cancel check point of a stage. With |flags|->running set it returns true at once.
// Otherwise it asks |question| with |boxFlags| (the default button is No): No sets running
// again and returns true; any other answer sets userAborted, clears running, and returns false.
bool ContinueAfterCancelCheck(RunFlags* flags, const StageReporter& reporter, const char* question,
                              UINT boxFlags);
