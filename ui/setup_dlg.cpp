#include "ui/setup_dlg.h"

#include "app/messages.h"
#include "app/run_log.h"
#include "app/run_log_rules.h"
#include "app/texts.h"
#include "finish/completion.h"
#include "fw/app.h"
#include "fw/wide_calls.h"
#include "res/resource.h"
#include "ui/agreement_dlg.h"
#include "ui/install_dir.h"
#include "ui/run_jobs.h"

namespace {

// One line per failure for the debug output (Wine shows it with WINEDEBUG=+debugstr).
void WriteFailureLine(const StageResult& result) {
    char line[192];
    if (!FormatStageFailure(result, line, sizeof line - 1)) return;
    lstrcatA(line, "\n");
    OutputDebugStringA(line);
}

}  // namespace

int RunSetupDialog(const SetupSwitches& switches) {
    CSetupDlg dialog(nullptr, switches);
    dialog.DoModal();
    return dialog.exitCode();
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

CSetupDlg::CSetupDlg(HWND parent, const SetupSwitches& switches) : CDialog(IDD_SETUP_DIALOG, parent) {
    m_hIcon = LoadIconA(AfxGetApp()->m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_run.switches = switches;
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
    // A /dir: folder is typed in for the user; it meets the same rules when Install is pressed.
    const CString& given = m_run.switches.installDir;
    SetDlgItemText(IDC_PATH, given.IsEmpty() ? m_run.installDir : given.c_str());
    if (Passive()) PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_INSTALL, BN_CLICKED), 0);
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
        // A request: the running stage asks at its next check point (a passive run's answer is
        // "stop", which ends the run as cancelled).
        m_run.flags.running = 0;
        return;
    }
    LogRunLine(kLogCancelled);
    EndRun(kExitCancelled);
}

void CSetupDlg::EndRun(int exitCode) {
    m_exitCode = exitCode;
    EndDialog(IDOK);
}

void CSetupDlg::OnDestroy() {
    m_run.archive.Close();  // however the dialog ends, the downloaded archive goes with its handle
}

// ---- The run, in order ------------------------------------------------------------------------

// Install: the folder, the agreement (asked at every press, also after a run that failed) and
// the drive, on this thread; then the run starts.
void CSetupDlg::OnInstall() {
    if (!ValidateInstallDir(m_hWnd, m_run.installDir)) {
        Refuse(kLogFolderRefused, m_run.installDir, kBadPathMessage, kExitBadCommandLine);
        return;
    }
    if (!AgreementAccepted()) {
        LogRunLine(kLogLicenceDeclined);
        return;
    }
    if (!CheckInstallDrive(m_run.installDir, *m_run.profile)) {
        Refuse(kLogDriveRefused, m_run.installDir, kCapacityMessage, kExitFailed);
        return;
    }
    EnableDlgItem(IDC_BROWSE, FALSE);
    EnableDlgItem(IDC_PATH, FALSE);
    UpdateWindow(m_hWnd);
    PostMessageA(m_hWnd, WM_SETUP_START, 0, 0);
}

// A passive run was accepted by /accept-licence; a person reads and accepts it here.
bool CSetupDlg::AgreementAccepted() {
    if (Passive()) return true;
    CAgreementDlg agreement(m_hWnd);
    return agreement.DoModal() == IDOK && agreement.Agreed();
}

void CSetupDlg::Refuse(const char* logText, const char* detail, const char* message, int exitCode) {
    LogRunLine(logText, detail);
    if (Passive())
        EndRun(exitCode);
    else
        MessageBox(message, m_run.profile->msgCaption, MB_OK);
}

// The start of a run (BeginRun). False when the run cannot start; the failure is then posted.
bool CSetupDlg::StartRun() {
    StageResult begun = BeginRun(&m_run);
    if (begun.ok()) return true;
    Reporter(0).Finish(begun);
    return false;
}

// Download, ending with WM_SETUP_DOWNLOADED.
LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM) {
    SetDlgItemText(IDC_PATH, m_run.installDir);
    EnableDlgItem(IDC_INSTALL, FALSE);
    if (!StartRun()) return 1;
    LogStageStart(Stage::kDownload);
    m_run.download = DownloadJobOf(&m_run, Reporter(WM_SETUP_DOWNLOADED));
    StartDownload(&m_run.download);
    return 1;
}

// Extraction, ending with WM_SETUP_EXTRACTED.
LRESULT CSetupDlg::OnSetupDownloaded(WPARAM, LPARAM) {
    LogStageEnd(StageSucceeded(Stage::kDownload));
    LogStageStart(Stage::kExtract);
    m_run.extract = ExtractJobOf(&m_run, Reporter(WM_SETUP_EXTRACTED));
    StartExtraction(&m_run.extract);
    return 1;
}

// The data folder, when the profile has one, ending with WM_SETUP_COMPLETE.
LRESULT CSetupDlg::OnSetupExtracted(WPARAM, LPARAM) {
    LogStageEnd(StageSucceeded(Stage::kExtract));
    if (m_run.profile->dataBytes > 0) LogStageStart(Stage::kDataCopy);
    m_run.dataCopy = DataCopyJobOf(&m_run, Reporter(WM_SETUP_COMPLETE));
    StartDataCopy(&m_run.dataCopy);
    return 1;
}

// The end of a successful run: shortcuts, uninstall entry, the product started (not in a
// passive run).
LRESULT CSetupDlg::OnSetupComplete(WPARAM, LPARAM) {
    if (m_run.profile->dataBytes > 0) LogStageEnd(StageSucceeded(Stage::kDataCopy));
    SetDlgItemText(IDC_STATUS, kCompleteStatus);
    SpecialFolderPaths paths;
    FinishJob job = FinishJobOf(&m_run, m_hWnd, &paths);
    FinishInstall(&job);
    if (Passive()) LogRunLine(kLogNotStarted);
    EndRun(kExitInstalled);
    return 1;
}

// Any stage that failed: the message, and the dialog idle again for another press of Install.
// A passive run ends instead, with the failure's exit code.
LRESULT CSetupDlg::OnSetupFailed(WPARAM wParam, LPARAM lParam) {
    StageResult result = StageResultOfMessage(wParam, lParam);
    WriteFailureLine(result);
    LogStageEnd(result);
    if (Passive()) {
        EndRun(ExitCodeOf(result));
        return 1;
    }
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
