#include "fw/wininet_functions.h"

#include "fw/proc_address.h"
#include "fw/system_library.h"

namespace {

WinInetFunctions g_winInet;
bool g_loaded = false;

// DLLs that WinInet loads only when a request first needs them (TLS, the network's settings).
// Such a late load may search the program's folder first whatever RestrictDllSearchToSystem set
// (Wine's WinInet does: tests/e2e/planted_dll_test.sh); a DLL loaded here from the system folder
// is found by its name instead. Where one fails to load, WinInet is left to try it itself.
const char* const kLateLoads[] = {"secur32.dll", "crypt32.dll", "iphlpapi.dll", "dhcpcsvc.dll", "cryptui.dll"};

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn* function) {
    *function = GetProcAddressAs<Fn>(module, name);
    return *function != nullptr;
}

bool ResolveAll(HMODULE module, WinInetFunctions* f) {
    return Resolve(module, "InternetOpenA", &f->open) && Resolve(module, "InternetConnectA", &f->connect) &&
           Resolve(module, "HttpOpenRequestA", &f->openRequest) &&
           Resolve(module, "InternetSetOptionA", &f->setOption) &&
           Resolve(module, "HttpSendRequestA", &f->sendRequest) &&
           Resolve(module, "HttpQueryInfoA", &f->queryInfo) &&
           Resolve(module, "InternetReadFile", &f->readFile) &&
           Resolve(module, "InternetCloseHandle", &f->closeHandle);
}

}  // namespace

WinInetFunctions* LoadWinInet() {
    if (g_loaded) return &g_winInet;
    HMODULE module = LoadSystemLibrary("wininet.dll");
    if (!module) return nullptr;
    if (!ResolveAll(module, &g_winInet)) {
        FreeLibrary(module);
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    for (const char* name : kLateLoads) LoadSystemLibrary(name);
    // Never freed, nor are the late loads: WinInet's own threads and handles may outlive any
    // one session.
    g_loaded = true;
    return &g_winInet;
}
