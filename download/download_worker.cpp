#include "download/download_worker.h"

#include <cerrno>
#include <memory>

#include "app/stage_thread.h"
#include "download/download_rules.h"
#include "fw/bounded_text.h"
#include "fw/internet.h"
#include "fw/proc_address.h"
#include "fw/scoped.h"

namespace {

const char kNoNetworkMessage[] =
    "현재 인터넷이 연결되어 있지 않습니다.\n\n확인 후, 나중에 다시 시도해 주시기 바랍니다.";
const char kDownloadFailedMessage[] =
    "파일 다운로드 과정 중 이상이 생겼습니다.\n\n"
    "인터넷 연결 상태 확인 후, 나중에 다시 시도해 주시기 바랍니다.";
const char kCancelQuestion[] = "다운로드를 중단하겠습니까?";
const UINT kCancelQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
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

StageResult Failed(StageCode code, ErrorKind kind = ErrorKind::kNone, int32_t error = 0) {
    return StageFailed(Stage::kDownload, code, kind, error);
}

StageResult FailedWithLastError(StageCode code) { return StageFailedWithLastError(Stage::kDownload, code); }

StageResult FailedWithErrno(StageCode code) { return Failed(code, ErrorKind::kErrno, errno); }

struct DownloadSource {
    char host[kHostCapacity];
    char object[kObjectCapacity];
};

// The profile's server, or the "/axs:" package URL. False when a part of the
// URL is too long to be requested.
bool SettleSource(const DownloadJob& job, DownloadSource* source) {
    if (!job.externalMode) {
        lstrcpynA(source->host, job.profile->packageHost, sizeof source->host);
        return ComposeDefaultObject(job.profile->packagePathFmt, job.profile->archiveName,
                                    source->object, sizeof source->object);
    }
    return SplitPackageUrl(job.packageUrl, source->host, sizeof source->host, source->object,
                           sizeof source->object);
}

// Status 200, a Content-Length of at least 1 (into |length|) and an
// application type; checked before any file is made.
StageResult CheckResponse(const CHttpFile& request, int32_t* length) {
    DWORD status = 0;  // stays 0 when the status cannot be read
    request.QueryInfoStatusCode(status);
    CString lengthText;
    CString headers;
    request.QueryInfo(HTTP_QUERY_CONTENT_LENGTH, lengthText);
    request.QueryInfo(HTTP_QUERY_RAW_HEADERS_CRLF, headers);
    switch (ValidateResponse(status, lengthText, headers, length)) {
        case ResponseCheck::kOk: return StageSucceeded(Stage::kDownload);
        case ResponseCheck::kBadStatus:
            return Failed(StageCode::kStatus, ErrorKind::kHttpStatus, static_cast<int32_t>(status));
        case ResponseCheck::kBadLength: return Failed(StageCode::kLength);
        case ResponseCheck::kNotApplication: break;
    }
    return Failed(StageCode::kContentType);
}

void ShowPercent(const StageReporter& reporter, uint32_t received, int32_t length) {
    char text[kPercentTextCapacity];
    FormatPercent(DownloadPercent(received, length), text, sizeof text);
    reporter.ShowPercent(text);
}

// The end of the body: exactly |length| bytes, or which way it missed.
StageResult BodyEnded(ReadOutcome outcome, uint32_t received, int32_t length) {
    if (outcome == ReadOutcome::kComplete) return StageSucceeded(Stage::kDownload);
    bool isLong = CheckBodyComplete(received, length) == BodyCheck::kLong;
    return Failed(isLong ? StageCode::kBodyLong : StageCode::kBodyShort);
}

// Stores the body in |archive|, to the read that returns 0 bytes. Fails on a
// read error, a short write, a confirmed cancel, or a body that is shorter or
// longer than |length|.
StageResult ReceiveBody(const DownloadJob& job, CHttpFile& request, int32_t length,
                        ArchiveWriter* archive) {
    char block[kBlockSize];
    uint32_t received = 0;
    for (;;) {
        if (!ContinueAfterCancelCheck(job.flags, job.reporter, kCancelQuestion, kCancelQuestionFlags))
            return Failed(StageCode::kUserAbort);
        UINT count = 0;
        if (!request.Read(block, sizeof block, &count)) return FailedWithLastError(StageCode::kRead);
        if (!archive->Write(block, count)) return FailedWithErrno(StageCode::kWrite);
        received += count;
        ShowPercent(job.reporter, received, length);
        ReadOutcome outcome = AfterBodyRead(count, received, length);
        if (outcome != ReadOutcome::kMore) return BodyEnded(outcome, received, length);
    }
}

// Creates the archive for an accepted response and fills it.
StageResult StoreBody(const DownloadJob& job, CHttpFile& request, int32_t length,
                      ArchiveWriter* archive) {
    if (!archive->Create()) return FailedWithErrno(StageCode::kArchiveCreate);
    job.reporter.ShowStatus(kDownloadingStatus);
    job.reporter.ShowPercent("");
    StageResult result = ReceiveBody(job, request, length, archive);
    if (result.ok() && !archive->Finish()) return FailedWithErrno(StageCode::kWrite);
    return result;
}

// Connects, asks for the package and stores it. The connection and the request go to the
// caller, who closes them after the notice.
StageResult Fetch(const DownloadJob& job, CInternetSession& session,
                  std::unique_ptr<CHttpConnection>* connection, std::unique_ptr<CHttpFile>* request,
                  ArchiveWriter* archive) {
    if (!session.IsOpen()) return FailedWithLastError(StageCode::kSession);
    DownloadSource source;
    if (!SettleSource(job, &source)) return Failed(StageCode::kPackageUrl);
    connection->reset(session.GetHttpConnection(source.host));
    if (!*connection) return FailedWithLastError(StageCode::kConnect);
    request->reset((*connection)->OpenRequest(CHttpConnection::HTTP_VERB_GET, source.object,
                                              nullptr, 1, kRequestFlags));
    if (!*request) return FailedWithLastError(StageCode::kRequest);
    (*request)->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, kStallTimeoutMs);
    (*request)->SetOption(INTERNET_OPTION_SEND_TIMEOUT, kStallTimeoutMs);
    if (!(*request)->SendRequest()) return FailedWithLastError(StageCode::kSend);
    int32_t length = 0;
    StageResult response = CheckResponse(**request, &length);
    if (!response.ok()) return response;
    return StoreBody(job, **request, length, archive);
}

