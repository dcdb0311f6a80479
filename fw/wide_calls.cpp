#include "fw/wide_calls.h"

#include <cerrno>
#include <cstdlib>

#include "fw/code_page.h"
#include "fw/path_text.h"

BOOL SetWindowTextCp949(HWND window, const char* text) {
    WideText wide(text);
    return SetWindowTextW(window, wide.get());
}

BOOL SetDlgItemTextCp949(HWND dialog, int id, const char* text) {
    WideText wide(text);
    return SetDlgItemTextW(dialog, id, wide.get());
}

bool GetWindowTextCp949(HWND window, char* out, size_t capacity) {
    if (capacity == 0) return false;
    out[0] = '\0';
    size_t length = static_cast<size_t>(GetWindowTextLengthW(window));
    ScopedMemory<WCHAR> wide(static_cast<WCHAR*>(malloc((length + 1) * sizeof(WCHAR))));
    if (!wide) return false;
    wide.get()[0] = L'\0';
    GetWindowTextW(window, wide.get(), static_cast<int>(length + 1));
    return WideToCp949(wide.get(), out, capacity);
}

int WINAPI MessageBoxCp949(HWND owner, const char* text, const char* caption, UINT flags) {
    WideText wideText(text);
    WideText wideCaption(caption);
    if (!wideText.ok() || !wideCaption.ok()) return IDCANCEL;
    return MessageBoxW(owner, wideText.get(), wideCaption.get(), flags);
}

FILE* OpenFileCp949(const char* path, const char* mode) {
    WideText widePath(path);
    WideText wideMode(mode);  // ASCII
    if (!widePath.ok() || !wideMode.ok()) {
        errno = EILSEQ;
        return nullptr;
    }
    return _wfopen(widePath.get(), wideMode.get());
}

BOOL CreateDirectoryCp949(const char* path) {
    WideText wide(path);
    if (!wide.ok()) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return FALSE;
    }
    return CreateDirectoryW(wide.get(), nullptr);
}

bool ModulePathCp949(char* out, size_t capacity) {
    if (capacity > 0) out[0] = '\0';
    // No CP949 path of kPathCapacity bytes has as many characters.
    WCHAR wide[kPathCapacity];
    DWORD length = GetModuleFileNameW(nullptr, wide, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return false;
    return WideToCp949(wide, out, capacity);
}

LONG CreateRegistryKeyCp949(HKEY parent, const char* subKey, REGSAM access, HKEY* key) {
    WideText wide(subKey);
    if (!wide.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    WCHAR noClass[] = L"";  // an empty class, not a missing one
    return RegCreateKeyExW(parent, wide.get(), 0, noClass, REG_OPTION_NON_VOLATILE, access, nullptr, key,
                           nullptr);
}

LONG SetRegistryTextCp949(HKEY key, const char* name, const char* text) {
    WideText wideName(name);
    WideText wideText(text);
    if (!wideName.ok() || !wideText.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    DWORD bytes = static_cast<DWORD>((lstrlenW(wideText.get()) + 1) * sizeof(WCHAR));
    return RegSetValueExW(key, wideName.get(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wideText.get()), bytes);
}

LONG SetRegistryNumberCp949(HKEY key, const char* name, DWORD number) {
    WideText wideName(name);
    if (!wideName.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    return RegSetValueExW(key, wideName.get(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}
