/* Stands in for sensapi.dll beside a copy of the setup: the machine has no network. */
#include <windows.h>

__declspec(dllexport) BOOL WINAPI IsNetworkAlive(LPDWORD flags) {
    if (flags) *flags = 0;
    return FALSE;
}
