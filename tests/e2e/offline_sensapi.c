/* Stands in for the system's sensapi.dll (tests/e2e/download_network_test.sh puts it into the
   prefix's system folder): the machine has no network. */
#include <windows.h>

__declspec(dllexport) BOOL WINAPI IsNetworkAlive(LPDWORD flags) {
    if (flags) *flags = 0;
    return FALSE;
}
