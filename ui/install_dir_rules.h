// Install-folder rules: the default and picked folder texts, the normalisation
// and validation of the folder typed by the user, and the free-space arithmetic
// of the install-drive check. Pure text and arithmetic; the dialog glue does the
// reading, the picker, the test file and the disk queries.
//
// Texts are NUL-terminated code page 949 bytes. Scanning byte by byte is safe:
// no trail byte of a CP949 double-byte character equals "\", ":" or a space.
// A composer that returns false leaves |out| empty (when |cap| > 0): a text that
// does not fit is refused, never cut.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fw/path_text.h"  // kPathCapacity: the folder lives in a path buffer

// Normalises the folder text in |dir| (|capacity| bytes) in place and tells
// whether it is accepted. Order: shorter than 3 bytes is rejected; trailing
// spaces (0x20 only) are removed and one "\" is appended unless the text
// already ends with one (rejected when the "\" and the NUL do not fit); the
// text must start with a letter, ":" and "\"; no component after the root may
// be empty or contain ":". A rejected text may be left partly normalised.
// A |dir| without a NUL within |capacity| is rejected untouched.
bool NormaliseInstallDir(char* dir, size_t capacity);

// The default folder: |base| (the local application data or program files
// folder; null or empty when the lookup failed) followed by |subdir|.
bool ComposeDefaultInstallDir(const char* base, const char* subdir, char* out, size_t cap);

// The text the folder picker writes into the edit box for the |picked| path:
// unchanged when it contains |subdir| (case-sensitive); otherwise a 3-byte
// drive root loses its closing "\" and |subdir| is appended.
bool ComposeBrowsedInstallDir(const char* picked, const char* subdir, char* out, size_t cap);

// The write-test file "_setuptest_" in the root of the drive of |installDir|
// (its first three bytes). False when |installDir| is shorter than 3 bytes.
bool ComposeDriveTestPath(const char* installDir, char* out, size_t cap);

// The drive root of |installDir|: its first byte, ":" and "\". False when the
// second byte is not ":" (never for an accepted folder).
bool ComposeDriveRoot(const char* installDir, char* out, size_t cap);

// Required free MiB = (dataBytes + 2 * packageBytes) / 1048576, truncated
// toward zero. Sums within the signed 32-bit range give exactly the 32-bit
// result; larger sums are computed in 64 bits instead of wrapping.
int32_t RequiredFreeMiB(int32_t dataBytes, int32_t packageBytes);

// True when the free MiB (|freeBytesToCaller| >> 20, taken as unsigned 32-bit)
// is strictly greater than RequiredFreeMiB, both compared as unsigned 32-bit:
// a negative requirement (a broken profile) fails on any real drive.
bool HasRoomForInstall(uint64_t freeBytesToCaller, int32_t dataBytes, int32_t packageBytes);

// Free bytes from the plain disk query, used when the extended one is missing:
// sectors per cluster x bytes per sector x free clusters, in 64 bits.
uint64_t PlainQueryFreeBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector,
                             uint32_t freeClusters);
