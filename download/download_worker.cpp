// The download stage: WM_SETUP_START names the temporary archive and starts
// DownloadWorker, which fetches the package with one HTTP GET, checks the
// response before it writes anything, stores the body block by block and ends
// with exactly one WM_SETUP_DOWNLOADED or WM_SETUP_FAILED.
#include "download/download_worker.h"

#include <cstdio>
#include <memory>

#include "app/messages.h"
#include "app/profile.h"
#include "app/run_state.h"
#include "download/download_rules.h"
#include "fw/internet.h"
#include "fw/proc_address.h"
#include "res/resource.h"
#include "ui/setup_dlg.h"

namespace {

const char kNoNetworkMessage[] =
    "현재 인터넷이 연결되어 있지 않습니다.\n\n확인 후, 나중에 다시 시도해 주시기 바랍니다.";
const char kDownloadFailedMessage[] =
    "파일 다운로드 과정 중 이상이 생겼습니다.\n\n"
    "인터넷 연결 상태 확인 후, 나중에 다시 시도해 주시기 바랍니다.";
const char kCancelQuestion[] = "다운로드를 중단하겠습니까?";
const char kDownloadingStatus[] = "파일 다운로드 중입니다.";

const UINT kBlockSize = 4096;
// The package goes only into the temporary archive: not into WinInet's cache,
// where a copy of every download would stay behind, and never from it, where
// an older package could be waiting.
const DWORD kRequestFlags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD;
// A server that stops sending for this long, before the headers or within
// the body, fails the download. WinInet's own default may never end the
// wait, and a Cancel press is only seen between reads.
const DWORD kStallTimeoutMs = 30000;
// INTERNET_MAX_HOST_NAME_LENGTH and INTERNET_MAX_URL_LENGTH: a part longer
// than WinInet takes could not be requested anyway.
const size_t kHostCapacity = 256 + 1;
const size_t kObjectCapacity = 2084 + 1;

typedef BOOL(WINAPI* IsNetworkAliveFn)(LPDWORD);

// The temporary archive while it is written. Unless Finish() closed it
// cleanly, it is closed and deleted when it goes: no partial archive is left.
class ArchiveFile {
public:
    ~ArchiveFile() {
        if (!m_file) return;
        fclose(m_file);
        DeleteFileA(m_path);
    }

    // Creates the file, or empties the one an earlier run left.
    bool Create(const char* path) {
        m_path = path;
        m_file = fopen(path, "wb");
        return m_file != nullptr;
    }

    // False when fewer than |count| bytes were taken (the disk is full).
    bool Write(const void* data, size_t count) { return fwrite(data, 1, count, m_file) == count; }

    // Closes the complete archive; false when its last bytes could not be written.
    bool Finish() {
        FILE* file = m_file;
        m_file = nullptr;
        if (fclose(file) == 0) return true;
        DeleteFileA(m_path);
        return false;
    }

private:
    FILE* m_file = nullptr;
    const char* m_path = "";
};

struct DownloadSource {
    char host[kHostCapacity];
    char object[kObjectCapacity];
};

// The profile's server, or the "/axs:" package URL. False when a part of the
// URL is too long to be requested.
bool SettleSource(DownloadSource* source) {
    if (!g_bExternalMode) {
        lstrcpynA(source->host, g_szPackageHost, sizeof source->host);
        return ComposeDefaultObject(g_szPackagePathFmt, g_szArchiveName, source->object,
                                    sizeof source->object);
    }
    return SplitPackageUrl(g_strDownloadUrl, source->host, sizeof source->host, source->object,
                           sizeof source->object);
}

// Status 200, a Content-Length of at least 1 (into |length|) and an
// application type; checked before any file is made.
bool ResponseAccepted(const CHttpFile& request, int32_t* length) {
    DWORD status = 0;  // stays 0 when the status cannot be read
    request.QueryInfoStatusCode(status);
    CString lengthText;
    CString headers;
    request.QueryInfo(HTTP_QUERY_CONTENT_LENGTH, lengthText);
    request.QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, headers);
    return ValidateResponse(status, lengthText, headers, length) == ResponseCheck::kOk;
}

// The cancel check point: after a Cancel press, asks the user. False when the
// user confirms; the run then fails as a user abort.
bool GoOnAfterCancelCheck() {
    if (g_bRunning) return true;
    int answer = MessageBoxA(g_hMainWnd, kCancelQuestion, g_szMsgCaption,
                             MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDNO) {
        g_bRunning = 1;
        return true;
    }
    g_bRunning = 0;
    g_bUserAborted = 1;
    return false;
}

void ShowPercent(uint32_t received, int32_t length) {
    char text[kPercentTextCapacity];
    FormatPercent(DownloadPercent(received, length), text, sizeof text);
    SetDlgItemTextA(g_hMainWnd, IDC_PERCENT, text);
}

