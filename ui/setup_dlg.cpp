#include "ui/setup_dlg.h"

#include "app/messages.h"
#include "app/profile.h"
#include "app/run_state.h"
#include "fw/app.h"
#include "res/resource.h"
#include "ui/agreement_dlg.h"
#include "ui/command_line.h"
#include "ui/install_dir.h"

const char kIdleStatusText[] = "설치할 경로를 입력하십시오.";

namespace {

const char kCapacityMessage[] =
    "설치할 드라이브(저장장치)에 여유공간이 부족하거나,\n\n"
    "기록 방지 혹은 기록 불가능한 미디어 저장장치가 설치 경로로 지정되었습니다.\n\n"
    "확인한 뒤, 설치를 다시 시도해 주십시오.\n\n";
const char kAbortedMessage[] = "설치가 중단되었습니다.";
const char kFailedMessage[] =
    "설치를 완료하지 못했습니다. 다음을 확인해 주십시오.\n\n"
    "(1) 설치 전 해당 프로그램 데모버전이나 예전버전 종료\n"
    "(2) 파일 시스템 이상 유무\n"
    "(3) 윈도우 시스템 이상 유무\n"
    "(4) 인터넷 연결 이상 유무";

}  // namespace

BEGIN_MESSAGE_MAP(CSetupDlg)
    ON_COMMAND_MESSAGE(WM_PAINT, OnPaint)
    ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
    ON_BN_CLICKED(IDC_INSTALL, OnInstall)
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_COMMAND_MESSAGE(WM_DESTROY, OnDestroy)
    ON_MESSAGE(WM_SETUP_COMPLETE, OnSetupComplete)
    ON_MESSAGE(WM_SETUP_FAILED, OnSetupFailed)
    ON_MESSAGE(WM_SETUP_BADPATH, OnSetupBadPath)
    ON_MESSAGE(WM_SETUP_START, OnSetupStart)
    ON_MESSAGE(WM_SETUP_EXTRACTED, OnSetupExtracted)
    ON_MESSAGE(WM_SETUP_DOWNLOADED, OnSetupDownloaded)
END_MESSAGE_MAP()

CSetupDlg::CSetupDlg(HWND parent) : CDialog(IDD_SETUP_DIALOG, parent) {
    m_hIcon = LoadIconA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CSetupDlg::~CSetupDlg() = default;

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    g_hMainWnd = m_hWnd;
    SetWindowText(g_szSetupTitle);
    SetDlgItemText(IDC_BANNER_TEXT, g_szBannerText);
    ApplyCommandLine();
    GetDefaultInstallDir();
    SetDlgItemText(IDC_STATUS, kIdleStatusText);
    SetDlgItemText(IDC_PATH, g_szInstallDir);
    return TRUE;
}

void CSetupDlg::ApplyCommandLine() {
    AxsOption option = ParseAxsOption(AfxGetApp()->m_lpCmdLine);
    g_bExternalMode = option.externalMode ? 1 : 0;
    g_strLinkUrl = option.linkUrl;
    g_strDownloadUrl = option.downloadUrl;
    g_strRunArgs = option.runArgs;
}

void CSetupDlg::OnInstall() {
    if (!ValidateInstallDir(m_hWnd)) return;  // it posted WM_SETUP_BADPATH

    CAgreementDlg agreement(m_hWnd);
    if (agreement.DoModal() != IDOK || g_bAgreed != 1) {
        g_bAgreed = 0;
        return;
    }
    g_bAgreed = 0;  // so the agreement is shown again at the next press

    if (!CheckInstallDrive()) {
        MessageBox(kCapacityMessage, g_szMsgCaption, MB_OK);
        return;
    }
    EnableDlgItem(IDC_BROWSE, FALSE);
    EnableDlgItem(IDC_PATH, FALSE);
    UpdateWindow(m_hWnd);
    PostMessageA(m_hWnd, WM_SETUP_START, 0, 0);
}

void CSetupDlg::OnCancel() {
    if (g_bRunning) {
        g_bRunning = 0;  // a request: the running stage asks the user at its next check point
        return;
    }
    EndDialog(IDOK);
}

LRESULT CSetupDlg::OnSetupFailed(WPARAM, LPARAM) {
    SetDlgItemText(IDC_STATUS, kIdleStatusText);
    SetDlgItemText(IDC_PERCENT, "");
    ShowWindow(m_hWnd, SW_SHOW);
    if (g_bUserAborted)
        MessageBox(kAbortedMessage, g_szMsgCaption, MB_OK | MB_ICONINFORMATION);
    else
        MessageBox(kFailedMessage, g_szMsgCaption, MB_OK);
    EnableDlgItem(IDC_BROWSE, TRUE);
    EnableDlgItem(IDC_PATH, TRUE);
    EnableDlgItem(IDC_INSTALL, TRUE);
    g_bRunning = 0;
    g_bUserAborted = 0;
    return 1;
}

void CSetupDlg::OnDestroy() {
    // However the dialog ends, the downloaded archive goes with it.
    if (g_szArchivePath[0]) DeleteFileA(g_szArchivePath);
}

void CSetupDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

LRESULT CSetupDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }
