#include "ui/install_dir.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "app/texts.h"
#include "fw/code_page.h"
#include "fw/path_text.h"
#include "fw/proc_address.h"
#include "fw/scoped.h"
#include "fw/system_library.h"
#include "fw/wide_calls.h"
#include "res/resource.h"
#include "ui/install_dir_rules.h"

namespace {

const UINT kPickerFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT;

// FOLDERID_LocalAppData, spelled out so no extra import library is needed.
const GUID kLocalAppDataId = {0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
typedef HRESULT(WINAPI* GetKnownFolderPathFn)(const GUID&, DWORD, HANDLE, PWSTR*);
typedef BOOL(WINAPI* GetDiskFreeSpaceExFn)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// The local application data folder as CP949, or an empty text.
// The function is looked up at run time: systems before version 6 lack it.
void GetLocalAppDataFolder(char* out, int capacity) {
    memset(out, 0, capacity);
    ScopedLibrary shell(LoadSystemLibrary(g_pszKnownFolderLibrary));
    if (!shell) return;
    GetKnownFolderPathFn getPath = GetProcAddressAs<GetKnownFolderPathFn>(shell.get(), "SHGetKnownFolderPath");
    ScopedCoTaskMem<WCHAR> path;
    if (!getPath || FAILED(getPath(kLocalAppDataId, 0, nullptr, path.Receive())) || !path) return;
    // A path that does not fit, or that CP949 cannot hold, converts to nothing: the base stays empty.
    WideToCp949(path.get(), out, static_cast<size_t>(capacity));
}

// The program-files folder from the registry as CP949; false when it cannot be read or CP949
// cannot hold it.
bool GetProgramFilesFolder(char* out, size_t capacity) {
    memset(out, 0, capacity);
    ScopedKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ,
                      key.Receive()) != ERROR_SUCCESS)
        return false;
    WCHAR folder[kPathCapacity] = L"";
    DWORD size = sizeof folder - sizeof(WCHAR);  // the last character stays a terminator
    return RegQueryValueExW(key.get(), L"ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(folder),
                            &size) == ERROR_SUCCESS &&
           WideToCp949(folder, out, capacity);
}

bool QueryFreeBytesToCaller(const char* root, uint64_t* freeBytes) {
    WideText wideRoot(root);
    if (!wideRoot.ok()) return false;
    GetDiskFreeSpaceExFn getFreeEx =
        GetProcAddressAs<GetDiskFreeSpaceExFn>(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExW");
    if (getFreeEx) {
        ULARGE_INTEGER toCaller, total, totalFree;
        if (!getFreeEx(wideRoot.get(), &toCaller, &total, &totalFree)) return false;
        *freeBytes = toCaller.QuadPart;
        return true;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceW(wideRoot.get(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return false;
    *freeBytes = PlainQueryFreeBytes(sectorsPerCluster, bytesPerSector, freeClusters);
    return true;
}

// The drive root must take a new file; the install folder itself need not exist yet.
bool DriveRootTakesFiles(const char* installDir) {
    char testPath[kPathCapacity];
    if (!ComposeDriveTestPath(installDir, testPath, sizeof testPath)) return false;
    ScopedFile file(OpenFileCp949(testPath, "wb"));
    if (!file) return false;
    file.Reset();
    WideText wideTestPath(testPath);
    DeleteFileW(wideTestPath.get());
    return true;
}

// |preselected| is the picker's lParam: the CP949 folder it opens on.
int CALLBACK BrowseCallbackProc(HWND picker, UINT event, LPARAM data, LPARAM preselected) {
    if (event == BFFM_INITIALIZED) {
        WideText folder(reinterpret_cast<const char*>(preselected));
        SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.get()));
    } else if (event == BFFM_SELCHANGED) {
        WCHAR path[MAX_PATH] = L"";
        if (SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(data), path))
            SendMessageW(picker, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(path));
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
    // Read as CP949 whatever the system's code page: a text too long for a path, or with a
    // character CP949 cannot hold, is rejected instead of being cut or replaced.
    char text[kPathCapacity];
    if (!GetWindowTextCp949(GetDlgItem(dialog, IDC_PATH), text, sizeof text)) return false;
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

    WideText title(kPickerTitle);
    BROWSEINFOW info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = owner;
    info.pidlRoot = drives.get();
    info.lpszTitle = title.get();
    info.ulFlags = kPickerFlags;
    info.lpfn = BrowseCallbackProc;
    info.lParam = reinterpret_cast<LPARAM>(preselected);
    ScopedCoTaskMem<ITEMIDLIST> chosen(SHBrowseForFolderW(&info));
    if (!chosen) return false;
    WCHAR widePath[MAX_PATH] = L"";
    char path[kPathCapacity] = "";
    return SHGetPathFromIDListW(chosen.get(), widePath) && WideToCp949(widePath, path, sizeof path) &&
           ComposeBrowsedInstallDir(path, defaultSubdir, out, kPathCapacity);
}
