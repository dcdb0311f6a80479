#include "app/stage_reporter.h"

#include "app/messages.h"
#include "app/profile.h"
#include "fw/wide_calls.h"
#include "res/resource.h"

StageMessageBoxFn g_pfnStageMessageBox = MessageBoxCp949;

void StageReporter::ShowStatus(const char* text) const {
    if (dialog_) SetDlgItemTextCp949(dialog_, IDC_STATUS, text);
}

void StageReporter::ShowPercent(const char* text) const {
    if (dialog_) SetDlgItemTextCp949(dialog_, IDC_PERCENT, text);
}

int StageReporter::ShowMessage(const char* text, UINT flags) const {
    return g_pfnStageMessageBox(dialog_, text, g_profile.msgCaption, flags);
}

void StageReporter::Finish(const StageResult& result) const {
    if (!dialog_) return;
    if (result.ok()) {
        PostMessageA(dialog_, doneMessage_, 0, 0);
        return;
    }
    uint32_t packed = 0;
    int32_t error = 0;
    PackStageResult(result, &packed, &error);
    PostMessageA(dialog_, WM_SETUP_FAILED, packed, static_cast<LPARAM>(error));
}

StageResult StageFailedWithLastError(Stage stage, StageCode code) {
    DWORD error = GetLastError();
    return StageFailed(stage, code, SystemErrorKind(error), static_cast<int32_t>(error));
}

StageResult StageResultOfMessage(WPARAM wParam, LPARAM lParam) {
    return UnpackStageResult(static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam));
}
