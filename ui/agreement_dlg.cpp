#include "ui/agreement_dlg.h"

#include <cstring>

#include "app/profile.h"
#include "app/texts.h"
#include "fw/app.h"
#include "res/resource.h"

namespace {

const int kAgreementBufferSize = 5000;  // at most 4999 bytes of text and a NUL

}  // namespace

CAgreementDlg::CAgreementDlg(HWND parent) : CDialog(IDD_AGREEMENT, parent) {}

CAgreementDlg::~CAgreementDlg() = default;

BOOL CAgreementDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    char text[kAgreementBufferSize];
    memset(text, 0, sizeof text);
    m_bAgreed = false;

    HMODULE module = AfxGetApp()->m_hInstance;
    HRSRC found = FindResourceA(module, g_profile.contractName, g_profile.contractType);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        // Without its text the agreement cannot be accepted: end silently.
        EndDialog(IDCANCEL);
        return FALSE;
    }
    // The resource has no terminator: its size alone bounds the copy.
    DWORD size = SizeofResource(module, found);
    if (size > kAgreementBufferSize - 1) size = kAgreementBufferSize - 1;
    memcpy(text, bytes, size);
    SetDlgItemText(IDC_AGREEMENT_TEXT, text);
    return TRUE;
}

void CAgreementDlg::OnOK() {
    if (IsDlgButtonChecked(IDC_AGREE_CHECK)) {
        m_bAgreed = true;
        EndDialog(IDOK);
        return;
    }
    MessageBox(kTickReminder, kTickReminderCaption, MB_OK);
}

void CAgreementDlg::OnCancel() { CDialog::OnCancel(); }
