#include "app/setup_app.h"

#include "app/profile.h"
#include "app/single_instance.h"
#include "fw/scoped.h"
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
    GetWindowTextA(window, title, sizeof title);
    facts.title = title;
    HWND markerWindow = GetDlgItem(window, IDC_MARKER);
    if (markerWindow && IsWindow(markerWindow)) {
        GetWindowTextA(markerWindow, marker, sizeof marker);
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
