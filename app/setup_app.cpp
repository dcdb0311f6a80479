#include "app/setup_app.h"

#include "app/profile.h"
#include "app/single_instance.h"
#include "fw/scoped.h"
#include "fw/code_page.h"
#include "res/resource.h"

CSetupApp theApp;

namespace {

int g_bNoOtherInstance = 1;
ScopedHandle g_hRunMutex;  // held until the process ends

void RaiseWindow(HWND window) {
    HWND popup = GetLastActivePopup(window);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    if (popup != window) {
        BringWindowToTop(popup);
        SetForegroundWindow(popup);
    }
}

// A window's text as the guard compares it: its first kWindowTextLimit bytes in code page 949,
// whatever the system's code page. A character CP949 cannot hold stands as "?": it can match
// neither the caption word nor the marker.
void ReadGuardText(HWND window, char* out) {
    WCHAR wide[kWindowTextLimit + 1] = L"";
    GetWindowTextW(window, wide, kWindowTextLimit + 1);
    char text[2 * (kWindowTextLimit + 1)] = "";
    WideCharToMultiByte(kProgramCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, text, sizeof text - 1, "?", nullptr);
    lstrcpynA(out, text, kWindowTextLimit + 1);
}

// |raise|: bring the window found to the front.
BOOL CALLBACK FindSetupWindowProc(HWND window, LPARAM raise) {
    char title[kWindowTextLimit + 1] = "";
    char marker[kWindowTextLimit + 1] = "";
    WindowFacts facts = {};
    facts.unownedAndAlive = IsWindow(window) && GetWindow(window, GW_OWNER) == nullptr;
    facts.enabled = IsWindowEnabled(window) != FALSE;
    ReadGuardText(window, title);
    facts.title = title;
    HWND markerWindow = GetDlgItem(window, IDC_MARKER);
    if (markerWindow && IsWindow(markerWindow)) {
        ReadGuardText(markerWindow, marker);
        facts.marker = marker;
    }
    if (!IsRunningSetupWindow(facts, g_profile.msgCaption, g_profile.instanceMarker)) return TRUE;

    g_bNoOtherInstance = 0;
    if (raise) RaiseWindow(window);
    return FALSE;
}

}  // namespace

BOOL CheckSingleInstance() {
    g_bNoOtherInstance = 1;
    EnumWindows(FindSetupWindowProc, TRUE);
    return g_bNoOtherInstance;
}

bool IsSetupWindowOpen() {
    g_bNoOtherInstance = 1;
    EnumWindows(FindSetupWindowProc, FALSE);
    return !g_bNoOtherInstance;
}

bool HoldRunMutex() {
    char name[kRunMutexNameCapacity];
    if (!ComposeRunMutexName(g_profile.tempArchiveName, name, sizeof name)) return true;
    WideText wideName(name);
    g_hRunMutex.Reset(CreateMutexW(nullptr, FALSE, wideName.get()));
    DWORD error = GetLastError();
    if (!g_hRunMutex) return error != ERROR_ACCESS_DENIED;  // held by a setup of another user
    return error != ERROR_ALREADY_EXISTS;
}

CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    m_nExitCode = RunSetup(m_lpCmdLine);
    return FALSE;
}
