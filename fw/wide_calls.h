// The system calls the program makes with its texts and paths again and again, each taking
// CP949 and calling the wide function with the text converted (fw/code_page.h), so they read and
// land right under any system code page. A text or path that does not convert is never passed
// on in another form: the call fails as stated.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdio>

// Window texts. A text that is not CP949 shows as an empty one.
BOOL SetWindowTextCp949(HWND window, const char* text);
BOOL SetDlgItemTextCp949(HWND dialog, int id, const char* text);

// The text of |window| as CP949 into |out| (|capacity| bytes with the NUL). False, and |out|
// empty, when code page 949 cannot hold a character of it or it does not fit: never cut.
bool GetWindowTextCp949(HWND window, char* out, size_t capacity);

// A message box with |caption|; IDCANCEL when a text is not CP949 (no box is shown then).
int WINAPI MessageBoxCp949(HWND owner, const char* text, const char* caption, UINT flags);

// _wfopen of |path|; null with errno EILSEQ when |path| is not CP949.
FILE* OpenFileCp949(const char* path, const char* mode);

// CreateDirectoryW without security attributes; FALSE with ERROR_NO_UNICODE_TRANSLATION when
// |path| is not CP949.
BOOL CreateDirectoryCp949(const char* path);

// The path of this program as CP949 into |out| (|capacity| bytes with the NUL). False, and
// |out| empty, when it does not fit or code page 949 cannot hold it.
bool ModulePathCp949(char* out, size_t capacity);

// RegCreateKeyExW of |subKey| under |parent|: a non-volatile key with an empty class, opened
// with |access| into |*key|. ERROR_NO_UNICODE_TRANSLATION when |subKey| is not CP949.
LONG CreateRegistryKeyCp949(HKEY parent, const char* subKey, REGSAM access, HKEY* key);

// |text| as the REG_SZ value |name| of |key|, stored in UTF-16 with its NUL.
// ERROR_NO_UNICODE_TRANSLATION when |name| or |text| is not CP949.
LONG SetRegistryTextCp949(HKEY key, const char* name, const char* text);

// The REG_DWORD |number| as value |name| of |key|.
LONG SetRegistryNumberCp949(HKEY key, const char* name, DWORD number);
