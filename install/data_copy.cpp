#include "install/data_copy.h"

#include <cerrno>
#include <cstdio>

#include "app/stage_thread.h"
#include "fw/code_page.h"
#include "fw/folders.h"
#include "fw/scoped.h"
#include "fw/thread.h"
#include "fw/wide_calls.h"
#include "install/block_copy.h"
#include "install/data_copy_rules.h"
#include "install/progress.h"

namespace {

const size_t kCopyBlockSize = 4096;
const UINT kQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

StageResult Failed(StageCode code, ErrorKind kind = ErrorKind::kNone, int32_t error = 0) {
    return StageFailed(Stage::kDataCopy, code, kind, error);
}

// A data file as the C runtime reads it: the end of the file ends it, a read error fails it.
class FileData : public BlockSource {
public:
    explicit FileData(FILE* file) : file_(file) {}
    State Read(char* block, size_t capacity, size_t* count) override {
        *count = fread(block, 1, capacity, file_);
        if (feof(file_)) return kEnd;
        if (!ferror(file_)) return kMore;
        error_ = errno;
        return kFailed;
    }
    bool ReportsEmptyReads() const override { return true; }  // every read is reported
    StageResult Failure() const override { return Failed(StageCode::kSourceRead, ErrorKind::kErrno, error_); }

private:
    FILE* file_;
    int error_ = 0;
};

// The walk's state: the job and the progress of its files.
struct Walk {
    const DataCopyJob& job;
    CopyProgressReporter progress;
};

// One file for its own thread, which writes the result here.
struct FileCopy {
    Walk* walk;
    const char* source;
    const char* destination;
    StageResult result;
};

StageResult CopyFileBlocks(Walk* walk, const char* source, const char* destination) {
    ScopedFile in(OpenFileCp949(source, "rb"));
    if (!in) return Failed(StageCode::kSourceOpen, ErrorKind::kErrno, errno);
    ScopedFile out(OpenFileCp949(destination, "wb"));  // an existing file is replaced
    if (!out) return Failed(StageCode::kTargetCreate, ErrorKind::kErrno, errno);
    char block[kCopyBlockSize];
    FileData data(in.get());
    BlockCopy copy = {Stage::kDataCopy, kQuestionFlags, walk->job.flags, &walk->progress};
    StageResult result = CopyBlocks(copy, &data, out.get(), block, sizeof block);
    // The last buffered bytes are written here; losing them is a short write too.
    if (fclose(out.Detach()) != 0 && result.ok()) result = Failed(StageCode::kWrite, ErrorKind::kErrno, errno);
    return result;
}

DWORD WINAPI CopyFileWorker(LPVOID param) {
    FileCopy* file = static_cast<FileCopy*>(param);
    file->result = CopyFileBlocks(file->walk, file->source, file->destination);
    return 0;
}

// Copies one file on a thread of its own and waits for it. A cancel request that came after
// the file's last check point (a file under one block has none) is answered here, so the
// stage still ends with one message.
StageResult CopyFileOnThread(Walk* walk, const char* source, const char* destination) {
    FileCopy file = {walk, source, destination, StageSucceeded(Stage::kDataCopy)};
    DWORD unused = 0;
    if (!RunThreadAndWait(CopyFileWorker, &file, &unused))
        return StageFailedWithLastError(Stage::kDataCopy, StageCode::kThreadStart);
    if (!file.result.ok()) return file.result;
    if (!ContinueAfterCancelCheck(walk->job.flags, walk->job.reporter, kCopyCancelQuestion, kQuestionFlags))
        return Failed(StageCode::kUserAbort);
    return file.result;
}

StageResult CopyTree(Walk* walk, const char* source, const char* destination);

// One listed item of |source|: a sub-folder is walked, a file copied.
StageResult CopyItem(Walk* walk, const char* source, const char* destination, const WIN32_FIND_DATAW& item) {
    // Room for any listed name, so only a character CP949 cannot hold fails here.
    char name[2 * MAX_PATH];
    if (!WideToCp949(item.cFileName, name, sizeof name)) return Failed(StageCode::kNameCodePage);
    char from[kPathCapacity];
    char to[kPathCapacity];
    if (item.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (IsSelfOrParentItem(name)) return StageSucceeded(Stage::kDataCopy);
        if (!ComposePath(from, sizeof from, {source, name, "\\"}) ||
            !ComposePath(to, sizeof to, {destination, name, "\\"}))
            return Failed(StageCode::kDataFolder);
        return CopyTree(walk, from, to);
    }
    walk->progress.BeginFile(name, item.nFileSizeLow);
    if (!ComposePath(from, sizeof from, {source, name}) || !ComposePath(to, sizeof to, {destination, name}))
        return Failed(StageCode::kDataFolder);
    return CopyFileOnThread(walk, from, to);
}

// Copies the tree under |source| into |destination| (both end with "\"), depth-first, to the
// first failure.
StageResult CopyTree(Walk* walk, const char* source, const char* destination) {
    MakeFolderChain(destination);
    char pattern[kPathCapacity];
    if (!ComposePath(pattern, sizeof pattern, {source, "*.*"})) return Failed(StageCode::kDataFolder);
    WideText widePattern(pattern);
    WIN32_FIND_DATAW item;
    ScopedFindHandle listing(FindFirstFileW(widePattern.get(), &item));
    if (!listing) return StageSucceeded(Stage::kDataCopy);  // missing or unreadable: counts as empty
    do {
        StageResult result = CopyItem(walk, source, destination, item);
        if (!result.ok()) return result;
    } while (FindNextFileW(listing.get(), &item));
    return StageSucceeded(Stage::kDataCopy);
}

// The walk's two folders: "data\" beside the setup program, and the install folder.
bool NameDataFolders(DataCopyJob* job) {
    char setupPath[kPathCapacity];
    return ModulePathCp949(setupPath, sizeof setupPath) &&
           ComposeDataSourceDir(setupPath, job->sourceDir, sizeof job->sourceDir) &&
           ComposePath(job->destinationDir, sizeof job->destinationDir, {job->installDir});
}

}  // namespace

void StartDataCopy(DataCopyJob* job) {
    if (job->dataBytes < 1) {
        job->reporter.Finish(StageSucceeded(Stage::kDataCopy));
        return;
    }
    if (!NameDataFolders(job)) {
        job->reporter.Finish(Failed(StageCode::kDataFolder));
        return;
    }
    StartStageThread(Stage::kDataCopy, job->flags, job->reporter, StageWorker<DataCopyJob, CopyDataFolder>, job);
}

StageResult RunDataCopy(DataCopyJob* job) {
    if (job->dataBytes < 1) return StageSucceeded(Stage::kDataCopy);
    if (!NameDataFolders(job)) return Failed(StageCode::kDataFolder);
    return CopyDataFolder(*job);
}

StageResult CopyDataFolder(const DataCopyJob& job) {
    Walk walk = {job, CopyProgressReporter(job.progress, job.reporter)};
    StageResult result = CopyTree(&walk, job.sourceDir, job.destinationDir);
    if (result.ok() && !ContinueAfterCancelCheck(job.flags, job.reporter, kCopyCancelQuestion, kQuestionFlags))
        result = Failed(StageCode::kUserAbort);
    if (!result.ok()) job.flags->running = 0;
    return result;
}

StageResult CopyDataFile(const DataCopyJob& job, const char* source, const char* destination) {
    Walk walk = {job, CopyProgressReporter(job.progress, job.reporter)};
    return CopyFileOnThread(&walk, source, destination);
}
