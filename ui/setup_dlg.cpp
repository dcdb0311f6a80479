#include "ui/setup_dlg.h"

#include "app/messages.h"
#include "app/setup_app.h"
#include "app/texts.h"
#include "download/download_rules.h"
#include "finish/completion.h"
#include "fw/app.h"
#include "res/resource.h"
#include "ui/agreement_dlg.h"
#include "ui/install_dir.h"

namespace {

// One line per failure for the debug output (Wine shows it with WINEDEBUG=+debugstr).
void WriteFailureLine(const StageResult& result) {
    char line[192];
    if (!FormatStageFailure(result, line, sizeof line - 1)) return;
    lstrcatA(line, "\n");
    OutputDebugStringA(line);
}

}  // namespace

void RunSetupDialog() {
    CSetupDlg dialog(nullptr);
    dialog.DoModal();
}

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
    SetWindowText(g_szSetupTitle);
    SetDlgItemText(IDC_BANNER_TEXT, g_szBannerText);
    m_run.options = ParseAxsOption(AfxGetApp()->m_lpCmdLine);
    GetDefaultInstallDir(m_run.installDir, m_run.profile->defaultSubdir);
    SetDlgItemText(IDC_STATUS, kIdleStatusText);
    SetDlgItemText(IDC_PATH, m_run.installDir);
    return TRUE;
}

void CSetupDlg::OnInstall() {
    if (!ValidateInstallDir(m_hWnd, m_run.installDir)) return;  // it posted WM_SETUP_BADPATH

    CAgreementDlg agreement(m_hWnd);
    // Asked again at every press, also after an accepted one that was followed by a failure.
    if (agreement.DoModal() != IDOK || !agreement.Agreed()) return;

    if (!CheckInstallDrive(m_run.installDir, *m_run.profile)) {
        MessageBox(kCapacityMessage, g_szMsgCaption, MB_OK);
        return;
    }
    EnableDlgItem(IDC_BROWSE, FALSE);
    EnableDlgItem(IDC_PATH, FALSE);
    UpdateWindow(m_hWnd);
    PostMessageA(m_hWnd, WM_SETUP_START, 0, 0);
}

void CSetupDlg::OnBrowse() {
    char picked[kPathCapacity];
    // Opens on the last submitted folder, not on unsubmitted edits.
    if (BrowseForInstallDir(m_hWnd, m_run.installDir, m_run.profile->defaultSubdir, picked))
        SetDlgItemText(IDC_PATH, picked);
}

LRESULT CSetupDlg::OnSetupBadPath(WPARAM, LPARAM) {
    MessageBox(kBadPathMessage, g_szMsgCaption, MB_OK);
    return 1;
}

void CSetupDlg::OnCancel() {
    if (m_run.flags.running) {
        m_run.flags.running = 0;  // a request: the running stage asks the user at its next check point
        return;
    }
    EndDialog(IDOK);
}

// The start of a run: the setup's own name and the temporary archive's. False when the run
// cannot start; the failure is then posted.
bool CSetupDlg::StartRun() {
    char modulePath[kPathCapacity] = "";
    GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    StageCode refusal = StageCode::kOk;
    if (!SetupNameRuleHolds(modulePath))
        refusal = StageCode::kSetupName;
    else if (!m_run.archive.Name(m_run.profile->tempArchiveName))
        refusal = StageCode::kTempArchive;
    if (refusal == StageCode::kOk) return true;
    Reporter().Finish(StageFailed(Stage::kStart, refusal));
    return false;
}

LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM) {
    SetDlgItemText(IDC_PATH, m_run.installDir);
    ResetRunProgress(&m_run.progress);
    EnableDlgItem(IDC_INSTALL, FALSE);
    if (!StartRun()) return 1;
    m_run.download = {m_run.profile, m_run.options.externalMode, m_run.options.downloadUrl,
                      &m_run.archive, &m_run.flags, Reporter()};
    StartDownload(&m_run.download);
    return 1;
}

LRESULT CSetupDlg::OnSetupDownloaded(WPARAM, LPARAM) {
    m_run.extract = {m_run.archive.handle(), m_run.installDir, &m_run.progress, &m_run.flags, Reporter()};
    StartExtraction(&m_run.extract);
    return 1;
}

LRESULT CSetupDlg::OnSetupExtracted(WPARAM, LPARAM) {
    m_run.dataCopy = {};
    m_run.dataCopy.installDir = m_run.installDir;
    m_run.dataCopy.dataBytes = m_run.profile->dataBytes;
    m_run.dataCopy.progress = &m_run.progress;
    m_run.dataCopy.flags = &m_run.flags;
    m_run.dataCopy.reporter = Reporter();
    StartDataCopy(&m_run.dataCopy);
    return 1;
}

LRESULT CSetupDlg::OnSetupComplete(WPARAM, LPARAM) {
    SetDlgItemText(IDC_STATUS, kCompleteStatus);
    SpecialFolderPaths paths;
    FinishJob job = {m_hWnd, m_run.profile, CurrentUserPlaces(m_hWnd, m_run.installDir, &paths),
                     m_run.options.externalMode, m_run.options.linkUrl, m_run.options.runArgs, ""};
    FinishInstall(&job);
    EndDialog(IDOK);
    return 1;
}

LRESULT CSetupDlg::OnSetupFailed(WPARAM wParam, LPARAM lParam) {
    WriteFailureLine(StageResultOfMessage(wParam, lParam));
    SetDlgItemText(IDC_STATUS, kIdleStatusText);
    SetDlgItemText(IDC_PERCENT, "");
    ShowWindow(m_hWnd, SW_SHOW);
    if (m_run.flags.userAborted)
        MessageBox(kAbortedMessage, g_szMsgCaption, MB_OK | MB_ICONINFORMATION);
    else
        MessageBox(kFailedMessage, g_szMsgCaption, MB_OK);
    EnableDlgItem(IDC_BROWSE, TRUE);
    EnableDlgItem(IDC_PATH, TRUE);
    EnableDlgItem(IDC_INSTALL, TRUE);
    m_run.flags.running = 0;
    m_run.flags.userAborted = 0;
    return 1;
}

void CSetupDlg::OnDestroy() {
    m_run.archive.Close();  // however the dialog ends, the downloaded archive goes with its handle
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
