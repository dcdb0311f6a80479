// text_recorder.dll: a hook that uidriver's "record" command sets on another program's window
// thread, so a test sees every text the program puts into its controls, also one that stands
// only for a moment. Windows loads this DLL into the program; for each WM_SETTEXT the thread
// receives, the hook appends a line "ID<TAB>TEXT" to text_recorder.log beside this DLL: the
// control's id and the text in the program's own code page 949 (the program sends its texts
// in UTF-16, through the wide calls), each line end written as a literal \n; a text that code
// page 949 cannot hold is written as "(not CP949)". The program itself is not changed.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "fw/code_page.h"

namespace {

HINSTANCE g_hSelf = nullptr;

// text_recorder.log in this DLL's folder; false when the path does not fit.
bool LogPath(char* path, DWORD size) {
    const char kLogName[] = "text_recorder.log";
    DWORD length = GetModuleFileNameA(g_hSelf, path, size);
    char* slash = length < size ? strrchr(path, '\\') : nullptr;
    if (!slash || (slash + 1 - path) + sizeof kLogName > size) return false;
    memcpy(slash + 1, kLogName, sizeof kLogName);
    return true;
}

void Append(HWND control, const WCHAR* wide) {
    char path[MAX_PATH];
    if (!LogPath(path, sizeof path)) return;
    static char text[16384];  // the hooked thread's alone: its hook calls come one after another
    if (!WideToCp949(wide ? wide : L"", text, sizeof text)) strcpy(text, "(not CP949)");
    FILE* log = fopen(path, "ab");
    if (!log) return;
    fprintf(log, "%d\t", GetDlgCtrlID(control));
    for (const char* c = text; *c; ++c) {
        if (*c == '\r' && c[1] == '\n') continue;
        if (*c == '\n' || *c == '\r')
            fputs("\\n", log);
        else
            fputc(*c, log);
    }
    fputc('\n', log);
    fclose(log);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_hSelf = self;
    return TRUE;
}

// WH_CALLWNDPROC: runs on the hooked thread before the window procedure, with the message as
// it was sent: the program's texts are UTF-16.
extern "C" __declspec(dllexport) LRESULT CALLBACK RecordText(int code, WPARAM w, LPARAM l) {
    const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(l);
    if (code == HC_ACTION && message->message == WM_SETTEXT)
        Append(message->hwnd, reinterpret_cast<const WCHAR*>(message->lParam));
    return CallNextHookEx(nullptr, code, w, l);
}