// Stores the body in |archive|, to the read that returns 0 bytes. Fails on a
// read error, a short write, a confirmed cancel, or a body that is shorter or
// longer than |length|.
bool ReceiveBody(CHttpFile& request, int32_t length, ArchiveFile* archive) {
    char block[kBlockSize];
    uint32_t received = 0;
    for (;;) {
        if (!GoOnAfterCancelCheck()) return false;
        UINT count = 0;
        if (!request.Read(block, sizeof block, &count)) return false;
        if (!archive->Write(block, count)) return false;
        received += count;
        ShowPercent(received, length);
        ReadOutcome outcome = AfterBodyRead(count, received, length);
        if (outcome != ReadOutcome::kMore) return outcome == ReadOutcome::kComplete;
    }
}

// Creates the archive for an accepted response and fills it.
bool StoreBody(CHttpFile& request, int32_t length, ArchiveFile* archive) {
    if (!archive->Create(g_szArchivePath)) return false;
    SetDlgItemTextA(g_hMainWnd, IDC_STATUS, kDownloadingStatus);
    SetDlgItemTextA(g_hMainWnd, IDC_PERCENT, "");
    return ReceiveBody(request, length, archive) && archive->Finish();
}

// One attempt over |session|: true when the archive lies complete and closed.
// A failure the user did not ask for shows the download notice while the
// request and the partial archive are still open; leaving the scope then
// deletes the partial archive, closes the request and the connection.
bool Download(CInternetSession& session) {
    DownloadSource source;
    bool ok = session.IsOpen() && SettleSource(&source);
    std::unique_ptr<CHttpConnection> connection(ok ? session.GetHttpConnection(source.host)
                                                   : nullptr);
    std::unique_ptr<CHttpFile> request(
        connection ? connection->OpenRequest(CHttpConnection::HTTP_VERB_GET, source.object, nullptr,
                                             1, kRequestFlags)
                   : nullptr);
    ArchiveFile archive;
    int32_t length = 0;
    if (request) {
        request->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, kStallTimeoutMs);
        request->SetOption(INTERNET_OPTION_SEND_TIMEOUT, kStallTimeoutMs);
    }
    ok = request && request->SendRequest() && ResponseAccepted(*request, &length) &&
         StoreBody(*request, length, &archive);
    if (!ok && !g_bUserAborted)
        MessageBoxA(g_hMainWnd, kDownloadFailedMessage, g_szMsgCaption, MB_OK);
    return ok;
}

// g_szArchivePath = the temporary folder + g_szTempArchiveName. False, and
// the path left as it was, when the folder is unknown or the name would not fit.
bool NameTemporaryArchive() {
    char path[kPathBufferSize] = "";
    DWORD folderLength = GetTempPathA(sizeof path, path);
    if (folderLength == 0 || folderLength + lstrlenA(g_szTempArchiveName) >= sizeof path)
        return false;
    lstrcatA(path, g_szTempArchiveName);
    lstrcpyA(g_szArchivePath, path);
    return true;
}

}  // namespace

// sensapi.dll is looked up at run time, so the program imports only DLLs that
// every Windows has loaded anyway. Where it is missing the network cannot be
// asked about: the request is tried, and a missing network then fails it
// with the download notice.
bool IsNetworkConnected() {
    HMODULE sensapi = LoadLibraryA("sensapi.dll");
    if (!sensapi) return true;
    bool connected = true;
    IsNetworkAliveFn isNetworkAlive = GetProcAddressAs<IsNetworkAliveFn>(sensapi, "IsNetworkAlive");
    if (isNetworkAlive) {
        DWORD type = 0;
        // A second question, as the first answer can lag behind a network just brought up.
        connected = isNetworkAlive(&type) || isNetworkAlive(&type);
    }
    FreeLibrary(sensapi);
    return connected;
}

DWORD WINAPI DownloadWorker(LPVOID) {
    if (!IsNetworkConnected()) {
        MessageBoxA(g_hMainWnd, kNoNetworkMessage, g_szMsgCaption, MB_OK);
        PostMessageA(g_hMainWnd, WM_SETUP_FAILED, 0, 0);
        return 0;
    }
    CInternetSession session(g_szSessionAgent);
    bool ok = Download(session);
    session.Close();
    PostMessageA(g_hMainWnd, ok ? WM_SETUP_DOWNLOADED : WM_SETUP_FAILED, 0, 0);
    return 0;
}

LRESULT CSetupDlg::OnSetupStart(WPARAM, LPARAM) {
    SetDlgItemText(IDC_PATH, g_szInstallDir);
    g_nBytesBefore = 0;
    g_nBytesQueued = 0;
    g_nTotalBytes = 1;
    EnableDlgItem(IDC_INSTALL, FALSE);

    char modulePath[kPathBufferSize] = "";
    GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    if (!SetupNameRuleHolds(modulePath)) {
        PostMessageA(m_hWnd, WM_SETUP_FAILED, 0, 0);
        return 1;
    }
    if (!NameTemporaryArchive()) {
        PostMessageA(m_hWnd, WM_SETUP_FAILED, 0, 0);
        return 1;
    }
    g_bRunning = 1;
    HANDLE thread = CreateThread(nullptr, 0, DownloadWorker, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
        PostMessageA(m_hWnd, WM_SETUP_FAILED, 0, 0);
    return 1;
}
