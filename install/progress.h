// What the extraction and the data copy share on their worker threads: the
// copy progress reporter over the run state, and the cancel check point.
#pragma once

#include <windows.h>

#include <cstdint>

// A new file or archive entry of |size| bytes starts; nothing is shown yet.
void BeginFile(const char* name, uint32_t size);

// After a block of the current file (|bytesWritten|: its bytes so far):
// writes IDC_STATUS and IDC_PERCENT of g_hMainWnd when their text changes.
void ReportCopyProgress(int32_t bytesWritten);

// Start of a run: the byte counters and the denominator base go back to their
// start values. The last name, status and per-mille carry over.
void ResetCopyProgress();

// Check point of the cancel protocol. With g_bRunning set it returns true at
// once. Otherwise it asks "설치를 중단하겠습니까?" with |questionFlags|: No sets
// g_bRunning again and returns true; any other answer sets g_bUserAborted,
// clears g_bRunning and returns false.
bool ContinueAtCheckPoint(UINT questionFlags);

// How the cancel question is shown: MessageBoxA, owned by g_hMainWnd. Tests
// put their own answerer here.
typedef int(WINAPI* CancelQuestionFn)(HWND owner, const char* text, const char* caption, UINT flags);
extern CancelQuestionFn g_pfnCancelQuestion;
