#include "app/setup_app.h"

#include "app/profile.h"
#include "app/single_instance.h"
#include "fw/scoped.h"
#include "fw/wide_calls.h"
#include "res/resource.h"

CSetupApp theApp;

namespace {

int g_bNoOtherInstance = 1;

void RaiseWindow(HWND window) {
    HWND popup = GetLastActivePopup(window);
    BringWindowToTop(window);
    SetForegroundWindow(window);
    if (popup != window) {
        BringWindowToTop(popup);
        SetForegroundWindow(popup);
    }
}

BOOL CALLBACK FindSetupWindowProc(HWND window, LPARAM) {
    char title[kWindowTextLimit + 1] = "";
    char marker[kWindowTextLimit + 1] = "";
    WindowFacts facts = {};
    facts.unownedAndAlive = IsWindow(window) && GetWindow(window, GW_OWNER) == nullptr;
    facts.enabled = IsWindowEnabled(window) != FALSE;
    // Read as CP949 whatever the system's code page; one that does not fit is no setup's.
    GetWindowTextCp949(window, title, sizeof title);
    facts.title = title;
    HWND markerWindow = GetDlgItem(window, IDC_MARKER);
    if (markerWindow && IsWindow(markerWindow)) {
        GetWindowTextCp949(markerWindow, marker, sizeof marker);
        facts.marker = marker;
    }
    if (!IsRunningSetupWindow(facts, g_profile.msgCaption, g_profile.instanceMarker)) return TRUE;

    g_bNoOtherInstance = 0;
    RaiseWindow(window);
    return FALSE;
}

}  // namespace

BOOL CheckSingleInstance() {
    g_bNoOtherInstance = 1;
    EnumWindows(FindSetupWindowProc, 0);
    return g_bNoOtherInstance;
}

CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    if (!CheckSingleInstance()) return FALSE;

    ScopedComInit com;  // shell links and the folder picker need COM; the dialog runs either way
    RunSetupDialog();
    return FALSE;
}
