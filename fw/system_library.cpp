#include "fw/system_library.h"

#include "fw/path_text.h"
#include "fw/proc_address.h"

namespace {

typedef BOOL(WINAPI* SetDefaultDllDirectoriesFn)(DWORD);
typedef BOOL(WINAPI* SetDllDirectoryFn)(LPCSTR);

bool IsAbsolutePath(const char* name) {
    bool hasDrive = name[0] != '\0' && name[1] == ':' && (name[2] == '\\' || name[2] == '/');
    bool isServerPath = name[0] == '\\' && name[1] == '\\';
    return hasDrive || isServerPath;
}

}  // namespace

void RestrictDllSearchToSystem() {
    // Both are looked up: a static import of either would keep the program from starting where
    // it is missing.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFn setDefault =
        GetProcAddressAs<SetDefaultDllDirectoriesFn>(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryFn setDirectory = GetProcAddressAs<SetDllDirectoryFn>(kernel, "SetDllDirectoryA");
    if (setDirectory) setDirectory("");
}

HMODULE LoadSystemLibrary(const char* name) {
    if (IsAbsolutePath(name)) return LoadLibraryA(name);
    // The DLLs it imports come from the system folder too.
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the flag refuse it as an unknown one.
    if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
    return LoadSystemLibraryByPath(name);
}

HMODULE LoadSystemLibraryByPath(const char* name) {
    char folder[kPathCapacity];
    char path[kPathCapacity];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder || !ComposePath(path, sizeof path, {folder, "\\", name})) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Its own imports are then looked for in its folder first, not in the setup's.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
