#include "app/run_state.h"

#include "app/profile.h"

HWND g_hMainWnd = nullptr;
char g_szInstallDir[kPathBufferSize] = "";
char g_szArchivePath[kPathBufferSize] = "";
char g_szLaunchPath[kPathBufferSize] = "";
volatile int g_bRunning = 0;
volatile int g_bUserAborted = 0;
int g_bExternalMode = 0;
CString g_strLinkUrl;
CString g_strDownloadUrl;
CString g_strRunArgs;
int g_bAgreed = 0;

static_assert(kProgressTextCapacity == kPathBufferSize, "the reporter's texts are path buffers");
// dataBytes is the profile's constant, filled in before main runs.
CopyProgress g_copyProgress = {"", 0, 0, 0, "", 1, g_nDataBytes};
int32_t& g_nTotalBytes = g_copyProgress.totalBytes;
int32_t& g_nBytesQueued = g_copyProgress.bytesQueued;
int32_t& g_nBytesBefore = g_copyProgress.bytesBefore;
int32_t& g_nLastPermille = g_copyProgress.lastPermille;
char (&g_szCurrentName)[kPathBufferSize] = g_copyProgress.currentName;
char (&g_szLastStatus)[kPathBufferSize] = g_copyProgress.lastStatus;
