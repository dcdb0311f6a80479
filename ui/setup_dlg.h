// The main setup dialog: the program's only main window. It owns the install run and its
// order, which reads top to bottom in ui/setup_dlg.cpp: Install runs the checks on this thread
// and posts WM_SETUP_START; each stage then runs on a worker and ends with the message that
// starts the next one, or WM_SETUP_FAILED. Every handler of the run is here; the stages get
// their jobs from it.
#pragma once

#include "fw/dialog.h"
#include "ui/run_state.h"

class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(HWND parent);
    ~CSetupDlg() override;

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
    // What a stage reports through; it ends with |doneMessage| when it succeeds.
    StageReporter Reporter(UINT doneMessage) const { return StageReporter(m_hWnd, doneMessage); }

    HICON m_hIcon;  // shared resource icon: never destroyed
    RunState m_run;
};
