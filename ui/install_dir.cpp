// Placeholder until the folder rules land: the default folder stays empty,
// every text is accepted as typed, and the drive check passes.
#include "ui/install_dir.h"

#include "app/run_state.h"
#include "res/resource.h"
#include "ui/setup_dlg.h"

bool IsWindows6OrLater() { return true; }

void GetDefaultInstallDir() {}

bool ValidateInstallDir(HWND dialog) {
    GetDlgItemTextA(dialog, IDC_PATH, g_szInstallDir, kPathBufferSize);
    return true;
}

int CheckInstallDrive() { return 1; }

void CSetupDlg::OnBrowse() {}

LRESULT CSetupDlg::OnSetupBadPath(WPARAM, LPARAM) { return 1; }
