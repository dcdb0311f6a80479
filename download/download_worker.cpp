#include "download/download_worker.h"

#include "app/stage_thread.h"
#include "app/texts.h"
#include "download/download_rules.h"
#include "download/package_request.h"
#include "download/package_signature.h"
#include "download/signature_rules.h"
#include "download/url_rules.h"
#include "fw/bounded_text.h"
#include "fw/proc_address.h"
#include "fw/scoped.h"
#include "fw/system_library.h"

namespace {

const UINT kCancelQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
// Each block read is stored and its percentage shown before the next one.
const UINT kBlockSize = 4096;
// A run without a dialog shows no percentage, so nothing ties its blocks to that size: it
// reads 64 KiB at a time, sixteen times fewer WinInet reads and archive writes.
const UINT kUnwatchedBlockSize = 64 * 1024;

typedef BOOL(WINAPI* IsNetworkAliveFn)(LPDWORD);

StageResult Failed(StageCode code, ErrorKind kind = ErrorKind::kNone, int32_t error = 0) {
    return StageFailed(Stage::kDownload, code, kind, error);
}

StageResult FailedWithError(StageCode code, DWORD error) {
    return Failed(code, ErrorKind::kWin32, static_cast<int32_t>(error));
}

StageResult Succeeded() { return StageSucceeded(Stage::kDownload); }

// One package on its way into the archive, across the retries after a cut.
struct Transfer {
    Transfer(const DownloadJob& job, CInternetSession& session)
        : job(job), session(session), archive(*job.archive), keyed(job.profile->packageKeyBytes > 0) {}

