// Placeholder until extraction lands.
#include "app/messages.h"
#include "ui/setup_dlg.h"

LRESULT CSetupDlg::OnSetupDownloaded(WPARAM, LPARAM) {
    PostMessageA(m_hWnd, WM_SETUP_FAILED, 0, 0);
    return 1;
}
