#include "app/run_log.h"

#include "app/run_log_rules.h"
#include "fw/bounded_text.h"
#include "fw/code_page.h"
#include "fw/scoped.h"

namespace {

const size_t kLineCapacity = 1024;

ScopedHandle g_hRunLog;

// The one place the log's file is opened: for appending, shared with readers and other writers.
HANDLE OpenLogForAppending(const char* path) {
    WideText widePath(path);
    if (!widePath.ok()) return INVALID_HANDLE_VALUE;
    return CreateFileW(widePath.get(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// |cp949| as UTF-8 into |out| (|cap| bytes, at least those of |cp949|). Bytes that are no
// code page 949 text (a path in another code page) become "?" rather than a guess.
void ToUtf8(const char* cp949, char* out, int cap) {
    WCHAR wide[kLineCapacity];
    int length = MultiByteToWideChar(kProgramCodePage, MB_ERR_INVALID_CHARS, cp949, -1, wide, kLineCapacity);
    if (length > 0 && WideCharToMultiByte(CP_UTF8, 0, wide, length, out, cap, nullptr, nullptr) != 0) return;
    lstrcpynA(out, cp949, cap);
    for (char* at = out; *at; ++at)
        if (static_cast<unsigned char>(*at) >= 0x80) *at = '?';
}

LogTime LocalLogTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

}  // namespace

bool OpenRunLog(const char* path) {
    const bool named = path && *path;
    g_hRunLog.Reset(named ? OpenLogForAppending(path) : nullptr);
    return !named || static_cast<bool>(g_hRunLog);
}

void LogRunLine(const char* text, const char* detail) {
    if (!g_hRunLog) return;
    char whole[kLineCapacity];
    char line[kLineCapacity];
    char utf8[3 * kLineCapacity];
    if (!BoundedText(whole, sizeof whole).Add(text).Add(detail ? detail : "").Fits() ||
        !FormatLogLine(LocalLogTime(), whole, line, sizeof line))
        return;
    ToUtf8(line, utf8, sizeof utf8);
    // One write a line: with FILE_APPEND_DATA each lands whole at the end, whichever thread writes.
    DWORD written = 0;
    WriteFile(g_hRunLog.get(), utf8, lstrlenA(utf8), &written, nullptr);
}

void LogStageStart(Stage stage) {
    char text[64];
    if (BoundedText(text, sizeof text).Add(StageName(stage)).Add(" start").Fits()) LogRunLine(text);
}

void LogStageEnd(const StageResult& result) {
    char text[192];
    if (FormatStageEnd(result, text, sizeof text)) LogRunLine(text);
}

int WINAPI AnswerUnattended(HWND, const char* text, const char*, UINT flags) {
    const bool question = (flags & MB_TYPEMASK) != MB_OK;
    LogRunLine(question ? "question answered yes (stop), not shown: " : "notice not shown: ", text);
    return question ? IDYES : IDOK;
}
