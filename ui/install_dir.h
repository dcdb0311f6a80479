// The install folder on the dialog thread: the default shown at start, the
// check of the typed text, and the drive check before a run starts.
#pragma once

#include <windows.h>

// True when the running Windows reports major version 6 or later.
bool IsWindows6OrLater();

// Fills g_szInstallDir with the default folder (it may stay empty).
void GetDefaultInstallDir();

// The library GetDefaultInstallDir loads to look SHGetKnownFolderPath up in:
// "shell32.dll". Tests name another to see the fallbacks.
extern const char* g_pszKnownFolderLibrary;

// Reads IDC_PATH of |dialog| into g_szInstallDir and normalises it in place.
// On rejection posts WM_SETUP_BADPATH to |dialog| and returns false.
bool ValidateInstallDir(HWND dialog);

// 1 when the drive of g_szInstallDir takes a test file in its root and has
// room for the profile's sizes; 0 otherwise.
int CheckInstallDrive();
