// Extraction of the downloaded package archive into the install folder, on a
// worker thread: one pass over the central directory for the progress scale,
// one that writes every entry. The stage ends with exactly one posted
// WM_SETUP_EXTRACTED or WM_SETUP_FAILED.
#pragma once

#include <windows.h>

#include <unzip.h>

#include "install/archive_entry.h"  // the result codes; only zero versus non-zero reaches the dialog

// The WM_SETUP_DOWNLOADED handler's work: sets g_bRunning and starts
// ExtractWorker on g_szArchivePath; posts WM_SETUP_FAILED when no thread starts.
void StartExtraction();

// Thread procedure; |archivePath| points at the archive's path. Posts the
// stage's one message to g_hMainWnd.
DWORD WINAPI ExtractWorker(LPVOID archivePath);

// Both passes over the archive at |path| into g_szInstallDir: 0 when every
// entry is in place, else the first failure (UNZ_BADZIPFILE when the archive
// cannot be opened).
int ExtractArchive(const char* path);

// Size pass: g_nTotalBytes = 1 + the uncompressed sizes of all entries, as far
// as they can be read. Always 0: a short sum only blurs the scale.
int SumArchiveSizes(unzFile zip);

// Extraction pass: every entry in central-directory order; 0, or the first
// non-zero result (entries after it are not touched). Folder structure is
// reproduced and existing files are replaced without a question.
int ExtractAllEntries(unzFile zip);

// The entry |zip| is positioned at: a folder entry (name ending in "/" or
// "\") makes its folder; a file entry is written in 8192-byte blocks, each
// followed by a progress report and a cancel check point, then dated.
// UNZ_CRCERROR comes after the file is complete and dated. UNZ_BADZIPFILE for
// a method other than stored or deflated (nothing written), and for data that
// ends before the size the directory gives (the short file stays).
int ExtractCurrentEntry(unzFile zip);

// Makes |folder| and the folders above it: 1 when the chain exists, 0 when a
// component cannot be made because a part of the path is missing.
int MakeDirChain(const char* folder);

// Creation and last-write time of |path| = |dosDate| (MS-DOS date in the high,
// time in the low 16 bits) read as local time; last access kept. Failures are
// ignored: the file keeps the time of writing.
void SetEntryFileTime(const char* path, unsigned long dosDate);
