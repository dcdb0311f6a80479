#include "fw/app.h"

namespace {
CWinApp* g_theApp = nullptr;
}

CWinApp::CWinApp() { g_theApp = this; }

CWinApp::~CWinApp() {
    if (g_theApp == this) g_theApp = nullptr;
}

CWinApp* AfxGetApp() { return g_theApp; }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine ? commandLine : "";
    app->InitInstance();
    return app->m_nExitCode;
}
