// Where archive entries land: the check that an entry's name stays inside the
// install folder. Pure text; the extraction does the file calls and composes
// the target with ComposePath.
//
// Texts are NUL-terminated code page 949 bytes. Separators and ":" are tested
// byte by byte, which is exact for CP949: no trail byte equals "/", "\", ":"
// or ".".
#pragma once

#include <cstddef>

// Bytes of the entry-name and target-path buffers of the extraction.
const size_t kEntryPathCapacity = 256;

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

// The text after the last "/" or "\" of |path| (a pointer into |path|); empty
// for a folder entry such as "docs/".
const char* LeafOf(const char* path);
