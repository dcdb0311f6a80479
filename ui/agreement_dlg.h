// The licence agreement, shown at every accepted press of Install. Ends with
// IDOK (and g_bAgreed = 1) only when the box is ticked and "동의함" pressed.
#pragma once

#include "fw/dialog.h"

class CAgreementDlg : public CDialog {
public:
    explicit CAgreementDlg(HWND parent);
    ~CAgreementDlg() override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
};
