#include "fw/app.h"

#include "fw/system_library.h"

namespace {
CWinApp* g_theApp = nullptr;
}

CWinApp::CWinApp() { g_theApp = this; }

CWinApp::~CWinApp() {
    if (g_theApp == this) g_theApp = nullptr;
}

CWinApp* AfxGetApp() { return g_theApp; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // Before anything can load a DLL: none may come from the setup's folder.
    RestrictDllSearchToSystem();
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine ? commandLine : "";
    app->InitInstance();
    return 0;
}
