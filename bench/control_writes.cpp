// Linked only into velmora_setup_counting.exe, the benchmark's copy of the setup: it counts the
// program's writes to the status line and the percentage field, and leaves the program's code
// as it is. Every call of SetDlgItemTextW (the program's texts, converted from CP949) goes
// through its import pointer; defining that pointer here (bench/counting_build.h) sends the
// calls to Count, which forwards them to user32.
//
// At exit the counts go to the file named by VELMORA_BENCH_COUNTS (a Windows path), one line
// per stage, "STAGE status=N percent=N shown_status=N shown_percent=N" (the shown ones were
// passed on to user32), and "wininet reads=N". A percentage write counts for the stage whose
// status text was written last: the download text, a "복사 중... " text, or anything else.
//
// Two switches let the benchmark tell what the writes cost the program: with
// VELMORA_BENCH_SKIP_PERCENT=1 the percentage writes are counted but not passed on to user32;
// with VELMORA_BENCH_SKIP_FILE_STATUS=1 neither are the extraction's status writes after its
// first one (the benchmark times the stage from that first one).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/texts.h"
#include "bench/counting_build.h"
#include "fw/code_page.h"
#include "res/resource.h"

namespace {

const char kCopyingPrefix[] = "복사 중... ";

enum Stage { kOther, kDownload, kExtraction, kStageCount };
const char* const kStageNames[kStageCount] = {"other", "download", "extraction"};

typedef BOOL(WINAPI* SetDlgItemTextFn)(HWND, int, LPCWSTR);

SetDlgItemTextFn g_real = nullptr;
bool g_skipPercent = false;
bool g_skipFileStatus = false;
volatile LONG g_stage = kOther;
volatile LONG g_status[kStageCount];
volatile LONG g_percent[kStageCount];
volatile LONG g_shownStatus[kStageCount];
volatile LONG g_shownPercent[kStageCount];

// The stage a status text belongs to, told by its CP949 form as the program's texts are.
Stage StageOf(const WCHAR* wide) {
    char status[1024];
    if (!wide || !WideToCp949(wide, status, sizeof status)) return kOther;
    if (strcmp(status, kDownloadingStatus) == 0) return kDownload;
    if (strncmp(status, kCopyingPrefix, sizeof kCopyingPrefix - 1) == 0) return kExtraction;
    return kOther;
}

BOOL WINAPI Count(HWND dialog, int id, LPCWSTR text) {
    if (id == IDC_STATUS) {
        Stage previous = static_cast<Stage>(g_stage);
        g_stage = StageOf(text);
        InterlockedIncrement(&g_status[g_stage]);
        if (g_skipFileStatus && previous == kExtraction && g_stage == kExtraction) return TRUE;
        InterlockedIncrement(&g_shownStatus[g_stage]);
    } else if (id == IDC_PERCENT) {
        InterlockedIncrement(&g_percent[g_stage]);
        if (g_skipPercent) return TRUE;
        InterlockedIncrement(&g_shownPercent[g_stage]);
    }
    return g_real(dialog, id, text);
}

bool SwitchedOn(const char* name) {
    const char* value = getenv(name);
    return value && strcmp(value, "1") == 0;
}

// Resolves user32's function before the program starts and reports when it ends.
struct Counter {
    Counter() {
        // Through void(*)(), the generic function pointer, as FARPROC has no parameters.
        g_real = reinterpret_cast<SetDlgItemTextFn>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SetDlgItemTextW")));
        g_skipPercent = SwitchedOn("VELMORA_BENCH_SKIP_PERCENT");
        g_skipFileStatus = SwitchedOn("VELMORA_BENCH_SKIP_FILE_STATUS");
    }
    ~Counter() {
        const char* path = getenv("VELMORA_BENCH_COUNTS");
        FILE* file = path ? fopen(path, "w") : nullptr;
        if (!file) return;
        for (int stage = 0; stage < kStageCount; ++stage)
            fprintf(file, "%s status=%ld percent=%ld shown_status=%ld shown_percent=%ld\n",
                    kStageNames[stage], g_status[stage], g_percent[stage], g_shownStatus[stage],
                    g_shownPercent[stage]);
        fprintf(file, "wininet reads=%ld\n", g_benchWinInetReads);
        fclose(file);
    }
} g_counter;

}  // namespace

extern "C" {
extern SetDlgItemTextFn const g_countingImport __asm__(COUNTING_IMPORT_POINTER(SetDlgItemTextW, 12));
SetDlgItemTextFn const g_countingImport = Count;
}
