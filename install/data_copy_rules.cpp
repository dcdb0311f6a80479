#include "install/data_copy_rules.h"

#include <cstring>

#include "fw/bounded_text.h"

bool ComposeDataSourceDir(const char* setupPath, char* out, size_t cap) {
    const char* lastSeparator = strrchr(setupPath, '\\');
    if (!lastSeparator) {
        if (cap > 0) out[0] = '\0';
        return false;
    }
    size_t folderLength = static_cast<size_t>(lastSeparator - setupPath);
    return BoundedText(out, cap).Add(setupPath, folderLength).Add("\\data\\").Fits();
}

bool IsSelfOrParentItem(const char* name) {
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}
