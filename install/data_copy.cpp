// Placeholder until the data-folder copy lands.
#include "app/messages.h"
#include "ui/setup_dlg.h"

LRESULT CSetupDlg::OnSetupExtracted(WPARAM, LPARAM) {
    PostMessageA(m_hWnd, WM_SETUP_FAILED, 0, 0);
    return 1;
}
