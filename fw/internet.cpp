#include "fw/internet.h"

#include <cstdlib>
#include <new>

#include "fw/wininet_functions.h"

namespace {

// WinInet's functions once a session opened: every connection and request comes from one.
const WinInetFunctions& WinInet() { return *LoadWinInet(); }

// The session's handle, or null when WinInet cannot be loaded or refuses to open one.
HINTERNET OpenSession(const char* agent, DWORD accessType, const char* proxyName,
                      const char* proxyBypass, DWORD flags) {
    const WinInetFunctions* winInet = LoadWinInet();
    return winInet ? winInet->open(agent, accessType, proxyName, proxyBypass, flags) : nullptr;
}

}  // namespace

CInternetSession::CInternetSession(const char* agent, DWORD_PTR context, DWORD accessType,
                                   const char* proxyName, const char* proxyBypass, DWORD flags)
    : m_hSession(OpenSession(agent, accessType, proxyName, proxyBypass, flags)),
      m_dwContext(context) {}

CInternetSession::~CInternetSession() { Close(); }

void CInternetSession::Close() {
    if (!m_hSession) return;
    WinInet().closeHandle(m_hSession);
    m_hSession = nullptr;
}

CHttpConnection* CInternetSession::GetHttpConnection(const char* server, INTERNET_PORT port,
                                                     const char* userName, const char* password) {
    if (!m_hSession) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (port == 0) port = INTERNET_DEFAULT_HTTP_PORT;
    HINTERNET handle = WinInet().connect(m_hSession, server, port, userName, password,
                                        INTERNET_SERVICE_HTTP, 0, m_dwContext);
    if (!handle) return nullptr;
    CHttpConnection* connection = new (std::nothrow) CHttpConnection(handle);
    if (!connection) {
        WinInet().closeHandle(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return connection;
}

CHttpConnection::~CHttpConnection() { WinInet().closeHandle(m_hConnection); }

CHttpFile* CHttpConnection::OpenRequest(int verb, const char* object, const char* referer,
                                        DWORD_PTR context, DWORD flags) {
    if (verb != HTTP_VERB_GET) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HINTERNET handle =
        WinInet().openRequest(m_hConnection, "GET", object, nullptr, referer, nullptr, flags, context);
    if (!handle) return nullptr;
    CHttpFile* request = new (std::nothrow) CHttpFile(handle);
    if (!request) {
        WinInet().closeHandle(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return request;
}

CHttpFile::~CHttpFile() { Close(); }

void CHttpFile::Close() {
    if (!m_hFile) return;
    WinInet().closeHandle(m_hFile);
    m_hFile = nullptr;
}

BOOL CHttpFile::SetOption(DWORD option, DWORD value) {
    return WinInet().setOption(m_hFile, option, &value, sizeof value);
}

BOOL CHttpFile::SendRequest() { return WinInet().sendRequest(m_hFile, nullptr, 0, nullptr, 0); }

BOOL CHttpFile::SendRequest(const char* headers) {
    return WinInet().sendRequest(m_hFile, headers, static_cast<DWORD>(-1), nullptr, 0);
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& status) const {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!WinInet().queryInfo(m_hFile, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                        nullptr))
        return FALSE;
    status = value;
    return TRUE;
}

BOOL CHttpFile::QueryInfo(DWORD level, CString& value) const {
    value = "";
    // The first call only asks for the size, the second fills a buffer of it.
    DWORD size = 0;
    if (WinInet().queryInfo(m_hFile, level, nullptr, &size, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return FALSE;
    char* text = static_cast<char*>(malloc(size + 1));
    if (!text) return FALSE;
    BOOL ok = WinInet().queryInfo(m_hFile, level, text, &size, nullptr);
    if (ok) value = CString(text, static_cast<int>(size));
    free(text);
    return ok;
}

BOOL CHttpFile::Read(void* buffer, UINT count, UINT* bytesRead) {
    DWORD read = 0;
    BOOL ok = WinInet().readFile(m_hFile, buffer, count, &read);
    *bytesRead = ok ? read : 0;
    return ok;
}
