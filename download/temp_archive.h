// The temporary package archive: the profile's archive name in the user's temporary folder,
// held by one handle from its creation to its deletion. That folder is one the user's
// unelevated programs write to, while the setup runs elevated; so while the handle is open
// nobody else may write to the file, delete or rename it (others may read it), and the file
// goes when the handle closes, also when the process ends without closing it. The download
// creates and fills it, the extraction reads it through the same handle, and the dialog closes
// it when it closes. It is never opened by its name again.
#pragma once

#include <windows.h>

#include "fw/path_text.h"
#include "fw/scoped.h"

class TempArchive {
public:
    TempArchive() = default;
    TempArchive(const TempArchive&) = delete;
    TempArchive& operator=(const TempArchive&) = delete;

    // Names it: the temporary folder + |fileName| (code page 949). False, and the name left as
    // it was, when the folder is unknown or the path would not fit.
    bool Name(const char* fileName);

    // A new, empty archive. The one held so far goes first (closing it deletes it); then a
    // stale file of the name is removed, through a handle on that file itself, and only when
    // it is a plain file with no other name: a link of any kind (a removal through it would
    // reach another file), a file with a second name (a hard link) or a folder is refused with
    // ERROR_FILE_EXISTS. The file is then created where nothing may stand (CREATE_NEW neither
    // follows a link nor opens what slipped in meanwhile: that is ERROR_FILE_EXISTS too).
    // Returns 0, or the Win32 error that stopped it: ERROR_SHARING_VIOLATION when another
    // process holds the file, as a second setup's download finds the first one's archive.
    DWORD Create();

    // Empties the open archive, so a whole package replaces what it held. False on a failure
    // (GetLastError).
    bool Empty();

    // Writes |count| bytes after those written so far. False when not all were written
    // (GetLastError; ERROR_DISK_FULL for a short write).
    bool Write(const void* data, DWORD count);

    // The open archive, for reading through it (with positional reads); null when none is open.
    HANDLE handle() const { return file_.get(); }

    // Closes the handle, which deletes the file. Nothing when none is open.
    void Close() { file_.Reset(); }

private:
    wchar_t path_[kPathCapacity] = L"";
    size_t leafStart_ = 0;  // where the file name begins in path_
    ScopedHandle file_;
};
