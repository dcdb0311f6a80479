#include "install/extract_worker.h"

#include <direct.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/messages.h"
#include "app/run_state.h"
#include "install/entry_name_rules.h"
#include "install/progress.h"
#include "ui/setup_dlg.h"

namespace {

const unsigned kBlockSize = 8192;
const UINT kQuestionFlags = MB_YESNO | MB_DEFBUTTON2;  // no icon in this stage

// One unzOpen of the archive, closed where it was opened.
class OpenArchive {
public:
    explicit OpenArchive(const char* path) : zip_(unzOpen(path)) {}
    ~OpenArchive() {
        if (zip_) unzClose(zip_);
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;
    unzFile get() const { return zip_; }

private:
    unzFile zip_;
};

// The copy block of one entry.
class CopyBlock {
public:
    CopyBlock() : data_(static_cast<char*>(malloc(kBlockSize))) {}
    ~CopyBlock() { free(data_); }
    CopyBlock(const CopyBlock&) = delete;
    CopyBlock& operator=(const CopyBlock&) = delete;
    char* get() const { return data_; }

private:
    char* data_;
};

// Opens |target| for writing. The first file of a folder the archive has no
// entry for fails at first: its folders are made and it is tried once more.
FILE* CreateTargetFile(const char* target) {
    FILE* file = fopen(target, "wb");
    if (file) return file;
    const char* leaf = LeafOf(target);
    if (leaf == target) return nullptr;
    char folder[kEntryPathCapacity];
    size_t folderLength = static_cast<size_t>(leaf - target - 1);
    memcpy(folder, target, folderLength);
    folder[folderLength] = '\0';
    MakeDirChain(folder);
    return fopen(target, "wb");
}

// Copies the opened entry into |file| block by block.
int CopyEntryData(unzFile zip, FILE* file, char* block) {
    while (true) {
        int count = unzReadCurrentFile(zip, block, kBlockSize);
        if (count < 0) return count;  // read or inflate error
        // minizip checks the CRC only when the data reached the size the
        // directory gives: data that ends early would pass unchecked.
        if (count == 0) return unzeof(zip) ? UNZ_OK : UNZ_BADZIPFILE;
        if (fwrite(block, count, 1, file) != 1) return UNZ_ERRNO;  // disk full
        ReportCopyProgress(static_cast<int32_t>(ftell(file)));
        if (!ContinueAtCheckPoint(kQuestionFlags)) return UNZ_USERABORT;
    }
}

// Writes the opened entry to |target|, which is created or replaced.
int WriteEntryFile(unzFile zip, const char* target, char* block) {
    FILE* file = CreateTargetFile(target);
    if (!file) return UNZ_CANNOTCREATE;
    int result = CopyEntryData(zip, file, block);
    // The last buffered bytes are written here; losing them is a short write too.
    if (fclose(file) != 0 && result == UNZ_OK) result = UNZ_ERRNO;
    return result;
}

}  // namespace

LRESULT CSetupDlg::OnSetupDownloaded(WPARAM, LPARAM) {
    StartExtraction();
    return 1;
}

void StartExtraction() {
    g_bRunning = 1;
    HANDLE thread = CreateThread(nullptr, 0, ExtractWorker, g_szArchivePath, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
        PostMessageA(g_hMainWnd, WM_SETUP_FAILED, 0, 0);  // the failure handler resets g_bRunning
}

DWORD WINAPI ExtractWorker(LPVOID archivePath) {
    int result = ExtractArchive(static_cast<const char*>(archivePath));
    PostMessageA(g_hMainWnd, result == UNZ_OK ? WM_SETUP_EXTRACTED : WM_SETUP_FAILED, 0, 0);
    return 0;
}

int ExtractArchive(const char* path) {
    {
        OpenArchive sizes(path);
        if (!sizes.get()) return UNZ_BADZIPFILE;
        SumArchiveSizes(sizes.get());
    }
    OpenArchive archive(path);
    if (!archive.get()) return UNZ_BADZIPFILE;
    return ExtractAllEntries(archive.get());
}

int SumArchiveSizes(unzFile zip) {
    unz_global_info global;
    global.number_entry = 0;
    unzGetGlobalInfo(zip, &global);
    g_nTotalBytes = 1;
    for (uLong i = 0; i < global.number_entry; ++i) {
        if (i > 0 && unzGoToNextFile(zip) != UNZ_OK) break;
        unz_file_info info;
        if (unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        AddToTotalBytes(&g_copyProgress, info.uncompressed_size);
    }
    return 0;
}

int ExtractAllEntries(unzFile zip) {
    unz_global_info global;
    int result = unzGetGlobalInfo(zip, &global);
    if (result != UNZ_OK) return result;
    for (uLong i = 0; i < global.number_entry; ++i) {
        // Fewer entries than the count says fails with UNZ_END_OF_LIST_OF_FILE.
        if (i > 0 && (result = unzGoToNextFile(zip)) != UNZ_OK) return result;
        if ((result = ExtractCurrentEntry(zip)) != UNZ_OK) return result;
    }
    return UNZ_OK;
}

int ExtractCurrentEntry(unzFile zip) {
    ArchiveEntry entry;
    int result = ReadCurrentEntry(zip, &entry);  // a name that does not fit is refused here
    if (result != UNZ_OK) return result;
    BeginFile(entry.name, entry.uncompressedSize);

    // Refused before anything of the entry is written: a name that leads out of the install
    // folder, a target too long.
    char target[kEntryPathCapacity];
    if (!IsEntryNameContained(entry.name) ||
        !ComposeEntryTarget(g_szInstallDir, entry.name, target, sizeof target))
        return UNZ_UNSAFENAME;

    if (*LeafOf(target) == '\0') {
        _mkdir(target);  // a folder entry; may exist already. Missing parents come with its first file.
        return UNZ_OK;
    }

    // minizip built without bzip2 would copy such an entry raw and unchecked.
    if (entry.compressionMethod != 0 && entry.compressionMethod != Z_DEFLATED) return UNZ_BADZIPFILE;

    CopyBlock block;
    if (!block.get()) return UNZ_INTERNALERROR;
    result = unzOpenCurrentFile(zip);
    if (result == UNZ_OK) result = WriteEntryFile(zip, target, block.get());
    if (result != UNZ_OK) {
        unzCloseCurrentFile(zip);
        return result;  // a partly written file stays
    }
    SetEntryFileTime(target, entry.dosDate);
    return unzCloseCurrentFile(zip);  // UNZ_CRCERROR: the data read does not match
}

int MakeDirChain(const char* folder) {
    char path[kEntryPathCapacity];
    size_t length = strlen(folder);
    if (length == 0 || length >= sizeof path) return 0;
    memcpy(path, folder, length + 1);
    if (path[length - 1] == '/') path[--length] = '\0';
    if (length == 0) return 0;
    if (_mkdir(path) == 0) return 1;

    // From the second character, so a leading separator never gives an empty prefix.
    for (char* cut = path + 1;; ++cut) {
        if (*cut != '\0' && *cut != '/' && *cut != '\\') continue;
        char separator = *cut;
        *cut = '\0';
        // A folder that exists, or a drive such as "C:", is passed over.
        if (_mkdir(path) == -1 && errno == ENOENT) return 0;
        if (separator == '\0') return 1;
        *cut = separator;
    }
}

void SetEntryFileTime(const char* path, unsigned long dosDate) {
    FILETIME local, entryTime;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dosDate >> 16), static_cast<WORD>(dosDate), &local) ||
        !LocalFileTimeToFileTime(&local, &entryTime))
        return;
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    SetFileTime(file, &entryTime, nullptr, &entryTime);  // no last-access time: it stays as it is
    CloseHandle(file);
}
