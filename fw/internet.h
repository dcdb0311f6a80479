// HTTP over WinInet: a session, a connection to one server, and a request on
// it, in the shape of the framework's internet classes. WinInet is loaded from
// the system folder when the first session opens (fw/wininet_functions.h).
//
// The program is built without exceptions, so where the framework would throw
// CInternetException these report failure as a value: a null object or FALSE,
// with the system's reason in GetLastError(). Every object closes its own
// handle when it goes; WinInet also closes a connection's and a request's
// handles when their session is closed first.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "fw/cstring.h"

class CHttpConnection;
class CHttpFile;

class CInternetSession {
public:
    // Opens the session (InternetOpenA). |context| is handed on to the
    // connections made by it. When it cannot be opened, or WinInet cannot be
    // loaded, IsOpen() is false.
    explicit CInternetSession(const char* agent, DWORD_PTR context = 1,
                              DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG,
                              const char* proxyName = nullptr, const char* proxyBypass = nullptr,
                              DWORD flags = 0);
    ~CInternetSession();  // Close()
    CInternetSession(const CInternetSession&) = delete;
    CInternetSession& operator=(const CInternetSession&) = delete;

    bool IsOpen() const { return m_hSession != nullptr; }

    // A connection to |server| (a host name, or anything WinInet takes as one)
    // that the caller deletes. Port 0 is the default HTTP port, 80. Nothing is
    // sent yet: a server that cannot be reached fails the request's
    // SendRequest. Null when the session is closed or the handle cannot be made.
    CHttpConnection* GetHttpConnection(const char* server, INTERNET_PORT port = 0,
                                       const char* userName = nullptr,
                                       const char* password = nullptr);

    // Closes the session; safe to call twice.
    void Close();

private:
    HINTERNET m_hSession;
    DWORD_PTR m_dwContext;
};

class CHttpConnection {
public:
    enum { HTTP_VERB_GET = 1 };  // the framework's number for GET; the only verb used

    ~CHttpConnection();  // closes the connection handle
    CHttpConnection(const CHttpConnection&) = delete;
    CHttpConnection& operator=(const CHttpConnection&) = delete;

    // A request for |object| (the path on the server, "/" first) that the
    // caller closes and deletes. Null for a verb other than GET or when the
    // handle cannot be made. No accept types and the default HTTP version.
    CHttpFile* OpenRequest(int verb, const char* object, const char* referer = nullptr,
                           DWORD_PTR context = 1, DWORD flags = INTERNET_FLAG_EXISTING_CONNECT);

private:
    friend class CInternetSession;
    explicit CHttpConnection(HINTERNET connection) : m_hConnection(connection) {}

    HINTERNET m_hConnection;
};

class CHttpFile {
public:
    ~CHttpFile();  // Close()
    CHttpFile(const CHttpFile&) = delete;
    CHttpFile& operator=(const CHttpFile&) = delete;

    // One InternetSetOption with a DWORD value on the request, such as a
    // time-out in milliseconds; set before SendRequest, it holds for the
    // whole exchange. FALSE when the option is refused.
    BOOL SetOption(DWORD option, DWORD value);

    // Sends the request and returns when the response headers are in. FALSE
    // when the server cannot be found, reached or does not answer in time.
    BOOL SendRequest();
    // The same with |headers| (lines each ended by CR LF) added to the request's own.
    BOOL SendRequest(const char* headers);

    // The numeric status of the response. FALSE, and |status| untouched, when
    // it cannot be read.
    BOOL QueryInfoStatusCode(DWORD& status) const;

    // One HttpQueryInfo |level| as text, whatever its length. FALSE and an
    // empty |value| when the response has no such header.
    BOOL QueryInfo(DWORD level, CString& value) const;

    // Reads up to |count| body bytes into |buffer|; |*bytesRead| gets how many.
    // Fewer than asked does not mean the body has ended: only a read of 0
    // bytes does. FALSE on a network failure (connection reset, time-out).
    BOOL Read(void* buffer, UINT count, UINT* bytesRead);

    // Closes the request; safe to call twice.
    void Close();

private:
    friend class CHttpConnection;
    explicit CHttpFile(HINTERNET request) : m_hFile(request) {}

    HINTERNET m_hFile;
};
