// The temporary package archive: the user's temporary folder followed by the profile's archive
// name, the same file in every run of the process. The download names it and fills it, the
// extraction opens it by its path, and the dialog deletes it when it closes.
#pragma once

#include <cstddef>

#include "fw/path_text.h"
#include "fw/scoped.h"

class TempArchive {
public:
    // Names it: the temporary folder + |fileName|. False, and the name left as it was, when
    // the folder is unknown or the path would not fit.
    bool Name(const char* fileName);

    // Its path; empty until it is named.
    const char* path() const { return path_; }

    // Deletes the file, if it is named; a failure is ignored.
    void Delete() const;

private:
    char path_[kPathCapacity] = "";
};

// The archive while the download writes it. Unless Finish() closed it whole, it is closed
// and deleted when the writer goes: no partial archive is left.
class ArchiveWriter {
public:
    explicit ArchiveWriter(const TempArchive& archive) : archive_(archive) {}
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // Creates the file, or empties the one an earlier run left, or the bytes this writer wrote.
    bool Create();
    // False when fewer than |count| bytes were taken (the disk is full).
    bool Write(const void* data, size_t count);
    // Closes the complete archive; false, and the file deleted, when its last bytes could not
    // be written.
    bool Finish();

private:
    const TempArchive& archive_;
    ScopedFile file_;
};