    const DownloadJob& job;
    CInternetSession& session;
    PackageLocation location = {};  // as asked for; each request follows its own redirects
    TempArchive& archive;
    PackageRequest request;
    const bool keyed;         // the profile has a publisher key: the package is checked
    PackageCheck check;       // when keyed: the SHA-256 of the bytes in the archive
    int32_t length = 0;       // the package's Content-Length
    uint64_t onDisk = 0;      // bytes stored in the archive
    CString etag;             // the first response's validators, to tell a changed package
    CString lastModified;
};

// The profile's server, or the "/axs:" package URL. False when the URL is refused or a part of
// it is too long to be requested.
bool SettleLocation(const DownloadJob& job, PackageLocation* location) {
    if (job.externalMode) return SplitPackageLocation(job.packageUrl, location);
    const ProductProfile& p = *job.profile;
    char url[kUrlHostCapacity + kUrlObjectCapacity + 16];
    return ComposePackageUrl(p.packageScheme, p.packageHost, p.packagePort, p.packagePathFmt,
                             p.archiveName, url, sizeof url) &&
           SplitPackageLocation(url, location);
}

// Status 200, a Content-Length of at least 1 (into |length|) and an application type; checked
// before any file is made.
StageResult CheckResponse(const PackageRequest& request, int32_t* length) {
    DWORD status = request.Status();
    CString lengthText = request.Header(HTTP_QUERY_CONTENT_LENGTH);
    CString headers = request.Header(HTTP_QUERY_RAW_HEADERS_CRLF);
    switch (ValidateResponse(status, lengthText, headers, length)) {
        case ResponseCheck::kOk: return Succeeded();
        case ResponseCheck::kBadStatus: return Failed(StageCode::kStatus, ErrorKind::kHttpStatus, static_cast<int32_t>(status));
        case ResponseCheck::kBadLength: return Failed(StageCode::kLength);
        case ResponseCheck::kNotApplication: break;
    }
    return Failed(StageCode::kContentType);
}

// The download's cancel check point: false once the user confirmed Cancel.
bool GoesOn(const DownloadJob& job) {
    return ContinueAfterCancelCheck(job.flags, job.reporter, kDownloadCancelQuestion, kCancelQuestionFlags);
}

StageResult SignatureVerdict(const SignatureResult& checked) {
    int32_t error = static_cast<int32_t>(checked.error);
    switch (checked.code) {
        case SignatureCheck::kOk: return Succeeded();
        case SignatureCheck::kCancelled: return Failed(StageCode::kUserAbort);
        case SignatureCheck::kMalformed: return Failed(StageCode::kSignatureMalformed);
        case SignatureCheck::kMismatch: return Failed(StageCode::kSignatureMismatch, ErrorKind::kHresult, error);
        default: return Failed(StageCode::kSignatureCheck, SystemErrorKind(checked.error), error);
    }
}

// The archive for a package taken from its first byte: made for the run's first package,
// emptied through its handle for a later one (a 200 after a cut); the hash starts again with it.
StageResult StartArchive(Transfer* t) {
    if (!t->archive.handle()) {
        DWORD error = t->archive.Create();
        if (error != 0) return FailedWithError(StageCode::kArchiveCreate, error);
    } else if (!t->archive.Empty()) {
        return StageFailedWithLastError(Stage::kDownload, StageCode::kWrite);
    }
    return t->keyed ? SignatureVerdict(t->check.Begin()) : Succeeded();
}

// An empty archive for a package taken from its first byte, with that response's length and
// validators.
StageResult BeginArchive(Transfer* t, int32_t length, const CString& etag, const CString& lastModified) {
    StageResult started = StartArchive(t);
    if (!started.ok()) return started;
    t->onDisk = 0;
    t->length = length;
    t->etag = etag;
    t->lastModified = lastModified;
    return Succeeded();
}

// The block just read, into the archive and, when keyed, into the hash.
StageResult StoreBlock(Transfer* t, const char* block, UINT count) {
    if (!t->archive.Write(block, count)) return StageFailedWithLastError(Stage::kDownload, StageCode::kWrite);
    t->onDisk += count;
    return t->keyed ? SignatureVerdict(t->check.Add(block, count)) : Succeeded();
}

void ShowPercent(const StageReporter& reporter, uint64_t received, int32_t length) {
    char text[kPercentTextCapacity];
    uint32_t shown = received > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(received);
    FormatPercent(DownloadPercent(shown, length), text, sizeof text);
    reporter.ShowPercent(text);
}

// The end of the body: exactly |length| bytes, or which way it missed.
StageResult BodyEnded(ReadOutcome outcome, uint64_t received, int32_t length) {
    if (outcome == ReadOutcome::kComplete) return Succeeded();
    bool isLong = CheckBodyComplete(received, length) == BodyCheck::kLong;
    return Failed(isLong ? StageCode::kBodyLong : StageCode::kBodyShort);
}

// Stores the body of the transfer's request behind the bytes already on disk, to the read that
// returns 0 bytes. Fails on a read error, a short write, a confirmed cancel, or a body that
// ends short of or goes past the package's length.
StageResult ReceiveBody(Transfer* t) {
    char block[kUnwatchedBlockSize];
    const UINT blockSize = t->job.reporter.dialog() ? kBlockSize : kUnwatchedBlockSize;
    for (;;) {
        if (!GoesOn(t->job)) return Failed(StageCode::kUserAbort);
        UINT count = 0;
        if (!t->request.response().Read(block, blockSize, &count))
            return StageFailedWithLastError(Stage::kDownload, StageCode::kRead);
        StageResult stored = StoreBlock(t, block, count);
        if (!stored.ok()) return stored;
        ShowPercent(t->job.reporter, t->onDisk, t->length);
        ReadOutcome outcome = AfterBodyRead(count, t->onDisk, t->length);
        if (outcome != ReadOutcome::kMore) return BodyEnded(outcome, t->onDisk, t->length);
    }
}

// A whole package from its first byte: the request, its check, the archive made or emptied,
// the body.
StageResult FetchWhole(Transfer* t) {
    int32_t length = 0;
    StageResult result = t->request.Send(t->session, t->location, 0);
    if (result.ok()) result = CheckResponse(t->request, &length);
    if (!result.ok()) return result;
    result = BeginArchive(t, length, t->request.Header(HTTP_QUERY_ETAG), t->request.Header(HTTP_QUERY_LAST_MODIFIED));
    if (!result.ok()) return result;
    t->job.reporter.ShowStatus(kDownloadingStatus);
    t->job.reporter.ShowPercent("");
    return ReceiveBody(t);
}

// The rest of a cut package, asked for from the bytes on disk on: a piece of the same package
// is appended; a whole new one (200) replaces the archive; anything that cannot be stitched
// starts the package again from zero.
StageResult FetchRest(Transfer* t) {
    if (!GoesOn(t->job)) return Failed(StageCode::kUserAbort);
    StageResult result = t->request.Send(t->session, t->location, t->onDisk);
    if (!result.ok()) return result;
    CString range = t->request.Header(HTTP_QUERY_CONTENT_RANGE);
    CString length = t->request.Header(HTTP_QUERY_CONTENT_LENGTH);
    CString headers = t->request.Header(HTTP_QUERY_RAW_HEADERS_CRLF);
    CString etag = t->request.Header(HTTP_QUERY_ETAG);
    CString lastModified = t->request.Header(HTTP_QUERY_LAST_MODIFIED);
    ResumePoint point = {t->onDisk, t->length, {t->etag, t->lastModified}};
    RangedResponse response = {t->request.Status(), range, length, headers, {etag, lastModified}};
    int32_t newLength = 0;
    switch (JudgeRangedResponse(point, response, &newLength)) {
        case ResumeVerdict::kAppend: return ReceiveBody(t);
        case ResumeVerdict::kStoreWhole:
            result = BeginArchive(t, newLength, etag, lastModified);
            return result.ok() ? ReceiveBody(t) : result;
        case ResumeVerdict::kRestart: return FetchWhole(t);
        case ResumeVerdict::kFail: break;
    }
    // A 200 is refused for what a first response would be refused for; say which.
    if (response.status == 200) return CheckResponse(t->request, &newLength);
    return Failed(StageCode::kStatus, ErrorKind::kHttpStatus, static_cast<int32_t>(response.status));
}

// Whether a failure is taken up again: a cut transfer, and, once retrying, a retry that could
// not be sent either.
bool Retryable(const StageResult& result, int retriesMade) {
    switch (result.code) {
        case StageCode::kBodyShort:
        case StageCode::kRead: return true;
        case StageCode::kConnect:
        case StageCode::kRequest:
        case StageCode::kSend: return retriesMade > 0;
        default: return false;
    }
}

// The package into the archive, taken up again after a cut as often as the profile allows (at
// most kMaxResumeRetries times), with a pause that grows each time.
StageResult FetchPackage(Transfer* t) {
    const int allowed = t->job.profile->resumeRetries;
    StageResult result = FetchWhole(t);
    for (int retries = 0; Retryable(result, retries) &&
                          ShouldRetry(t->onDisk, t->length, retries, allowed);
         ++retries) {
        Sleep(RetryPauseMs(retries));
        result = FetchRest(t);
    }
    return result;
}

// The signature's bytes, fetched as the package was, from the package's path with ".sig"
// added before its query.
StageResult FetchSignature(Transfer* t, uint8_t* signature, size_t* signatureBytes) {
    PackageLocation location = t->location;
    if (!ComposeSignatureObject(t->location.object, location.object, sizeof location.object))
        return Failed(StageCode::kPackageUrl);
    int32_t length = 0;
    StageResult result = t->request.Send(t->session, location, 0);
    if (result.ok()) result = CheckResponse(t->request, &length);
    if (!result.ok()) return Failed(StageCode::kSignatureFetch, result.kind, result.error);
    *signatureBytes = 0;
    for (UINT count = 1; count > 0; *signatureBytes += count) {
        size_t room = kMaxModulusBytes + 1 - *signatureBytes;  // one byte more: too long is malformed
        if (room == 0) return Failed(StageCode::kSignatureMalformed);
        if (!t->request.response().Read(signature + *signatureBytes, static_cast<UINT>(room), &count))
            return StageFailedWithLastError(Stage::kDownload, StageCode::kSignatureFetch);
    }
    return Succeeded();
}

// The complete archive against the publisher's signature, before anything is extracted: the
// hash of the bytes the download wrote, so nothing is read back.
StageResult CheckSignature(Transfer* t) {
    const ProductProfile& p = *t->job.profile;
    t->job.reporter.ShowStatus(p.verifyingStatus);
    t->job.reporter.ShowPercent("");
    if (!GoesOn(t->job)) return Failed(StageCode::kUserAbort);
    uint8_t signature[kMaxModulusBytes + 1];
    size_t signatureBytes = 0;
    StageResult result = FetchSignature(t, signature, &signatureBytes);
    if (!result.ok()) return result;
    return SignatureVerdict(t->check.Verify(p.packageKey, p.packageKeyBytes, signature, signatureBytes));
}

// One download over |session| into a new archive (an earlier run's goes first). A failure the
// user did not ask for shows the download notice while the request and the partial archive
// are still open; every failure then closes the archive, which deletes it, also one its
// signature refused. Leaving the scope closes the request and the connection.
StageResult Download(const DownloadJob& job, CInternetSession& session) {
    job.archive->Close();
    Transfer t(job, session);
    StageResult result = SettleLocation(job, &t.location) ? FetchPackage(&t) : Failed(StageCode::kPackageUrl);
    if (result.ok() && t.keyed) result = CheckSignature(&t);
    if (!result.ok()) {
        if (result.code != StageCode::kUserAbort) job.reporter.ShowMessage(kDownloadFailedMessage, MB_OK);
        job.archive->Close();
    }
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

// sensapi.dll is looked up at run time, in the system folder only, so the program imports only
// DLLs that every Windows has loaded anyway. Where it is missing the network cannot be asked
// about: the request is tried, and a missing network then fails it with the download notice.
bool IsNetworkConnected() {
    ScopedLibrary sensapi(LoadSystemLibrary("sensapi.dll"));
    if (!sensapi) return true;
    IsNetworkAliveFn isNetworkAlive = GetProcAddressAs<IsNetworkAliveFn>(sensapi.get(), "IsNetworkAlive");
    if (!isNetworkAlive) return true;
    DWORD type = 0;
    // A second question, as the first answer can lag behind a network just brought up.
    return isNetworkAlive(&type) || isNetworkAlive(&type);
}
