// The sample product that the package installs: one window that says from
// which folder it runs and with which arguments. Each start also appends a
// line "cwd=<folder>\targs=<arguments>" to started.log beside the program, so
// the tests can see that, where and how the setup started it.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "profile_values.h"

namespace {

const char kWindowClass[] = "VelmoraSampleWindow";
const char kLogName[] = "started.log";

char g_szFolder[MAX_PATH];
const char* g_pszArgs = "";
char g_szText[2 * MAX_PATH + 256];

// The command line after the program's own name and the blanks after it.
const char* ArgumentsOf(const char* line) {
    if (*line == '"') {
        const char* end = strchr(line + 1, '"');
        line = end ? end + 1 : line + strlen(line);
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

void RecordStart() {
    char log[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, log, sizeof log);
    char* slash = length < sizeof log ? strrchr(log, '\\') : nullptr;
    if (!slash || (slash + 1 - log) + sizeof kLogName > sizeof log) return;
    memcpy(slash + 1, kLogName, sizeof kLogName);
    FILE* file = fopen(log, "ab");
    if (!file) return;
    fprintf(file, "cwd=%s\targs=%s\r\n", g_szFolder, g_pszArgs);
    fclose(file);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            RECT area;
            GetClientRect(window, &area);
            InflateRect(&area, -16, -16);
            SetBkMode(dc, TRANSPARENT);
            SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
            DrawTextA(dc, g_szText, -1, &area, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    DWORD length = GetCurrentDirectoryA(sizeof g_szFolder, g_szFolder);
    if (length == 0 || length >= sizeof g_szFolder) g_szFolder[0] = '\0';
    g_pszArgs = ArgumentsOf(GetCommandLineA());
    RecordStart();
    snprintf(g_szText, sizeof g_szText, "%s 샘플 프로그램이 실행되었습니다.\n\n실행 폴더: %s\n인수: %s",
             PROFILE_PRODUCT_NAME, g_szFolder, g_pszArgs[0] ? g_pszArgs : "(없음)");

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass)) return 1;

    HWND window = CreateWindowA(kWindowClass, PROFILE_PRODUCT_NAME, WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 520, 240, nullptr, nullptr,
                                instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