// One attempt over |session|. A failure the user did not ask for shows the download notice
// while the request and the partial archive are still open; leaving the scope then deletes
// the partial archive, closes the request and the connection.
StageResult Download(const DownloadJob& job, CInternetSession& session) {
    std::unique_ptr<CHttpConnection> connection;
    std::unique_ptr<CHttpFile> request;
    ArchiveWriter archive(*job.archive);
    StageResult result = Fetch(job, session, &connection, &request, &archive);
    if (!result.ok() && result.code != StageCode::kUserAbort)
        job.reporter.ShowMessage(kDownloadFailedMessage, MB_OK);
    return result;
}

}  // namespace

void StartDownload(DownloadJob* job) {
    StartStageThread(Stage::kDownload, job->flags, job->reporter, StageWorker<DownloadJob, RunDownload>, job);
}

StageResult RunDownload(const DownloadJob& job) {
    if (!IsNetworkConnected()) {
        job.reporter.ShowMessage(kNoNetworkMessage, MB_OK);
        return Failed(StageCode::kNoNetwork);
    }
    CInternetSession session(job.profile->sessionAgent);
    StageResult result = Download(job, session);
    session.Close();
    return result;
}

// sensapi.dll is looked up at run time, so the program imports only DLLs that
// every Windows has loaded anyway. Where it is missing the network cannot be
// asked about: the request is tried, and a missing network then fails it
// with the download notice.
bool IsNetworkConnected() {
    ScopedLibrary sensapi(LoadLibraryA("sensapi.dll"));
    if (!sensapi) return true;
    IsNetworkAliveFn isNetworkAlive = GetProcAddressAs<IsNetworkAliveFn>(sensapi.get(), "IsNetworkAlive");
    if (!isNetworkAlive) return true;
    DWORD type = 0;
    // A second question, as the first answer can lag behind a network just brought up.
    return isNetworkAlive(&type) || isNetworkAlive(&type);
}
