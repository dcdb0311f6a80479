// Extraction throughput: the real extraction stage, its progress writes to a window's controls
// included, over an archive given on the command line. Run by hand:
//   wine bench_extract.exe 'Z:\path\package.zip' 'Z:\path\empty\'
// It prints the MiB extracted, the seconds and the percentage writes.
#include <windows.h>

#include <cstdio>

#include "app/messages.h"
#include "fw/scoped.h"
#include "install/extract_worker.h"
#include "res/resource.h"

namespace {

LONG g_percentWrites = 0;
WNDPROC g_staticProc = nullptr;

// The percentage control counts the texts it is given.
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT && GetDlgCtrlID(window) == IDC_PERCENT) ++g_percentWrites;
    return CallWindowProcA(g_staticProc, window, message, wParam, lParam);
}

// A hidden stand-in for the dialog with the two controls the stage writes.
HWND MakeWindow() {
    HWND window = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    for (int id : {IDC_STATUS, IDC_PERCENT}) {
        HWND control = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        g_staticProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    }
    return window;
}

DWORD WINAPI Extract(LPVOID param) {
    ExtractJob* job = static_cast<ExtractJob*>(param);
    return ExtractArchive(*job).ok() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: bench_extract ARCHIVE EMPTY_FOLDER\\\n");
        return 2;
    }
    // Opened as the setup holds its archive: read through one handle that others may only read.
    ScopedHandle archive(CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!archive) {
        fprintf(stderr, "bench_extract: cannot open %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    HWND window = MakeWindow();
    RunFlags flags = {1, 0};
    CopyProgress progress = {"", 0, 0, 0, "", 1, 0};
    ExtractJob job = {.archive = archive.get(),
                      .installDir = argv[2],
                      .progress = &progress,
                      .flags = &flags,
                      .reporter = StageReporter(window, WM_SETUP_EXTRACTED)};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    HANDLE thread = CreateThread(nullptr, 0, Extract, &job, 0, nullptr);
    MSG msg;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    QueryPerformanceCounter(&end);
    DWORD failed = 1;
    GetExitCodeThread(thread, &failed);
    CloseHandle(thread);
    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    double megabytes = static_cast<double>(progress.totalBytes - 1) / (1024.0 * 1024.0);
    printf("%s %.1f MiB in %.3f s: %.1f MiB/s, %ld percent writes\n", failed ? "FAILED" : "extracted",
           megabytes, seconds, megabytes / seconds, g_percentWrites);
    return failed ? 1 : 0;
}
