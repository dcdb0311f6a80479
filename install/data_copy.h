// The data-folder copy: when the profile declares one (g_nDataBytes > 0), the
// "data" folder beside the setup program is copied depth-first into the
// install folder, one file at a time on a thread of its own, on the progress
// scale of the extraction. The stage ends with exactly one posted
// WM_SETUP_COMPLETE or WM_SETUP_FAILED.
#pragma once

#include <windows.h>

#include "app/run_state.h"

// A source and a destination path; the parameter of both thread procedures.
struct CopyPair {
    const char* source;
    const char* destination;
};

extern char g_szDataSrcDir[kPathBufferSize];  // "<setup folder>\data\"
extern char g_szDataDstDir[kPathBufferSize];  // copy of g_szInstallDir
extern CopyPair g_DataCopyPair;               // the two above, for DataCopyWorker

// The WM_SETUP_EXTRACTED handler's work. Without a data folder in the profile
// it posts WM_SETUP_COMPLETE at once and touches nothing else; otherwise it
// sets g_bRunning and starts DataCopyWorker.
void StartDataCopy();

// Walker thread: copies the pair's source folder into its destination folder
// and posts WM_SETUP_COMPLETE when the walk ended with g_bRunning set, else
// WM_SETUP_FAILED (g_bUserAborted tells a confirmed cancel from a failure).
DWORD WINAPI DataCopyWorker(LPVOID pair);

// Copies the tree under |source| into |destination| (both end with "\"):
// 1 when the folder was walked to its end, 0 when the walk stopped, with
// g_bRunning cleared. A source folder that cannot be listed counts as empty.
int CopyTree(const char* source, const char* destination);

// Per-file thread: copies pair->source to pair->destination in 4096-byte
// blocks with a progress report after each read. Its exit code is a
// FileCopyOutcome; on anything but kFileCopied g_bRunning is cleared.
DWORD WINAPI CopyFileWorker(LPVOID pair);

enum FileCopyOutcome : DWORD {
    kFileCopied = 0,
    kFileFailed = 1,   // cannot open either file, short write, read error
    kFileAborted = 2,  // the user confirmed the cancel question
};

// Makes every folder of |folder| up to its last "\" (only "\" separates).
void CreatePathDirs(const char* folder);
