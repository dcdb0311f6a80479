// The licence agreement, shown at every accepted press of Install. Ends with
// IDOK (and Agreed() true) only when the box is ticked and "동의함" pressed.
#pragma once

#include "fw/dialog.h"

class CAgreementDlg : public CDialog {
public:
    explicit CAgreementDlg(HWND parent);
    ~CAgreementDlg() override;

    // The box was ticked and the agreement confirmed.
    bool Agreed() const { return m_bAgreed; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    bool m_bAgreed = false;
};
