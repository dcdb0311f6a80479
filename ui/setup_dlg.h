// The main setup dialog: the program's only main window. Install runs the
// checks on this thread and posts WM_SETUP_START; each stage then runs on a
// worker and posts the message that starts the next one, or WM_SETUP_FAILED.
// The stage handlers are members, defined beside their stage's code.
#pragma once

#include "fw/dialog.h"

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
    void OnBrowse();                               // ui/install_dir.cpp
    void OnDestroy();
    LRESULT OnSetupComplete(WPARAM, LPARAM);       // finish/completion.cpp
    LRESULT OnSetupFailed(WPARAM, LPARAM);
    LRESULT OnSetupBadPath(WPARAM, LPARAM);        // ui/install_dir.cpp
    LRESULT OnSetupStart(WPARAM, LPARAM);          // download/download_worker.cpp
    LRESULT OnSetupExtracted(WPARAM, LPARAM);      // install/data_copy.cpp
    LRESULT OnSetupDownloaded(WPARAM, LPARAM);     // install/extract_worker.cpp

    DECLARE_MESSAGE_MAP()

private:
    void ApplyCommandLine();

    HICON m_hIcon;  // shared resource icon: never destroyed
};

// Messages of the install sequence, CP949.
extern const char kIdleStatusText[];  // "설치할 경로를 입력하십시오."
