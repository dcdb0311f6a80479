// Process-wide run state shared by the dialog thread and the workers.
// No locks: each variable has one writer at a time, except g_bRunning, which
// Cancel and a worker's check point both write (a lost update at worst loses
// or repeats one cancel question).
#pragma once

#include <windows.h>

#include <cstdint>

#include "fw/cstring.h"
#include "install/progress_rules.h"

const int kPathBufferSize = MAX_PATH;  // 260 bytes with the terminating NUL

extern HWND g_hMainWnd;                      // the main dialog
extern char g_szInstallDir[kPathBufferSize];  // accepted: ends with exactly one backslash
extern char g_szArchivePath[kPathBufferSize]; // temporary package archive
extern char g_szLaunchPath[kPathBufferSize];  // program started at the end
extern volatile int g_bRunning;      // 1: a stage runs and no cancel is pending
extern volatile int g_bUserAborted;  // the current failure is a user abort
extern int g_bExternalMode;          // started with "/axs:"
extern CString g_strLinkUrl;         // "/axs:" URL for Internet shortcuts
extern CString g_strDownloadUrl;     // "/axs:" package URL
extern CString g_strRunArgs;         // "/axs:" product arguments
extern int g_bAgreed;                // the agreement was ticked and confirmed
// The copy progress reporter's state (install/progress.h). The six names below
// are its fields, not copies, so a stage may reset them by name.
extern CopyProgress g_copyProgress;
extern int32_t& g_nTotalBytes;       // 1 + uncompressed sizes of all entries
extern int32_t& g_nBytesQueued;      // sizes of all files started so far
extern int32_t& g_nBytesBefore;      // sizes of the files started before the current one
extern int32_t& g_nLastPermille;     // last per-mille value shown
extern char (&g_szCurrentName)[kPathBufferSize];  // file being written
extern char (&g_szLastStatus)[kPathBufferSize];   // last status text of the progress reporter
