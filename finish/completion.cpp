#include "finish/completion.h"

#include <shellapi.h>

#include "app/profile.h"
#include "app/run_state.h"
#include "profile_values.h"
#include "res/resource.h"
#include "ui/setup_dlg.h"

namespace {

const char kCompleteStatus[] = "파일 복사 완료";
const char kShortcutQuestion[] = "단축아이콘을 [시작] 메뉴와 바탕화면에 추가하겠습니까?";

// The run question holds the product name; a profile's name always fits.
static_assert(sizeof(PROFILE_PRODUCT_NAME) <= kFinishPathCapacity - 80,
              "product name too long for the run question");

bool AskYes(HWND owner, const char* question, UINT flags) {
    return MessageBoxA(owner, question, g_szMsgCaption, flags) == IDYES;
}

bool AskToRun(HWND owner) {
    char question[kFinishPathCapacity];
    FormatRunQuestion(g_szProductName, question, sizeof question);
    return AskYes(owner, question, MB_YESNO);
}

// An install folder too long for the program's path starts nothing.
bool LaunchProduct(HWND owner, const char* installDir, const char* parameters) {
    if (!ComposeInstallTarget(installDir, g_szProductExe, g_szLaunchPath, sizeof g_szLaunchPath))
        return false;
    ShellExecuteA(owner, nullptr, g_szLaunchPath, parameters, installDir, SW_SHOW);
    return true;
}

}  // namespace

bool FinishInstall(HWND owner, CompletionVariant variant, const FinishPlaces& places,
                   const char* linkUrl, const char* runArgs) {
    bool run = true;
    switch (variant) {
        case CompletionVariant::kDirect:
            CreateStandardShortcuts(places);
            break;
        case CompletionVariant::kExternal:
            CreateExternalShortcuts(places, linkUrl);
            break;
        case CompletionVariant::kAsking:
            if (AskYes(owner, kShortcutQuestion, MB_YESNO | MB_ICONQUESTION))
                CreateStandardShortcuts(places);
            run = AskToRun(owner);
            break;
    }
    if (!run) return false;
    return LaunchProduct(owner, places.installDir,
                         LaunchParametersFor(variant, runArgs, g_szLaunchArgs));
}

LRESULT CSetupDlg::OnSetupComplete(WPARAM, LPARAM) {
    ::SetDlgItemTextA(g_hMainWnd, IDC_STATUS, kCompleteStatus);
    SpecialFolderPaths paths;
    FinishPlaces places = CurrentUserPlaces(g_hMainWnd, g_szInstallDir, &paths);
    CompletionVariant variant =
        ChooseCompletionVariant(g_szArchiveName, g_szDirectSuffix, g_bExternalMode != 0);
    FinishInstall(m_hWnd, variant, places, g_strLinkUrl, g_strRunArgs);
    EndDialog(IDOK);
    return 1;
}
