#include "install/extract_worker.h"

#include <cerrno>
#include <cstring>

#include "app/stage_thread.h"
#include "fw/code_page.h"
#include "fw/folders.h"
#include "fw/path_text.h"
#include "fw/scoped.h"
#include "fw/wide_calls.h"
#include "install/archive_entry.h"
#include "install/archive_stream.h"
#include "install/block_copy.h"
#include "install/entry_name_rules.h"
#include "install/progress.h"

namespace {

const unsigned kBlockSize = 8192;
const UINT kQuestionFlags = MB_YESNO | MB_DEFBUTTON2;  // no icon in this stage

struct UnzipTraits : NullMeansEmpty<unzFile> {
    static void Release(Value v) { unzClose(v); }
};
using ScopedUnzip = Scoped<UnzipTraits>;

StageResult Failed(StageCode code, ErrorKind kind = ErrorKind::kNone, int32_t error = 0) {
    return StageFailed(Stage::kExtract, code, kind, error);
}

StageResult MinizipFailure(int code) { return Failed(StageCode::kArchiveRead, ErrorKind::kMinizip, code); }

// The entry's data as minizip inflates it. minizip checks the CRC only when the data reached
// the size the directory gives: data that ends early would pass unchecked, so an end before
// that is a failure.
class EntryData : public BlockSource {
public:
    explicit EntryData(unzFile zip) : zip_(zip) {}
    State Read(char* block, size_t capacity, size_t* count) override {
        int read = unzReadCurrentFile(zip_, block, static_cast<unsigned>(capacity));
        last_ = read;
        if (read < 0) return kFailed;  // read or inflate error
        *count = static_cast<size_t>(read);
        if (read > 0) return kMore;
        return unzeof(zip_) ? kEnd : kFailed;
    }
    bool ReportsEmptyReads() const override { return false; }
    StageResult Failure() const override {
        return last_ < 0 ? MinizipFailure(last_) : Failed(StageCode::kDataShort);
    }

private:
    unzFile zip_;
    int last_ = 0;
};

// The extraction pass's state: the job and the progress of its files.
struct Extraction {
    const ExtractJob& job;
    CopyProgressReporter progress;
};

// Opens |target| for writing. The first file of a folder the archive has no entry for fails
// at first: its folders are made and it is tried once more.
FILE* CreateTargetFile(const char* target) {
    FILE* file = OpenFileCp949(target, "wb");
    if (file) return file;
    const char* leaf = LeafOf(target);
    if (leaf == target) return nullptr;
    char folder[kEntryPathCapacity];
    lstrcpynA(folder, target, static_cast<int>(leaf - target));  // without the separator
    MakeFolderChain(folder);
    return OpenFileCp949(target, "wb");
}

// Writes the opened entry to |target|, which is created or replaced.
StageResult WriteEntryFile(Extraction* run, unzFile zip, const char* target) {
    ScopedMemory<char> block(static_cast<char*>(malloc(kBlockSize)));
    if (!block) return Failed(StageCode::kNoMemory);
    ScopedFile file(CreateTargetFile(target));
    if (!file) return Failed(StageCode::kTargetCreate, ErrorKind::kErrno, errno);
    EntryData data(zip);
    BlockCopy copy = {Stage::kExtract, kQuestionFlags, run->job.flags, &run->progress};
    StageResult result = CopyBlocks(copy, &data, file.get(), block.get(), kBlockSize);
    // The last buffered bytes are written here; losing them is a short write too.
    if (fclose(file.Detach()) != 0 && result.ok()) result = Failed(StageCode::kWrite, ErrorKind::kErrno, errno);
    return result;
}

// The entry's name in the program's code page, in place: a UTF-8 name (flag bit 11) converted,
// any other kept as stored. False when code page 949 cannot hold it, or the stored bytes are not
// CP949: such a name is never written under a near one.
bool TakeNameIntoCodePage(ArchiveEntry* entry) {
    if (!entry->utf8Name) {
        WideText stored(entry->name);
        return stored.ok();
    }
    char converted[kEntryPathCapacity];  // CP949 never takes more bytes than UTF-8
    if (!Utf8ToCp949(entry->name, converted, sizeof converted)) return false;
    memcpy(entry->name, converted, sizeof converted);
    return true;
}

// Extracts the entry |zip| is positioned at.
StageResult ExtractCurrentEntry(Extraction* run, unzFile zip) {
    ArchiveEntry entry;
    int read = ReadCurrentEntry(zip, &entry);  // a name that does not fit is refused here
    if (read == UNZ_UNSAFENAME) return Failed(StageCode::kUnsafeName);
    if (read != UNZ_OK) return MinizipFailure(read);
    // Every rule below runs on the name as it will be written.
    if (!TakeNameIntoCodePage(&entry)) return Failed(StageCode::kNameCodePage);
    run->progress.BeginFile(entry.name, entry.uncompressedSize);

    // Refused before anything of the entry is written: a name that leads out of the install
    // folder, a target too long.
    char target[kEntryPathCapacity];
    if (!IsEntryNameContained(entry.name) ||
        !ComposePath(target, sizeof target, {run->job.installDir, entry.name}))
        return Failed(StageCode::kUnsafeName);

    if (*LeafOf(target) == '\0') {
        MakeFolder(target);  // a folder entry; may exist already. Missing parents come with its first file.
        return StageSucceeded(Stage::kExtract);
    }
    // minizip built without bzip2 would copy such an entry raw and unchecked.
    if (entry.compressionMethod != 0 && entry.compressionMethod != Z_DEFLATED) return Failed(StageCode::kMethod);

    int opened = unzOpenCurrentFile(zip);
    if (opened != UNZ_OK) return MinizipFailure(opened);
    StageResult result = WriteEntryFile(run, zip, target);
    if (!result.ok()) {
        unzCloseCurrentFile(zip);
        return result;  // a partly written file stays
    }
    SetEntryFileTime(target, entry.dosDate);
    int closed = unzCloseCurrentFile(zip);  // UNZ_CRCERROR: the data read does not match
    if (closed == UNZ_CRCERROR) return Failed(StageCode::kCrc, ErrorKind::kMinizip, closed);
    return closed == UNZ_OK ? StageSucceeded(Stage::kExtract) : MinizipFailure(closed);
}

// Size pass: the scale's total = 1 + the uncompressed sizes of all entries, as far as they can
// be read; a short sum only blurs the scale.
void SumArchiveSizes(unzFile zip, CopyProgress* progress) {
    unz_global_info global;
    global.number_entry = 0;
    unzGetGlobalInfo(zip, &global);
    progress->totalBytes = 1;
    for (uLong i = 0; i < global.number_entry; ++i) {
        if (i > 0 && unzGoToNextFile(zip) != UNZ_OK) break;
        unz_file_info info;
        if (unzGetCurrentFileInfo(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        AddToTotalBytes(progress, info.uncompressed_size);
    }
}

// Extraction pass: every entry in central-directory order, to the first failure.
StageResult ExtractAllEntries(Extraction* run, unzFile zip) {
    unz_global_info global;
    int result = unzGetGlobalInfo(zip, &global);
    if (result != UNZ_OK) return MinizipFailure(result);
    for (uLong i = 0; i < global.number_entry; ++i) {
        // Fewer entries than the count says fails with UNZ_END_OF_LIST_OF_FILE.
        if (i > 0 && (result = unzGoToNextFile(zip)) != UNZ_OK) return MinizipFailure(result);
        StageResult entry = ExtractCurrentEntry(run, zip);
        if (!entry.ok()) return entry;
    }
    return StageSucceeded(Stage::kExtract);
}

}  // namespace

void StartExtraction(ExtractJob* job) {
    StartStageThread(Stage::kExtract, job->flags, job->reporter, StageWorker<ExtractJob, ExtractArchive>, job);
}

StageResult ExtractArchive(const ExtractJob& job) {
    {
        ScopedUnzip sizes(OpenArchiveOnHandle(job.archive));
        if (!sizes) return Failed(StageCode::kArchiveOpen);
        SumArchiveSizes(sizes.get(), job.progress);
    }
    ScopedUnzip archive(OpenArchiveOnHandle(job.archive));
    if (!archive) return Failed(StageCode::kArchiveOpen);
    Extraction run = {job, CopyProgressReporter(job.progress, job.reporter)};
    return ExtractAllEntries(&run, archive.get());
}

void SetEntryFileTime(const char* path, unsigned long dosDate) {
    FILETIME local, entryTime;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dosDate >> 16), static_cast<WORD>(dosDate), &local) ||
        !LocalFileTimeToFileTime(&local, &entryTime))
        return;
    WideText widePath(path);
    ScopedHandle file(CreateFileW(widePath.get(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr));
    if (!file) return;
    SetFileTime(file.get(), &entryTime, nullptr, &entryTime);  // no last-access time: it stays as it is
}
