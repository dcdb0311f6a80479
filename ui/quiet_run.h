// A quiet run (/quiet): the dialog's run with no window at all. The folder comes from /dir: (or
// is the default) and meets the rules and the drive check a typed one meets; the stages run one
// after the other on this thread, with the jobs the dialog would give them and a reporter that
// has no dialog; the end makes the shortcuts and the uninstall entry, asks nothing and starts
// nothing. Each stage's start and end, and every other end, goes into the run's log.
#pragma once

#include "ui/command_line.h"

// Runs the install for |switches| (a quiet run's) and |commandLine|'s "/axs:" option; returns
// the exit code (app/run_log_rules.h). The caller holds COM and has the stages' boxes answered
// (AnswerUnattended).
int RunQuietInstall(const SetupSwitches& switches, const char* commandLine);
