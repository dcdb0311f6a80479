// Where archive entries and data-folder files land: the containment check on
// archive entry names and the composition of every target, folder and search
// path of the extraction and the data copy. Pure text; the workers do the
// file calls.
//
// Texts are NUL-terminated code page 949 bytes. Separators and ":" are tested
// byte by byte, which is exact for CP949: no trail byte equals "/", "\", ":"
// or ".". A composer that returns false leaves |out| empty (when |cap| > 0):
// a path that does not fit fails its stage, it is never cut.
#pragma once

#include <cstddef>

// Bytes of the entry-name and target-path buffers of the extraction.
const size_t kEntryPathCapacity = 256;
// Bytes of a path buffer of the data copy (MAX_PATH).
const size_t kDataPathCapacity = 260;

// True when |name|, appended to the install folder, stays inside it.
// Refused:
// - a component made only of dots and blanks with at least two dots: "..",
//   and the spellings Windows may trim into it (".. ", "...");
// - any ":": a drive ("C:", "c:x") or a stream ("name:stream");
// - a name starting with two separators ("\\", "//", "\/", "/\");
// - a device name as any component, in any case, with or without an extension
//   or trailing blanks: CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-COM9,
//   LPT0-LPT9, and COM/LPT with a superscript 1, 2 or 3;
// - null.
// Accepted: one leading separator, doubled separators further on, "."
// components, names such as "a..b" or ".hidden", and the empty name, which is
// the install folder itself (the extraction treats it as a folder entry).
bool IsEntryNameContained(const char* name);

// The target of an entry: |installDir| (ending with "\") immediately followed
// by |name|. False when |name| is kEntryPathCapacity bytes or longer or the
// result does not fit |cap|.
bool ComposeEntryTarget(const char* installDir, const char* name, char* out, size_t cap);

// The text after the last "/" or "\" of |path| (a pointer into |path|); empty
// for a folder entry such as "docs/".
const char* LeafOf(const char* path);

// The data folder beside the setup program: the folder of |setupPath| (the
// program's full path) followed by "\data\". False when |setupPath| has no
// "\" or the result does not fit.
bool ComposeDataSourceDir(const char* setupPath, char* out, size_t cap);

// A sub-folder while walking: |folder| (ending with "\") + |name| + "\".
bool ComposeSubFolder(const char* folder, const char* name, char* out, size_t cap);

// A file while walking: |folder| (ending with "\") + |name|.
bool ComposeFilePath(const char* folder, const char* name, char* out, size_t cap);

// The listing pattern of |folder| (ending with "\"): |folder| + "*.*".
bool ComposeSearchPattern(const char* folder, char* out, size_t cap);

// True for the "." and ".." items a folder listing returns, which the walk skips.
bool IsSelfOrParentItem(const char* name);
