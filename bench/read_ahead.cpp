// Linked only into velmora_setup_counting.exe. With VELMORA_BENCH_READ_AHEAD=N (bytes) in the
// environment, InternetReadFile reads N bytes at a time from WinInet and hands them to the
// program in the pieces it asks for (4096 bytes in the download). The program's code stays as
// it is; the benchmark compares the two to tell what reading in 4096-byte blocks costs.
// Without the variable every call goes straight to WinInet.
//
// The program calls WinInet through the table it loads at run time (fw/wininet_functions.h):
// this loads the table before the program starts and puts Read in place of its readFile, and
// counts the reads that reach WinInet.
#include <windows.h>
#include <wininet.h>

#include <cstdlib>
#include <cstring>

#include "bench/counting_build.h"
#include "fw/wininet_functions.h"

volatile LONG g_benchWinInetReads = 0;

namespace {

typedef decltype(WinInetFunctions::readFile) InternetReadFileFn;

InternetReadFileFn g_wininetRead = nullptr;

BOOL WINAPI ReadFromWinInet(HINTERNET request, LPVOID buffer, DWORD want, LPDWORD read) {
    InterlockedIncrement(&g_benchWinInetReads);
    return g_wininetRead(request, buffer, want, read);
}
DWORD g_chunk = 0;  // 0: no read-ahead

// One download runs at a time, on one thread: a single buffer, tied to its request handle.
struct ReadAhead {
    HINTERNET request = nullptr;
    char* data = nullptr;
    DWORD filled = 0;
    DWORD served = 0;
} g_ahead;

// Serves |want| bytes from the buffer, refilling it from WinInet when it is empty. A refill
// that reads 0 bytes is the end of the body, passed on as a 0-byte read.
BOOL WINAPI ReadFromAhead(HINTERNET request, LPVOID buffer, DWORD want, LPDWORD read) {
    if (g_ahead.request != request || g_ahead.served == g_ahead.filled) {
        g_ahead.request = request;
        g_ahead.filled = g_ahead.served = 0;
        if (!ReadFromWinInet(request, g_ahead.data, g_chunk, &g_ahead.filled)) {
            g_ahead.request = nullptr;
            *read = 0;
            return FALSE;
        }
    }
    DWORD count = g_ahead.filled - g_ahead.served;
    if (count > want) count = want;
    memcpy(buffer, g_ahead.data + g_ahead.served, count);
    g_ahead.served += count;
    *read = count;
    return TRUE;
}

BOOL WINAPI Read(HINTERNET request, LPVOID buffer, DWORD want, LPDWORD read) {
    return g_chunk ? ReadFromAhead(request, buffer, want, read) : ReadFromWinInet(request, buffer, want, read);
}

// Puts Read into the program's WinInet table and reads the switch before the program starts.
// Without WinInet the program's session fails to open, as it would without this.
struct Setup {
    Setup() {
        WinInetFunctions* winInet = LoadWinInet();
        if (winInet) {
            g_wininetRead = winInet->readFile;
            winInet->readFile = Read;
        }
        const char* chunk = getenv("VELMORA_BENCH_READ_AHEAD");
        long bytes = chunk ? strtol(chunk, nullptr, 10) : 0;
        if (bytes > 0) g_ahead.data = static_cast<char*>(malloc(static_cast<size_t>(bytes)));
        if (g_ahead.data) g_chunk = static_cast<DWORD>(bytes);
    }
    ~Setup() { free(g_ahead.data); }
} g_setup;

}  // namespace
