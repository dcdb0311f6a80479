#include "app/run_state.h"

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
int32_t g_nTotalBytes = 1;
int32_t g_nBytesQueued = 0;
int32_t g_nBytesBefore = 0;
int32_t g_nLastPermille = 0;
char g_szCurrentName[kPathBufferSize] = "";
char g_szLastStatus[kPathBufferSize] = "";
