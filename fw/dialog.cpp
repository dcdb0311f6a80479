#include "fw/dialog.h"

#include "fw/app.h"

CDialog::CDialog(UINT templateId, HWND parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HINSTANCE instance = AfxGetApp() ? AfxGetApp()->m_hInstance : GetModuleHandleW(nullptr);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(m_templateId), m_parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::OnInitDialog() {
    // Templates without DS_CENTER sit at (0, 0); a dialog belongs in the middle.
    if (!(GetWindowLongW(m_hWnd, GWL_STYLE) & DS_CENTER)) CenterOnScreen();
    return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

const MessageMapEntry* CDialog::GetMessageMap() const { return nullptr; }

void CDialog::CenterOnScreen() {
    RECT window;
    RECT work;
    GetWindowRect(m_hWnd, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = work.left + (work.right - work.left - width) / 2;
    int y = work.top + (work.bottom - work.top - height) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        return dialog->OnInitDialog();
    }
    dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    return dialog ? dialog->Dispatch(message, wParam, lParam) : FALSE;
}

const MessageMapEntry* CDialog::FindEntry(UINT message, WPARAM wParam) const {
    const MessageMapEntry* entry = GetMessageMap();
    for (; entry && entry->message != 0; ++entry) {
        if (entry->message != message) continue;
        if (message == WM_COMMAND &&
            (entry->controlId != LOWORD(wParam) || HIWORD(wParam) != BN_CLICKED))
            continue;
        return entry;
    }
    return nullptr;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) { OnOK(); return TRUE; }
        if (LOWORD(wParam) == IDCANCEL) { OnCancel(); return TRUE; }
    }
    const MessageMapEntry* entry = FindEntry(message, wParam);
    if (!entry) return FALSE;

    m_wantDefault = false;
    if (entry->command) {
        (this->*entry->command)();
        return m_wantDefault ? FALSE : TRUE;
    }
    LRESULT result = (this->*entry->handler)(wParam, lParam);
    if (m_wantDefault) return FALSE;
    // A few messages return their value directly from a dialog procedure.
    if (message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(result);
    SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}
