#include "ui/install_dir.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "app/messages.h"
#include "app/profile.h"
#include "app/run_state.h"
#include "fw/proc_address.h"
#include "res/resource.h"
#include "ui/install_dir_rules.h"
#include "ui/setup_dlg.h"

namespace {

const char kBadPathMessage[] =
    "설치 경로명이 잘못 되었습니다. 다음을 점검해 주십시오.\n\n"
    "(1) 드라이브명과 루트디렉토리가 반드시 포함되어야 합니다.\n"
    "(2) 경로명이 일반적인 것인지 확인해 주십시오.";
const char kPickerTitle[] = "설치 디렉토리 선택";
const UINT kPickerFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN | BIF_STATUSTEXT;

// FOLDERID_LocalAppData, spelled out so no extra import library is needed.
const GUID kLocalAppDataId = {0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
typedef HRESULT(WINAPI* GetKnownFolderPathFn)(const GUID&, DWORD, HANDLE, PWSTR*);
typedef BOOL(WINAPI* GetDiskFreeSpaceExFn)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// The local application data folder in the ANSI code page, or an empty text.
// The function is looked up at run time: systems before version 6 lack it.
void GetLocalAppDataFolder(char* out, int capacity) {
    memset(out, 0, capacity);
    HMODULE shell = LoadLibraryA(g_pszKnownFolderLibrary);
    if (!shell) return;
    GetKnownFolderPathFn getPath = GetProcAddressAs<GetKnownFolderPathFn>(shell, "SHGetKnownFolderPath");
    PWSTR path = nullptr;
    if (getPath && SUCCEEDED(getPath(kLocalAppDataId, 0, nullptr, &path)) && path) {
        // A path that does not fit converts to nothing: the base stays empty.
        if (!WideCharToMultiByte(CP_ACP, 0, path, lstrlenW(path), out, capacity - 1, nullptr, nullptr))
            memset(out, 0, capacity);
        CoTaskMemFree(path);
    }
    FreeLibrary(shell);
}

// The program-files folder from the registry; false when it cannot be read.
bool GetProgramFilesFolder(char* out, DWORD capacity) {
    memset(out, 0, capacity);
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ,
                      &key) != ERROR_SUCCESS)
        return false;
    DWORD size = capacity - 1;  // the last byte stays a terminator
    bool read = RegQueryValueExA(key, "ProgramFilesDir", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(out), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return read;
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
bool DriveRootTakesFiles() {
    char testPath[MAX_PATH];
    if (!ComposeDriveTestPath(g_szInstallDir, testPath, sizeof testPath)) return false;
    FILE* file = fopen(testPath, "wb");
    if (!file) return false;
    fclose(file);
    DeleteFileA(testPath);
    return true;
}

int CALLBACK BrowseCallbackProc(HWND picker, UINT event, LPARAM data, LPARAM) {
    if (event == BFFM_INITIALIZED) {
        // Opens on the last submitted folder, not on unsubmitted edits.
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(g_szInstallDir));
    } else if (event == BFFM_SELCHANGED) {
        char path[MAX_PATH] = "";
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

void GetDefaultInstallDir() {
    char base[MAX_PATH];
    if (IsWindows6OrLater()) {
        GetLocalAppDataFolder(base, sizeof base);
    } else if (!GetProgramFilesFolder(base, sizeof base)) {
        return;  // no default: the field stays empty
    }
    // A base too long for the subfolder gives no default rather than a cut one.
    ComposeDefaultInstallDir(base, g_szDefaultSubdir, g_szInstallDir, kPathBufferSize);
}

bool ValidateInstallDir(HWND dialog) {
    // Read more than fits, so a longer text is rejected instead of being cut.
    char text[2 * kPathBufferSize];
    GetDlgItemTextA(dialog, IDC_PATH, text, sizeof text);
    bool fits = strlen(text) < kPathBufferSize;
    if (fits) strcpy(g_szInstallDir, text);
    if (!fits || !NormaliseInstallDir(g_szInstallDir, kPathBufferSize)) {
        PostMessageA(dialog, WM_SETUP_BADPATH, 0, 0);
        return false;
    }
    return true;
}

int CheckInstallDrive() {
    char root[4];
    uint64_t freeBytes = 0;
    if (!DriveRootTakesFiles()) return 0;
    if (!ComposeDriveRoot(g_szInstallDir, root, sizeof root)) return 0;
    if (!QueryFreeBytesToCaller(root, &freeBytes)) return 0;
    return HasRoomForInstall(freeBytes, g_nDataBytes, g_nPackageBytes) ? 1 : 0;
}

void CSetupDlg::OnBrowse() {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return;

    LPITEMIDLIST drives = nullptr;
    if (SHGetSpecialFolderLocation(g_hMainWnd, CSIDL_DRIVES, &drives) != S_OK) drives = nullptr;

    BROWSEINFOA info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = g_hMainWnd;
    info.pidlRoot = drives;
    info.lpszTitle = kPickerTitle;
    info.ulFlags = kPickerFlags;
    info.lpfn = BrowseCallbackProc;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        char path[MAX_PATH] = "";
        char text[MAX_PATH];
        if (SHGetPathFromIDListA(chosen, path) &&
            ComposeBrowsedInstallDir(path, g_szDefaultSubdir, text, sizeof text))
            SetDlgItemText(IDC_PATH, text);
        allocator->Free(chosen);
    }
    if (drives) allocator->Free(drives);
    allocator->Release();
}

LRESULT CSetupDlg::OnSetupBadPath(WPARAM, LPARAM) {
    MessageBox(kBadPathMessage, g_szMsgCaption, MB_OK);
    return 1;
}
