// The download stage's worker (CSetupDlg::OnSetupStart starts it).
#pragma once

#include <windows.h>

// Whether the machine has a working network connection (sensapi's
// IsNetworkAlive, asked twice). True when sensapi is not there to ask.
bool IsNetworkConnected();

// Thread procedure: fetches the package into g_szArchivePath and posts exactly
// one WM_SETUP_DOWNLOADED or WM_SETUP_FAILED to g_hMainWnd. The parameter is
// not used; returns 0.
DWORD WINAPI DownloadWorker(LPVOID);
