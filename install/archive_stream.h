// minizip reading through a file handle that is already open (its I/O table, zlib_filefunc64_def),
// with positional reads: the archive is read as that handle holds it and is never opened again
// by its name. Each unzFile keeps a position of its own, so several can read one handle; the
// handle stays open when the unzFile closes.
#pragma once

#include <windows.h>

#include <unzip.h>

// unzOpen2_64 over |file| (opened with read access); null when minizip cannot read a zip
// archive from it.
unzFile OpenArchiveOnHandle(HANDLE file);
