#include "fw/folders.h"

#include <windows.h>

#include <cstring>

#include "fw/path_text.h"
#include "fw/wide_calls.h"

bool MakeFolder(const char* folder) {
    return CreateDirectoryCp949(folder) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool MakeFolderChain(const char* path) {
    char prefix[kPathCapacity];
    size_t length = strlen(path);
    if (length == 0 || length >= sizeof prefix) return false;
    memcpy(prefix, path, length + 1);
    bool made = false;
    // From the second byte, so a leading separator never gives an empty prefix.
    for (size_t end = 1; end <= length; ++end) {
        char at = prefix[end];
        if (at != '\0' && at != '\\' && at != '/') continue;
        prefix[end] = '\0';
        made = MakeFolder(prefix);
        prefix[end] = at;
        if (end + 1 >= length) break;  // the path itself, or all of it before its last separator
    }
    return made;
}
