#include "download/temp_archive.h"

#include "fw/proc_address.h"

namespace {

// The code page of the program's texts, the profile's archive name among them.
const UINT kTextCodePage = 949;
// What a stale file that must not be removed, or a name taken when creating, is refused with.
const DWORD kNameTaken = ERROR_FILE_EXISTS;

// Both came with Vista; XP has neither, nor links to files.
typedef BOOL(WINAPI* SetFileInformationByHandleFn)(HANDLE file, int infoClass, LPVOID info, DWORD size);
typedef DWORD(WINAPI* GetFinalPathNameByHandleWFn)(HANDLE file, LPWSTR path, DWORD capacity, DWORD flags);
const int kFileDispositionInfo = 4;  // FILE_INFO_BY_HANDLE_CLASS
struct DispositionInfo {
    BOOLEAN deleteFile;
};

template <typename Fn>
Fn Kernel32Function(const char* name) {
    return GetProcAddressAs<Fn>(GetModuleHandleA("kernel32.dll"), name);
}

// Where |file| really lies, as "\\?\C:\...". False when the system cannot say.
bool FinalPath(GetFinalPathNameByHandleWFn finalPath, HANDLE file, wchar_t* out, DWORD capacity) {
    DWORD length = finalPath(file, out, capacity, 0);
    return length > 0 && length < capacity;
}

// Whether |file|, opened by |path| (the folder, then |leaf|), is the file of that name itself
// and not one a link leads to. Windows opens a link itself (FILE_FLAG_OPEN_REPARSE_POINT) and
// marks it a reparse point; Wine follows a Unix symbolic link whatever the flag says, and then
// only the file's final path tells: it is the target's, in another folder or by another name.
bool OpenedItself(HANDLE file, const wchar_t* path, const wchar_t* leaf) {
    auto finalPath = Kernel32Function<GetFinalPathNameByHandleWFn>("GetFinalPathNameByHandleW");
    if (!finalPath) return true;  // XP: no links to files there
    wchar_t folderPath[kPathCapacity];
    lstrcpynW(folderPath, path, static_cast<int>(leaf - path) + 1);
    ScopedHandle folder(CreateFileW(folderPath, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t expected[2 * kPathCapacity];
    wchar_t actual[2 * kPathCapacity];
    if (!folder || !FinalPath(finalPath, folder.get(), expected, kPathCapacity) ||
        !FinalPath(finalPath, file, actual, sizeof actual / sizeof actual[0]))
        return false;
    int length = lstrlenW(expected);
    if (length > 0 && expected[length - 1] != L'\\') lstrcatW(expected, L"\\");
    lstrcatW(expected, leaf);
    return lstrcmpiW(expected, actual) == 0;
}

// Deletes the file open at |file| (opened with DELETE access) when that handle closes.
bool DeleteWhenClosed(HANDLE file, const wchar_t* path) {
    auto setInformation = Kernel32Function<SetFileInformationByHandleFn>("SetFileInformationByHandle");
    if (!setInformation) return DeleteFileW(path) != FALSE;  // XP: by its name, never through a link there
    DispositionInfo disposition = {TRUE};
    return setInformation(file, kFileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Removes a stale file at |path| (its name from |leaf| on) that is a plain file with one name,
// through a handle on it, so that what is checked is what goes. 0 when none is left.
DWORD RemoveStale(const wchar_t* path, const wchar_t* leaf) {
    ScopedHandle stale(CreateFileW(path, DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!stale) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;  // a link that leads nowhere: CREATE_NEW refuses it
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(stale.get(), &info)) return GetLastError();
    bool plain = (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) == 0 &&
                 info.nNumberOfLinks == 1 && OpenedItself(stale.get(), path, leaf);
    if (!plain) return kNameTaken;
    return DeleteWhenClosed(stale.get(), path) ? 0 : GetLastError();
}

}  // namespace

bool TempArchive::Name(const char* fileName) {
    wchar_t folder[kPathCapacity];
    wchar_t leaf[kPathCapacity];
    DWORD folderLength = GetTempPathW(kPathCapacity, folder);
    int leafLength = MultiByteToWideChar(kTextCodePage, MB_ERR_INVALID_CHARS, fileName, -1, leaf, kPathCapacity);
    if (folderLength == 0 || folderLength >= kPathCapacity || leafLength <= 1 ||
        folderLength + static_cast<DWORD>(leafLength) > kPathCapacity)
        return false;
    lstrcpyW(path_, folder);
    lstrcatW(path_, leaf);
    leafStart_ = folderLength;
    return true;
}

DWORD TempArchive::Create() {
    Close();
    if (!path_[0]) return ERROR_INVALID_NAME;
    DWORD removed = RemoveStale(path_, path_ + leafStart_);
    if (removed != 0) return removed;
    HANDLE file = CreateFileW(path_, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    file_.Reset(file);
    return 0;
}

bool TempArchive::Empty() {
    return SetFilePointer(file_.get(), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           SetEndOfFile(file_.get());
}

bool TempArchive::Write(const void* data, DWORD count) {
    DWORD written = 0;
    if (!WriteFile(file_.get(), data, count, &written, nullptr)) return false;
    if (written == count) return true;
    SetLastError(ERROR_DISK_FULL);
    return false;
}
