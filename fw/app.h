// The application object: the program's entry calls InitInstance once.
#pragma once

#include <windows.h>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();

    // Runs the program; the process ends when it returns.
    virtual BOOL InitInstance() = 0;

    HINSTANCE m_hInstance = nullptr;
    const char* m_lpCmdLine = "";  // command line after the program name
    int m_nExitCode = 0;           // what the process ends with; InitInstance may set it
};

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();
