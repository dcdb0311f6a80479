// Placeholder until the download lands: the start of a run fails at once, so
// the failure path can be driven end to end.
#include "app/messages.h"
#include "ui/setup_dlg.h"

LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM) {
    PostMessageA(m_hWnd, WM_SETUP_FAILED, 0, 0);
    return 1;
}
