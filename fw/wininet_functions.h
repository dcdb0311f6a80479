// The WinInet functions the HTTP classes call, taken from the system's wininet.dll at run time.
// WinInet is no static import: the system would then load it, and the DLLs it imports, before
// the program's first instruction, from the program's own folder first.
#pragma once

#include <windows.h>
#include <wininet.h>

// The functions by the headers' own types, so each keeps its calling convention (WINAPI).
struct WinInetFunctions {
    decltype(&::InternetOpenA) open;
    decltype(&::InternetConnectA) connect;
    decltype(&::HttpOpenRequestA) openRequest;
    decltype(&::InternetSetOptionA) setOption;
    decltype(&::HttpSendRequestA) sendRequest;
    decltype(&::HttpQueryInfoA) queryInfo;
    decltype(&::InternetReadFile) readFile;
    decltype(&::InternetCloseHandle) closeHandle;
};

// The table, loaded from the system folder on the first call and kept for the process's life.
// Null, with the reason in GetLastError(), when wininet.dll or one of the functions cannot be
// had; the next call tries again. Sessions open it on the download thread, one at a time.
// Once loaded a pointer may be replaced: the benchmark's counting build wraps readFile.
WinInetFunctions* LoadWinInet();
