#include "fw/app.h"

#include "fw/code_page.h"
#include "fw/system_library.h"

namespace {

CWinApp* g_theApp = nullptr;
ScopedMemory<char> g_commandLine;  // the command line as CP949, for the whole run

// The command line after the program's name (as WinMain's is cut), read as UTF-16 and kept as
// CP949, so the options read alike whatever the system's code page. One that code page 949
// cannot hold is taken as the system hands it to WinMain, as it always was.
const char* CommandLineCp949(const char* ansi) {
    const WCHAR* rest = GetCommandLineW();
    if (*rest == L'"') {
        for (++rest; *rest && *rest != L'"'; ++rest) {}
        if (*rest) ++rest;
    } else {
        while (*rest > L' ') ++rest;
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    size_t capacity = 2 * static_cast<size_t>(lstrlenW(rest)) + 1;  // CP949 takes at most two bytes a character
    g_commandLine.Reset(static_cast<char*>(malloc(capacity)));
    if (g_commandLine && WideToCp949(rest, g_commandLine.get(), capacity)) return g_commandLine.get();
    return ansi ? ansi : "";
}

}  // namespace

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
    app->m_lpCmdLine = CommandLineCp949(commandLine);
    app->InitInstance();
    return app->m_nExitCode;
}
