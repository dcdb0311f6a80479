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
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
    ON_COMMAND_MESSAGE(WM_DESTROY, OnDestroy)
    ON_BN_CLICKED(IDC_INSTALL, OnInstall)
    ON_MESSAGE(WM_SETUP_START, OnSetupStart)
    ON_MESSAGE(WM_SETUP_DOWNLOADED, OnSetupDownloaded)
    ON_MESSAGE(WM_SETUP_EXTRACTED, OnSetupExtracted)
    ON_MESSAGE(WM_SETUP_COMPLETE, OnSetupComplete)
    ON_MESSAGE(WM_SETUP_FAILED, OnSetupFailed)
END_MESSAGE_MAP()

CSetupDlg::CSetupDlg(HWND parent) : CDialog(IDD_SETUP_DIALOG, parent) {
    m_hIcon = LoadIconA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CSetupDlg::~CSetupDlg() = default;

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetWindowText(m_run.profile->setupTitle);
    SetDlgItemText(IDC_BANNER_TEXT, m_run.profile->bannerText);
    m_run.options = ParseAxsOption(AfxGetApp()->m_lpCmdLine);
    GetDefaultInstallDir(m_run.installDir, m_run.profile->defaultSubdir);
    SetDlgItemText(IDC_STATUS, kIdleStatusText);
    SetDlgItemText(IDC_PATH, m_run.installDir);
    return TRUE;
}

void CSetupDlg::OnBrowse() {
    char picked[kPathCapacity];
    // Opens on the last submitted folder, not on unsubmitted edits.
    if (BrowseForInstallDir(m_hWnd, m_run.installDir, m_run.profile->defaultSubdir, picked))
        SetDlgItemText(IDC_PATH, picked);
}

void CSetupDlg::OnCancel() {
    if (m_run.flags.running) {
        m_run.flags.running = 0;  // a request: the running stage asks the user at its next check point
        return;
    }
    EndDialog(IDOK);
}

void CSetupDlg::OnDestroy() {
    m_run.archive.Delete();  // however the dialog ends, the downloaded archive goes with it
}

// ---- The run, in order ------------------------------------------------------------------------

// Install: the folder, the agreement (asked at every press, also after a run that failed) and
// the drive, on this thread; then the run starts.
void CSetupDlg::OnInstall() {
    const char* caption = m_run.profile->msgCaption;
    if (!ValidateInstallDir(m_hWnd, m_run.installDir)) {
        MessageBox(kBadPathMessage, caption, MB_OK);
        return;
    }
    CAgreementDlg agreement(m_hWnd);
    if (agreement.DoModal() != IDOK || !agreement.Agreed()) return;
    if (!CheckInstallDrive(m_run.installDir, *m_run.profile)) {
        MessageBox(kCapacityMessage, caption, MB_OK);
        return;
    }
    EnableDlgItem(IDC_BROWSE, FALSE);
    EnableDlgItem(IDC_PATH, FALSE);
    UpdateWindow(m_hWnd);
    PostMessageA(m_hWnd, WM_SETUP_START, 0, 0);
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
    Reporter(0).Finish(StageFailed(Stage::kStart, refusal));
    return false;
}

// Download, ending with WM_SETUP_DOWNLOADED.
LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM) {
    SetDlgItemText(IDC_PATH, m_run.installDir);
    ResetRunProgress(&m_run.progress);
    EnableDlgItem(IDC_INSTALL, FALSE);
    if (!StartRun()) return 1;
    m_run.download = {
        .profile = m_run.profile,
        .externalMode = m_run.options.externalMode,
        .packageUrl = m_run.options.downloadUrl,
        .archive = &m_run.archive,
        .flags = &m_run.flags,
        .reporter = Reporter(WM_SETUP_DOWNLOADED),
    };
    StartDownload(&m_run.download);
    return 1;
}

// Extraction, ending with WM_SETUP_EXTRACTED.
LRESULT CSetupDlg::OnSetupDownloaded(WPARAM, LPARAM) {
    m_run.extract = {
        .archivePath = m_run.archive.path(),
        .installDir = m_run.installDir,
        .progress = &m_run.progress,
        .flags = &m_run.flags,
        .reporter = Reporter(WM_SETUP_EXTRACTED),
    };
    StartExtraction(&m_run.extract);
    return 1;
}

// The data folder, when the profile has one, ending with WM_SETUP_COMPLETE.
LRESULT CSetupDlg::OnSetupExtracted(WPARAM, LPARAM) {
    m_run.dataCopy = {
        .installDir = m_run.installDir,
        .dataBytes = m_run.profile->dataBytes,
        .progress = &m_run.progress,
        .flags = &m_run.flags,
        .reporter = Reporter(WM_SETUP_COMPLETE),
    };
    StartDataCopy(&m_run.dataCopy);
    return 1;
}

// The end of a successful run: shortcuts, uninstall entry, the product started.
LRESULT CSetupDlg::OnSetupComplete(WPARAM, LPARAM) {
    SetDlgItemText(IDC_STATUS, kCompleteStatus);
    SpecialFolderPaths paths;
    FinishJob job = {
        .owner = m_hWnd,
        .profile = m_run.profile,
        .places = CurrentUserPlaces(m_hWnd, m_run.installDir, &paths),
        .externalMode = m_run.options.externalMode,
        .linkUrl = m_run.options.linkUrl,
        .runArgs = m_run.options.runArgs,
    };
    // The scale's total is 1 + the bytes the size pass counted.
    job.places.extractedBytes = m_run.progress.totalBytes > 1 ? static_cast<uint64_t>(m_run.progress.totalBytes) - 1 : 0;
    FinishInstall(&job);
    EndDialog(IDOK);
    return 1;
}

// Any stage that failed: the message, and the dialog idle again for another press of Install.
LRESULT CSetupDlg::OnSetupFailed(WPARAM wParam, LPARAM lParam) {
    WriteFailureLine(StageResultOfMessage(wParam, lParam));
    SetDlgItemText(IDC_STATUS, kIdleStatusText);
    SetDlgItemText(IDC_PERCENT, "");
    ShowWindow(m_hWnd, SW_SHOW);
    const char* caption = m_run.profile->msgCaption;
    if (m_run.flags.userAborted)
        MessageBox(kAbortedMessage, caption, MB_OK | MB_ICONINFORMATION);
    else
        MessageBox(kFailedMessage, caption, MB_OK);
    EnableDlgItem(IDC_BROWSE, TRUE);
    EnableDlgItem(IDC_PATH, TRUE);
    EnableDlgItem(IDC_INSTALL, TRUE);
    m_run.flags.running = 0;
    m_run.flags.userAborted = 0;
    return 1;
}

// ---- Painting ---------------------------------------------------------------------------------

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
