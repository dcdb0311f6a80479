// The main setup dialog: the program's only main window. It owns the install run and its
// sequence: Install runs the checks on this thread and posts WM_SETUP_START; each stage then
// runs on a worker and posts the message that starts the next one, or WM_SETUP_FAILED. Every
// handler of the run is here; the stages get their jobs from it.
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
    void OnInstall();
    void OnBrowse();
    void OnDestroy();
    LRESULT OnSetupComplete(WPARAM, LPARAM);
    LRESULT OnSetupFailed(WPARAM, LPARAM);
    LRESULT OnSetupBadPath(WPARAM, LPARAM);
    LRESULT OnSetupStart(WPARAM, LPARAM);
    LRESULT OnSetupExtracted(WPARAM, LPARAM);
    LRESULT OnSetupDownloaded(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    bool StartRun();
    StageReporter Reporter() const { return StageReporter(m_hWnd); }

    HICON m_hIcon;  // shared resource icon: never destroyed
    RunState m_run;
};
