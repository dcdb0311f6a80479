#include "install/data_copy.h"

#include <cstdio>
#include <cstring>

#include "app/messages.h"
#include "app/profile.h"
#include "install/entry_name_rules.h"
#include "install/progress.h"
#include "ui/setup_dlg.h"

char g_szDataSrcDir[kPathBufferSize] = "";
char g_szDataDstDir[kPathBufferSize] = "";
CopyPair g_DataCopyPair = {g_szDataSrcDir, g_szDataDstDir};

namespace {

const size_t kCopyBlockSize = 4096;
const UINT kQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

// A folder listing, closed where it was opened.
class FolderListing {
public:
    FolderListing(const char* pattern, WIN32_FIND_DATAA* item) : find_(FindFirstFileA(pattern, item)) {}
    ~FolderListing() {
        if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
    }
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    bool IsOpen() const { return find_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA* item) { return FindNextFileA(find_, item) != 0; }

private:
    HANDLE find_;
};

// A walk that cannot go on (a path too long, no thread): the stage fails.
int StopWalk() {
    g_bRunning = 0;
    return 0;
}

// Copies |in| to |out| block by block; a short write or a read error ends it
// as a failure instead of leaving a short file or reading forever.
FileCopyOutcome CopyStream(FILE* in, FILE* out) {
    char block[kCopyBlockSize];
    int64_t copied = 0;
    while (true) {
        size_t count = fread(block, 1, sizeof block, in);
        if (fwrite(block, 1, count, out) != count) return kFileFailed;
        copied += count;
        ReportCopyProgress(copied > INT32_MAX ? INT32_MAX : static_cast<int32_t>(copied));
        if (feof(in)) return kFileCopied;
        if (ferror(in)) return kFileFailed;
        if (!ContinueAtCheckPoint(kQuestionFlags)) return kFileAborted;
    }
}

FileCopyOutcome CopyOneFile(const char* source, const char* destination) {
    FILE* in = fopen(source, "rb");
    if (!in) return kFileFailed;
    FILE* out = fopen(destination, "wb");  // an existing file is replaced
    if (!out) {
        fclose(in);
        return kFileFailed;
    }
    FileCopyOutcome outcome = CopyStream(in, out);
    // The last buffered bytes are written here; losing them is a short write too.
    if (fclose(out) != 0 && outcome == kFileCopied) outcome = kFileFailed;
    fclose(in);
    return outcome;
}

// Copies one file on a thread of its own and waits for it.
int CopyFileOnThread(const char* source, const char* destination) {
    CopyPair pair = {source, destination};
    HANDLE thread = CreateThread(nullptr, 0, CopyFileWorker, &pair, 0, nullptr);
    if (!thread) return StopWalk();
    WaitForSingleObject(thread, INFINITE);
    DWORD outcome = kFileFailed;
    GetExitCodeThread(thread, &outcome);
    CloseHandle(thread);
    if (outcome != kFileCopied) return 0;
    // A cancel request that came after the file's last check point (a file
    // under one block has none) is answered here, so the stage still ends
    // with one message.
    return ContinueAtCheckPoint(kQuestionFlags) ? 1 : 0;
}

// One listed item of |source|: a sub-folder is walked, a file copied.
int CopyItem(const char* source, const char* destination, const WIN32_FIND_DATAA& item) {
    char from[kDataPathCapacity];
    char to[kDataPathCapacity];
    if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (IsSelfOrParentItem(item.cFileName)) return 1;
        if (!ComposeSubFolder(source, item.cFileName, from, sizeof from) ||
            !ComposeSubFolder(destination, item.cFileName, to, sizeof to))
            return StopWalk();
        return CopyTree(from, to);
    }
    BeginFile(item.cFileName, item.nFileSizeLow);
    if (!ComposeFilePath(source, item.cFileName, from, sizeof from) ||
        !ComposeFilePath(destination, item.cFileName, to, sizeof to))
        return StopWalk();
    return CopyFileOnThread(from, to);
}

}  // namespace

LRESULT CSetupDlg::OnSetupExtracted(WPARAM, LPARAM) {
    StartDataCopy();
    return 1;
}

void StartDataCopy() {
    if (g_nDataBytes < 1) {
        PostMessageA(g_hMainWnd, WM_SETUP_COMPLETE, 0, 0);
        return;
    }
    char setupPath[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, setupPath, sizeof setupPath);
    if (length == 0 || length >= sizeof setupPath ||
        !ComposeDataSourceDir(setupPath, g_szDataSrcDir, sizeof g_szDataSrcDir)) {
        PostMessageA(g_hMainWnd, WM_SETUP_FAILED, 0, 0);
        return;
    }
    memcpy(g_szDataDstDir, g_szInstallDir, sizeof g_szDataDstDir);
    g_DataCopyPair.source = g_szDataSrcDir;
    g_DataCopyPair.destination = g_szDataDstDir;

    g_bRunning = 1;
    HANDLE thread = CreateThread(nullptr, 0, DataCopyWorker, &g_DataCopyPair, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
        PostMessageA(g_hMainWnd, WM_SETUP_FAILED, 0, 0);  // the failure handler resets g_bRunning
}

DWORD WINAPI DataCopyWorker(LPVOID param) {
    const CopyPair* pair = static_cast<const CopyPair*>(param);
    // The only place that ends the stage. A cancel request still pending when
    // the walk is done is asked about rather than lost.
    bool complete = CopyTree(pair->source, pair->destination) == 1 && ContinueAtCheckPoint(kQuestionFlags);
    PostMessageA(g_hMainWnd, complete ? WM_SETUP_COMPLETE : WM_SETUP_FAILED, 0, 0);
    return 0;
}

int CopyTree(const char* source, const char* destination) {
    CreatePathDirs(destination);
    char pattern[kDataPathCapacity];
    if (!ComposeSearchPattern(source, pattern, sizeof pattern)) return StopWalk();
    WIN32_FIND_DATAA item;
    FolderListing listing(pattern, &item);
    if (!listing.IsOpen()) return 1;  // missing or unreadable: counts as empty
    do {
        if (!CopyItem(source, destination, item)) return 0;
    } while (listing.Next(&item));
    return 1;
}

DWORD WINAPI CopyFileWorker(LPVOID param) {
    const CopyPair* pair = static_cast<const CopyPair*>(param);
    FileCopyOutcome outcome = CopyOneFile(pair->source, pair->destination);
    if (outcome == kFileFailed) g_bRunning = 0;  // an abort cleared it at the question
    return outcome;
}

void CreatePathDirs(const char* folder) {
    char prefix[kDataPathCapacity];
    size_t length = strlen(folder);
    if (length >= sizeof prefix) return;
    memcpy(prefix, folder, length + 1);
    for (char* p = prefix; *p; ++p) {
        if (*p != '\\') continue;
        char next = p[1];
        p[1] = '\0';  // the prefix keeps its backslash: "C:\" is the drive's root
        CreateDirectoryA(prefix, nullptr);  // one that exists is fine
        p[1] = next;
    }
}
