#include "fw/internet.h"

#include <cstdlib>
#include <new>

CInternetSession::CInternetSession(const char* agent, DWORD_PTR context, DWORD accessType,
                                   const char* proxyName, const char* proxyBypass, DWORD flags)
    : m_hSession(InternetOpenA(agent, accessType, proxyName, proxyBypass, flags)),
      m_dwContext(context) {}

CInternetSession::~CInternetSession() { Close(); }

void CInternetSession::Close() {
    if (!m_hSession) return;
    InternetCloseHandle(m_hSession);
    m_hSession = nullptr;
}

CHttpConnection* CInternetSession::GetHttpConnection(const char* server, INTERNET_PORT port,
                                                     const char* userName, const char* password) {
    if (!m_hSession) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (port == 0) port = INTERNET_DEFAULT_HTTP_PORT;
    HINTERNET handle = InternetConnectA(m_hSession, server, port, userName, password,
                                        INTERNET_SERVICE_HTTP, 0, m_dwContext);
    if (!handle) return nullptr;
    CHttpConnection* connection = new (std::nothrow) CHttpConnection(handle);
    if (!connection) {
        InternetCloseHandle(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return connection;
}

CHttpConnection::~CHttpConnection() { InternetCloseHandle(m_hConnection); }

CHttpFile* CHttpConnection::OpenRequest(int verb, const char* object, const char* referer,
                                        DWORD_PTR context, DWORD flags) {
    if (verb != HTTP_VERB_GET) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HINTERNET handle =
        HttpOpenRequestA(m_hConnection, "GET", object, nullptr, referer, nullptr, flags, context);
    if (!handle) return nullptr;
    CHttpFile* request = new (std::nothrow) CHttpFile(handle);
    if (!request) {
        InternetCloseHandle(handle);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return request;
}

CHttpFile::~CHttpFile() { Close(); }

void CHttpFile::Close() {
    if (!m_hFile) return;
    InternetCloseHandle(m_hFile);
    m_hFile = nullptr;
}

BOOL CHttpFile::SetOption(DWORD option, DWORD value) {
    return InternetSetOptionA(m_hFile, option, &value, sizeof value);
}

BOOL CHttpFile::SendRequest() { return HttpSendRequestA(m_hFile, nullptr, 0, nullptr, 0); }

BOOL CHttpFile::SendRequest(const char* headers) {
    return HttpSendRequestA(m_hFile, headers, static_cast<DWORD>(-1), nullptr, 0);
}

BOOL CHttpFile::QueryInfoStatusCode(DWORD& status) const {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (!HttpQueryInfoA(m_hFile, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size,
                        nullptr))
        return FALSE;
    status = value;
    return TRUE;
}

BOOL CHttpFile::QueryInfo(DWORD level, CString& value) const {
    value = "";
    // The first call only asks for the size, the second fills a buffer of it.
    DWORD size = 0;
    if (HttpQueryInfoA(m_hFile, level, nullptr, &size, nullptr) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return FALSE;
    char* text = static_cast<char*>(malloc(size + 1));
    if (!text) return FALSE;
    BOOL ok = HttpQueryInfoA(m_hFile, level, text, &size, nullptr);
    if (ok) value = CString(text, static_cast<int>(size));
    free(text);
    return ok;
}

BOOL CHttpFile::Read(void* buffer, UINT count, UINT* bytesRead) {
    DWORD read = 0;
    BOOL ok = InternetReadFile(m_hFile, buffer, count, &read);
    *bytesRead = ok ? read : 0;
    return ok;
}
