// How a stage's worker reaches the main dialog: the two shared controls, message boxes owned
// by the dialog (its questions and notices), and the one message that ends the stage. A
// worker touches the dialog only through this. A reporter made without a dialog (a quiet run,
// whose stages run on its one thread) shows no text and posts nothing; its boxes still go
// through g_pfnStageMessageBox, which such a run answers itself.
#pragma once

#include <windows.h>

#include "app/stage_result.h"

class StageReporter {
public:
    StageReporter() = default;  // no dialog
    // Reports to |dialog|; a stage that succeeds ends with |doneMessage|.
    StageReporter(HWND dialog, UINT doneMessage) : dialog_(dialog), doneMessage_(doneMessage) {}

    // The status line (IDC_STATUS) and the percentage field (IDC_PERCENT), CP949 texts shown
    // through the wide call: returns once the dialog's thread has taken the text.
    void ShowStatus(const char* text) const;
    void ShowPercent(const char* text) const;

    // A message box owned by the dialog, with the profile's caption: a question or a notice.
    // Returns the answer.
    int ShowMessage(const char* text, UINT flags) const;

    // Ends the stage: posts the done message when |result| is a success, else WM_SETUP_FAILED
    // with the result in its parameters. Without a dialog nothing is posted: a message posted to
    // no window would land in the calling thread's own queue.
    void Finish(const StageResult& result) const;

    HWND dialog() const { return dialog_; }

private:
    HWND dialog_ = nullptr;
    UINT doneMessage_ = 0;
};

// How the stages show their message boxes, texts in CP949: MessageBoxCp949 (fw/wide_calls.h).
// Tests put their own answerer here.
typedef int(WINAPI* StageMessageBoxFn)(HWND owner, const char* text, const char* caption, UINT flags);
extern StageMessageBoxFn g_pfnStageMessageBox;

// A failure of |stage| with the reason GetLastError gives now (WinInet's codes told apart).
StageResult StageFailedWithLastError(Stage stage, StageCode code);

// The result a WM_SETUP_FAILED carries in its parameters.
StageResult StageResultOfMessage(WPARAM wParam, LPARAM lParam);
