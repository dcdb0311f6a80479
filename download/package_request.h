// One GET of the package (or of its signature): the connection and the request, with the
// redirects the server answers with followed by hand, so that a download that reached TLS
// never leaves it. Certificates are checked in full: no flag ever lowers the check.
#pragma once

#include <cstdint>
#include <memory>

#include "app/stage_result.h"
#include "download/url_rules.h"
#include "fw/internet.h"

class PackageRequest {
public:
    // Sends GET for |location| (from byte |rangeFrom| on when it is above 0) and follows the
    // redirects it meets: from plain HTTP to either scheme, from https only to https, at most
    // kMaxRedirects in a row. On success the final response's headers are in. A request sent
    // earlier is closed first.
    StageResult Send(CInternetSession& session, const PackageLocation& location, uint64_t rangeFrom);

    // The response to the last Send that succeeded.
    CHttpFile& response() const { return *request_; }
    DWORD Status() const;
    CString Header(DWORD level) const;

    // Closes the request and its connection.
    void Close();

private:
    StageResult SendOnce(CInternetSession& session, const PackageLocation& location, const char* headers);

    std::unique_ptr<CHttpConnection> connection_;
    std::unique_ptr<CHttpFile> request_;
};
