/* Stands in for shell32 in the test of the default folder: its
   SHGetKnownFolderPath fails, as on a system that has no such folder. */
#include <windows.h>

__declspec(dllexport) HRESULT WINAPI SHGetKnownFolderPath(const GUID* id, DWORD flags, HANDLE token,
                                                          PWSTR* path) {
    (void)id;
    (void)flags;
    (void)token;
    *path = NULL;
    return E_FAIL;
}
