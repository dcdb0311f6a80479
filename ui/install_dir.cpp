#include "ui/install_dir.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "app/texts.h"
#include "fw/path_text.h"
#include "fw/proc_address.h"
#include "fw/scoped.h"
#include "res/resource.h"
#include "ui/install_dir_rules.h"

namespace {

const UINT kPickerFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT;

// FOLDERID_LocalAppData, spelled out so no extra import library is needed.
const GUID kLocalAppDataId = {0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
typedef HRESULT(WINAPI* GetKnownFolderPathFn)(const GUID&, DWORD, HANDLE, PWSTR*);
typedef BOOL(WINAPI* GetDiskFreeSpaceExFn)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// The local application data folder in the ANSI code page, or an empty text.
// The function is looked up at run time: systems before version 6 lack it.
void GetLocalAppDataFolder(char* out, int capacity) {
    memset(out, 0, capacity);
    ScopedLibrary shell(LoadLibraryA(g_pszKnownFolderLibrary));
    if (!shell) return;
    GetKnownFolderPathFn getPath = GetProcAddressAs<GetKnownFolderPathFn>(shell.get(), "SHGetKnownFolderPath");
    ScopedCoTaskMem<WCHAR> path;
    if (!getPath || FAILED(getPath(kLocalAppDataId, 0, nullptr, path.Receive())) || !path) return;
    // A path that does not fit converts to nothing: the base stays empty.
    if (!WideCharToMultiByte(CP_ACP, 0, path.get(), lstrlenW(path.get()), out, capacity - 1, nullptr, nullptr))
        memset(out, 0, capacity);
}

// The program-files folder from the registry; false when it cannot be read.
bool GetProgramFilesFolder(char* out, DWORD capacity) {
    memset(out, 0, capacity);
    ScopedKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ,
                      key.Receive()) != ERROR_SUCCESS)
        return false;
    DWORD size = capacity - 1;  // the last byte stays a terminator
    return RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(out),
                            &size) == ERROR_SUCCESS;
}

bool QueryFreeBytesToCaller(const char* root, uint64_t* freeBytes) {
    GetDiskFreeSpaceExFn getFreeEx =
        GetProcAddressAs<GetDiskFreeSpaceExFn>(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA");
    if (getFreeEx) {
        ULARGE_INTEGER toCaller, total, totalFree;
        if (!getFreeEx(root, &toCaller, &total, &totalFree)) return false;
        *freeBytes = toCaller.QuadPart;
        return true;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return false;
    *freeBytes = PlainQueryFreeBytes(sectorsPerCluster, bytesPerSector, freeClusters);
    return true;
}

// The drive root must take a new file; the install folder itself need not exist yet.
bool DriveRootTakesFiles(const char* installDir) {
    char testPath[kPathCapacity];
    if (!ComposeDriveTestPath(installDir, testPath, sizeof testPath)) return false;
    ScopedFile file(fopen(testPath, "wb"));
    if (!file) return false;
    file.Reset();
    DeleteFileA(testPath);
    return true;
}

// |preselected| is the picker's lParam.
int CALLBACK BrowseCallbackProc(HWND picker, UINT event, LPARAM data, LPARAM preselected) {
    if (event == BFFM_INITIALIZED) {
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, preselected);
    } else if (event == BFFM_SELCHANGED) {
        char path[kPathCapacity] = "";
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(data), path))
            SendMessageA(picker, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

}  // namespace

const char* g_pszKnownFolderLibrary = "shell32.dll";

bool IsWindows6OrLater() {
    OSVERSIONINFOEXA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    OSVERSIONINFOA* plain = reinterpret_cast<OSVERSIONINFOA*>(&info);
    if (!GetVersionExA(plain)) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(plain)) return false;
    }
    return info.dwMajorVersion > 5;
}

void GetDefaultInstallDir(char* installDir, const char* defaultSubdir) {
    char base[kPathCapacity];
    if (IsWindows6OrLater()) {
        GetLocalAppDataFolder(base, sizeof base);
    } else if (!GetProgramFilesFolder(base, sizeof base)) {
        return;  // no default: the field stays empty
    }
    // A base too long for the subfolder gives no default rather than a cut one.
    ComposeDefaultInstallDir(base, defaultSubdir, installDir, kPathCapacity);
}

bool ValidateInstallDir(HWND dialog, char* installDir) {
    // Read more than fits, so a longer text is rejected instead of being cut.
    char text[2 * kPathCapacity];
    GetDlgItemTextA(dialog, IDC_PATH, text, sizeof text);
    return AcceptInstallDirText(text, installDir);
}

bool AcceptInstallDirText(const char* text, char* installDir) {
    if (strlen(text) >= kPathCapacity) return false;
    strcpy(installDir, text);
    return NormaliseInstallDir(installDir, kPathCapacity);
}

int CheckInstallDrive(const char* installDir, const ProductProfile& profile) {
    char root[4];
    uint64_t freeBytes = 0;
    if (!DriveRootTakesFiles(installDir)) return 0;
    if (!ComposeDriveRoot(installDir, root, sizeof root)) return 0;
    if (!QueryFreeBytesToCaller(root, &freeBytes)) return 0;
    return HasRoomForInstall(freeBytes, profile.dataBytes, profile.packageBytes) ? 1 : 0;
}

bool BrowseForInstallDir(HWND owner, const char* preselected, const char* defaultSubdir, char* out) {
    ScopedComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.Receive()))) return false;  // then "..." does nothing
    ScopedCoTaskMem<ITEMIDLIST> drives;
    if (SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, drives.Receive()) != S_OK) drives.Reset();

    BROWSEINFOA info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = owner;
    info.pidlRoot = drives.get();
    info.lpszTitle = kPickerTitle;
    info.ulFlags = kPickerFlags;
    info.lpfn = BrowseCallbackProc;
    info.lParam = reinterpret_cast<LPARAM>(preselected);
    ScopedCoTaskMem<ITEMIDLIST> chosen(SHBrowseForFolderA(&info));
    if (!chosen) return false;
    char path[kPathCapacity] = "";
    return SHGetPathFromIDListA(chosen.get(), path) &&
           ComposeBrowsedInstallDir(path, defaultSubdir, out, kPathCapacity);
}
