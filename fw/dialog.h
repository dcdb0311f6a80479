// Modal dialogs built from resource templates, with a message map: a static
// table from messages (or button clicks) to member handlers. The dialogs are
// Unicode windows, so the templates' texts show as written under any system
// code page; the members take the program's CP949 texts.
#pragma once

#include <windows.h>

#include "fw/wide_calls.h"

class CDialog;

// Handler of a message with parameters; its result is the message's result.
typedef LRESULT (CDialog::*MessageHandler)(WPARAM, LPARAM);
// Handler of a button click or a message whose result is not used.
typedef void (CDialog::*CommandHandler)();

struct MessageMapEntry {
    UINT message;            // 0 ends the table
    UINT controlId;          // for WM_COMMAND entries: the control
    MessageHandler handler;  // one of the two handlers is set
    CommandHandler command;
};

#define DECLARE_MESSAGE_MAP() \
protected:                    \
    const MessageMapEntry* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass)                              \
    const MessageMapEntry* theClass::GetMessageMap() const {     \
        typedef theClass ThisClass;                              \
        static const MessageMapEntry entries[] = {
#define ON_MESSAGE(message, fn) \
    {message, 0, static_cast<MessageHandler>(&ThisClass::fn), nullptr},
#define ON_COMMAND_MESSAGE(message, fn) \
    {message, 0, nullptr, static_cast<CommandHandler>(&ThisClass::fn)},
#define ON_BN_CLICKED(id, fn) \
    {WM_COMMAND, id, nullptr, static_cast<CommandHandler>(&ThisClass::fn)},
#define END_MESSAGE_MAP()          \
    {0, 0, nullptr, nullptr}};     \
        return entries;            \
    }

class CDialog {
public:
    CDialog(UINT templateId, HWND parent);
    virtual ~CDialog();

    // Runs the dialog until EndDialog; returns its result, -1 if it could not be made.
    INT_PTR DoModal();
    void EndDialog(int result);

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    // Texts are CP949; the dialog is a Unicode window and gets them converted.
    void SetDlgItemText(int id, const char* text) { SetDlgItemTextCp949(m_hWnd, id, text); }
    void EnableDlgItem(int id, BOOL enable) { ::EnableWindow(GetDlgItem(id), enable); }
    BOOL IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }
    void SetWindowText(const char* text) { SetWindowTextCp949(m_hWnd, text); }
    int MessageBox(const char* text, const char* caption, UINT type) {
        return MessageBoxCp949(m_hWnd, text, caption, type);
    }

protected:
    virtual BOOL OnInitDialog();  // TRUE: focus goes to the first tab stop
    virtual void OnOK();          // IDOK; ends with IDOK
    virtual void OnCancel();      // IDCANCEL: Cancel, Esc, close box; ends with IDCANCEL
    virtual const MessageMapEntry* GetMessageMap() const;

    // Inside a handler: let the system's dialog procedure handle the message too.
    void Default() { m_wantDefault = true; }

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    const MessageMapEntry* FindEntry(UINT message, WPARAM wParam) const;
    void CenterOnScreen();

    UINT m_templateId;
    HWND m_parent;
    bool m_wantDefault = false;
};
