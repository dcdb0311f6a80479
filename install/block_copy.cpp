#include "install/block_copy.h"

#include <cerrno>
#include <cstdint>

#include "app/texts.h"

namespace {

int32_t Saturated(int64_t count) { return count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count); }

}  // namespace

StageResult CopyBlocks(const BlockCopy& copy, BlockSource* source, FILE* out, char* block,
                       size_t blockSize) {
    int64_t copied = 0;
    for (;;) {
        size_t count = 0;
        BlockSource::State state = source->Read(block, blockSize, &count);
        if (count > 0 || source->ReportsEmptyReads()) {
            if (fwrite(block, 1, count, out) != count)  // disk full
                return StageFailed(copy.stage, StageCode::kWrite, ErrorKind::kErrno, errno);
            copied += static_cast<int64_t>(count);
            copy.progress->ReportCopyProgress(Saturated(copied));
        }
        if (state == BlockSource::kEnd) return StageSucceeded(copy.stage);
        if (state == BlockSource::kFailed) return source->Failure();
        if (!ContinueAfterCancelCheck(copy.flags, copy.progress->reporter(), kCopyCancelQuestion,
                                      copy.questionFlags))
            return StageFailed(copy.stage, StageCode::kUserAbort);
    }
}
