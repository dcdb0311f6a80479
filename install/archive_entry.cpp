#include "install/archive_entry.h"

int ReadCurrentEntry(unzFile zip, ArchiveEntry* entry) {
    unz_file_info info;
    // minizip terminates the name only when it is shorter than the room it is given: keep the
    // last byte out of its reach so the buffer is terminated whatever it copies.
    entry->name[sizeof entry->name - 1] = '\0';
    int result = unzGetCurrentFileInfo(zip, &info, entry->name, sizeof entry->name - 1, nullptr,
                                       0, nullptr, 0);
    if (result != UNZ_OK) {
        entry->name[0] = '\0';
        return result;
    }
    if (info.size_filename >= sizeof entry->name) {
        entry->name[0] = '\0';
        return UNZ_UNSAFENAME;
    }
    entry->name[info.size_filename] = '\0';
    entry->utf8Name = (info.flag & kUtf8NameFlag) != 0;
    entry->uncompressedSize = static_cast<uint32_t>(info.uncompressed_size);
    entry->dosDate = info.dosDate;
    entry->compressionMethod = info.compression_method;
    return UNZ_OK;
}
