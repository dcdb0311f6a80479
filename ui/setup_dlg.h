// The main setup dialog: the program's only main window. It owns the install run and its
// order, which reads top to bottom in ui/setup_dlg.cpp: Install runs the checks on this thread
// and posts WM_SETUP_START; each stage then runs on a worker and ends with the message that
// starts the next one, or WM_SETUP_FAILED. Every handler of the run is here; the stages get
// their jobs from it (ui/run_jobs.h). In a passive run (/passive) nobody is at it: Install is
// pressed by itself, the agreement is taken as accepted, the stages' boxes are answered
// without showing, and every end of the run ends the dialog with the run's exit code.
#pragma once

#include "fw/dialog.h"
#include "ui/run_state.h"

class CSetupDlg : public CDialog {
public:
    CSetupDlg(HWND parent, const SetupSwitches& switches);
    ~CSetupDlg() override;

    // The exit code of a passive run, once the dialog has ended.
    int exitCode() const { return m_exitCode; }

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;

    void OnPaint();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    void OnBrowse();
    void OnDestroy();

    // The run, one handler per stage end, in order.
    void OnInstall();
    LRESULT OnSetupStart(WPARAM, LPARAM);
    LRESULT OnSetupDownloaded(WPARAM, LPARAM);
    LRESULT OnSetupExtracted(WPARAM, LPARAM);
    LRESULT OnSetupComplete(WPARAM, LPARAM);
    LRESULT OnSetupFailed(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    bool StartRun();
    bool AgreementAccepted();
    // A check before the run refused it: said in the log; a person is shown |message| and may
    // try again, a passive run ends with |exitCode|.
    void Refuse(const char* logText, const char* detail, const char* message, int exitCode);
    // Ends the dialog; a passive run's process ends with |exitCode|.
    void EndRun(int exitCode);
    bool Passive() const { return m_run.switches.mode == RunMode::kPassive; }
    // What a stage reports through; it ends with |doneMessage| when it succeeds.
    StageReporter Reporter(UINT doneMessage) const { return StageReporter(m_hWnd, doneMessage); }

    HICON m_hIcon;  // shared resource icon: never destroyed
    RunState m_run;
    int m_exitCode = 0;
};

// Runs the main dialog modally for the whole run; returns the exit code of a passive run (a
// person's run: 0).
int RunSetupDialog(const SetupSwitches& switches);
