#include "install/progress.h"

#include "app/profile.h"
#include "app/run_state.h"
#include "install/progress_rules.h"
#include "res/resource.h"

namespace {

const char kCancelQuestion[] = "설치를 중단하겠습니까?";

}  // namespace

CancelQuestionFn g_pfnCancelQuestion = MessageBoxA;

void BeginFile(const char* name, uint32_t size) {
    BeginFile(&g_copyProgress, name, size);
}

void ReportCopyProgress(int32_t bytesWritten) {
    ProgressWrites writes;
    ReportCopyProgress(&g_copyProgress, bytesWritten, &writes);
    if (writes.writeStatus) SetDlgItemTextA(g_hMainWnd, IDC_STATUS, writes.status);
    if (writes.writePercent) SetDlgItemTextA(g_hMainWnd, IDC_PERCENT, writes.percent);
}

void ResetCopyProgress() {
    ResetRunProgress(&g_copyProgress);
}

bool ContinueAtCheckPoint(UINT questionFlags) {
    if (g_bRunning) return true;
    if (g_pfnCancelQuestion(g_hMainWnd, kCancelQuestion, g_szMsgCaption, questionFlags) == IDNO) {
        g_bRunning = 1;
        return true;
    }
    g_bUserAborted = 1;
    g_bRunning = 0;
    return false;
}
