#include "download/package_request.h"

#include "app/stage_reporter.h"
#include "download/download_rules.h"

namespace {

// The package goes only into the temporary archive: not into WinInet's cache, where a copy of
// every download would stay behind, and never from it, where an older package could be
// waiting. Redirects are followed by hand: WinInet would follow one from https to plain HTTP.
const DWORD kRequestFlags = INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_CACHE_WRITE |
                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT;
// A server that stops sending for this long, before the headers or within the body, fails the
// download. WinInet's own default may never end the wait, and a Cancel press is only seen
// between reads.
const DWORD kStallTimeoutMs = 30000;

StageResult Failed(StageCode code) { return StageFailed(Stage::kDownload, code); }

StageResult FailedWithLastError(StageCode code) { return StageFailedWithLastError(Stage::kDownload, code); }

}  // namespace

StageResult PackageRequest::SendOnce(CInternetSession& session, const PackageLocation& location,
                                     const char* headers) {
    Close();
    connection_.reset(session.GetHttpConnection(location.host, location.port));
    if (!connection_) return FailedWithLastError(StageCode::kConnect);
    DWORD flags = kRequestFlags | (location.secure ? INTERNET_FLAG_SECURE : 0);
    request_.reset(connection_->OpenRequest(CHttpConnection::HTTP_VERB_GET, location.object, nullptr, 1, flags));
    if (!request_) return FailedWithLastError(StageCode::kRequest);
    request_->SetOption(INTERNET_OPTION_RECEIVE_TIMEOUT, kStallTimeoutMs);
    request_->SetOption(INTERNET_OPTION_SEND_TIMEOUT, kStallTimeoutMs);
    BOOL sent = headers[0] ? request_->SendRequest(headers) : request_->SendRequest();
    if (!sent) return FailedWithLastError(StageCode::kSend);  // certificate and TLS failures too
    return StageSucceeded(Stage::kDownload);
}

StageResult PackageRequest::Send(CInternetSession& session, const PackageLocation& location,
                                  uint64_t rangeFrom) {
    if (!session.IsOpen()) return FailedWithLastError(StageCode::kSession);
    char headers[kRangeHeaderCapacity] = "";
    if (rangeFrom > 0) ComposeRangeHeader(rangeFrom, headers, sizeof headers);
    PackageLocation here = location;
    for (int redirects = 0;; ++redirects) {
        StageResult sent = SendOnce(session, here, headers);
        if (!sent.ok() || !IsRedirectStatus(Status())) return sent;
        PackageLocation next;
        if (redirects == kMaxRedirects || !FollowRedirect(here, Header(HTTP_QUERY_LOCATION), &next))
            return Failed(StageCode::kRedirect);
        here = next;
    }
}

DWORD PackageRequest::Status() const {
    DWORD status = 0;  // stays 0 when the status cannot be read
    request_->QueryInfoStatusCode(status);
    return status;
}

CString PackageRequest::Header(DWORD level) const {
    CString value;
    request_->QueryInfo(level, value);
    return value;
}

void PackageRequest::Close() {
    request_.reset();
    connection_.reset();
}
