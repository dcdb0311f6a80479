// Reading an archive entry's information from minizip into buffers that are always
// terminated. Portable (minizip only), so the native tests drive it under the sanitizers.
#pragma once

#include <cstdint>

#include <unzip.h>

#include "install/entry_name_rules.h"

// The extraction's result codes: minizip's (UNZ_OK 0, negative errors, the negative zlib codes
// unzReadCurrentFile passes on; UNZ_ERRNO also for a short write) and the program's own below.
#define UNZ_USERABORT (-106)     // the user confirmed the cancel question
#define UNZ_UNSAFENAME (-107)    // the entry would land outside the install folder,
                                 // or its name or target does not fit its buffer
#define UNZ_CANNOTCREATE (-108)  // the target file cannot be created, even after its
                                 // folders were made (held open, read-only)

// General-purpose flag bit 11: the entry's name (and comment) are UTF-8.
const unsigned long kUtf8NameFlag = 0x0800;

struct ArchiveEntry {
    char name[kEntryPathCapacity];  // always NUL-terminated; the bytes as stored
    bool utf8Name;                  // kUtf8NameFlag is set: |name| is UTF-8, else code page 949
    uint32_t uncompressedSize;
    unsigned long dosDate;          // MS-DOS date in the high, time in the low 16 bits
    unsigned long compressionMethod;
};

// The information of the entry |zip| is positioned at. UNZ_UNSAFENAME for a name of
// kEntryPathCapacity bytes or more, refused before anything reads it (minizip leaves a name
// that fills its buffer unterminated); else minizip's result.
int ReadCurrentEntry(unzFile zip, ArchiveEntry* entry);
