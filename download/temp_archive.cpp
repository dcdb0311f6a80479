#include "download/temp_archive.h"

#include <windows.h>

bool TempArchive::Name(const char* fileName) {
    char folder[kPathCapacity] = "";
    DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return false;
    char path[kPathCapacity];
    if (!ComposePath(path, sizeof path, {folder, fileName})) return false;
    lstrcpyA(path_, path);
    return true;
}

void TempArchive::Delete() const {
    if (path_[0]) DeleteFileA(path_);
}

ArchiveWriter::~ArchiveWriter() {
    if (!file_) return;
    file_.Reset();
    archive_.Delete();
}

bool ArchiveWriter::Create() {
    file_.Reset();  // what this writer wrote goes to the disk before the file is emptied
    file_.Reset(fopen(archive_.path(), "wb"));
    return static_cast<bool>(file_);
}

bool ArchiveWriter::Write(const void* data, size_t count) {
    return fwrite(data, 1, count, file_.get()) == count;
}

bool ArchiveWriter::Finish() {
    if (fclose(file_.Detach()) == 0) return true;
    archive_.Delete();
    return false;
}
