// The application object of the setup program.
#pragma once

#include "fw/app.h"

class CSetupApp : public CWinApp {
public:
    ~CSetupApp() override;
    // Runs the setup as its command line asks (RunSetup) and keeps the run's exit code for the
    // process. Always FALSE: the process ends when the run does.
    BOOL InitInstance() override;
};

// TRUE when no other setup window is open; otherwise raises that window
// (and its last active popup) and returns FALSE.
BOOL CheckSingleInstance();

// True when another setup's window is open, by the same marks; nothing is raised.
bool IsSetupWindowOpen();

// Holds the profile's run mutex (ComposeRunMutexName, app/single_instance.h) for the rest of
// the process, so an unattended run can tell that this setup runs even when it has no window.
// False when another setup holds it already. A mutex the system refuses for another reason is
// no other setup: the run goes on without one.
bool HoldRunMutex();

// One run of the setup as |commandLine| asks: the dialog, or an unattended run. Returns the
// process's exit code. The dialog layer defines it (ui/setup_run.cpp), so the application
// object needs nothing of the dialog but this.
int RunSetup(const char* commandLine);
