// The exit codes of an unattended run and the lines of the run's log (/log:). Pure: the glue
// (app/run_log.*) reads the clock and appends the lines to the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/stage_result.h"

// Exit codes of an unattended run: the values deployment tools already read from installers.
// Interactive runs end with 0, whatever happened.
const int kExitInstalled = 0;
const int kExitCancelled = 1602;      // Cancel pressed, and the stage stopped
const int kExitFailed = 1603;         // a stage failed, or the drive was refused
const int kExitAnotherSetup = 1618;   // another setup is running
const int kExitBadCommandLine = 1639; // bad command line or folder, licence not accepted

// 0 for a success, 1602 for a confirmed cancel (user-abort), 1603 for any other failure.
int ExitCodeOf(const StageResult& result);

// A local time, as the log writes it.
struct LogTime {
    uint16_t year, month, day, hour, minute, second, millisecond;
};

// One line of the log: "yyyy-mm-dd hh:mm:ss.mmm " and |text|, each CR or LF of the text turned
// into a blank, ended by CR LF. False, and |out| empty, when it does not fit |cap|.
bool FormatLogLine(const LogTime& time, const char* text, char* out, size_t cap);
