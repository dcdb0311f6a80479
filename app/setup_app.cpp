#include "app/setup_app.h"

#include "app/profile.h"
#include "app/single_instance.h"
#include "fw/scoped.h"
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

// |raise|: bring the window found to the front.
BOOL CALLBACK FindSetupWindowProc(HWND window, LPARAM raise) {
    char title[kWindowTextLimit + 1] = "";
    char marker[kWindowTextLimit + 1] = "";
    WindowFacts facts = {};
    facts.unownedAndAlive = IsWindow(window) && GetWindow(window, GW_OWNER) == nullptr;
    facts.enabled = IsWindowEnabled(window) != FALSE;
    GetWindowTextA(window, title, sizeof title);
    facts.title = title;
    HWND markerWindow = GetDlgItem(window, IDC_MARKER);
    if (markerWindow && IsWindow(markerWindow)) {
        GetWindowTextA(markerWindow, marker, sizeof marker);
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
    g_hRunMutex.Reset(CreateMutexA(nullptr, FALSE, name));
    DWORD error = GetLastError();
    if (!g_hRunMutex) return error != ERROR_ACCESS_DENIED;  // held by a setup of another user
    return error != ERROR_ALREADY_EXISTS;
}

CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    m_nExitCode = RunSetup(m_lpCmdLine);
    return FALSE;
}
