// Paths as the program composes them: plain concatenation in buffers of the system's path
// limit. Pure text. A path that does not fit is refused, never cut.
#pragma once

#include <cstddef>
#include <initializer_list>

// Bytes of a path buffer, the terminating NUL included (the system's MAX_PATH).
const size_t kPathCapacity = 260;

// |parts| joined as they are, nothing added between them: a folder that ends with "\" and a
// file name, or a folder, "\" and a name. False, and |out| empty (when |cap| > 0), when the
// result does not fit |cap|.
bool ComposePath(char* out, size_t cap, std::initializer_list<const char*> parts);
