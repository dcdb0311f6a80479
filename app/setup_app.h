// The application object of the setup program.
#pragma once

#include "fw/app.h"

class CSetupApp : public CWinApp {
public:
    ~CSetupApp() override;
    // Refuses to start beside a running setup, else runs the main dialog.
    // Always FALSE: the process ends when the dialog closes.
    BOOL InitInstance() override;
};

// TRUE when no other setup window is open; otherwise raises that window
// (and its last active popup) and returns FALSE.
BOOL CheckSingleInstance();

// Runs the main dialog modally for the whole run. The dialog defines it (ui/setup_dlg.cpp),
// so the application object needs nothing of the dialog but this.
void RunSetupDialog();
